#pragma once

#include "Sheet.h"
#include "SheetPages.h"

#include <QPageLayout>
#include <QString>

class QPagedPaintDevice;
class QPainter;

namespace trellum {

// Paints a sheet onto paper as the printed form: the cells with their fonts, alignment, fills and
// borders, merged areas as one cell, the whole form scaled to the page width and centred, the
// column header rows again at the top of every page and "第 n 页 共 m 页" under each page.
// A text wider than its cell runs over empty neighbours as in a spreadsheet; one that still does
// not fit is set smaller, never cut.
class SheetPainter {
public:
    // The painter of `sheet`, which must outlive it.
    explicit SheetPainter(const Sheet& sheet) : m_sheet(sheet) {}

    // A4 with the form's margins, landscape where the form is wider than an upright page.
    QPageLayout pageLayout() const;
    // The pages the sheet takes on `layout`.
    SheetPages pages(const QPageLayout& layout) const;
    // Paints every page onto `device` with the page layout it has; false when painting could not start.
    bool paint(QPagedPaintDevice& device) const;

private:
    void paintRows(QPainter& painter, const SheetPages& pages, int first, int last, double top, double left,
                   double unit) const;

    const Sheet& m_sheet;
};

// The height in points kept under each page's rows for its page number.
inline constexpr double kPageNumberBand = 18;

} // namespace trellum
