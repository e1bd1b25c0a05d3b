#pragma once

#include "ExportLayout.h"

#include <QString>

#include <cstdint>

struct lxw_worksheet;

namespace trellum::bench {

class DirectFormats;

// The export floor: the month-end's and the ledger's workbooks written cell by cell straight
// through libxlsxwriter from the grid, with the cells, values, merges and formats the program's
// export gives them, but no sheet model in between and no safe-saving steps.
class DirectWorkbook {
public:
    // Writes the month-end workbook of `context.grid` to `path`; false when the writer failed.
    static bool writeMonthEnd(const ExportContext& context, const QString& path);
    // Writes the ledger workbook of `context.grid` to `path`; false when the writer failed.
    static bool writeLedger(const ExportContext& context, const QString& path);

private:
    struct Area {
        int top, left, bottom, right;
    };

    DirectWorkbook(lxw_worksheet* sheet, DirectFormats& formats);
    // A text as the sheet types it (a number when it reads as one); rows and columns from 1.
    void text(int row, int col, const QString& text, std::uint16_t key);
    // A plain number (the numeric columns' texts are already in their format).
    void number(int row, int col, const QString& text, std::uint16_t key);
    // An empty cell with a format (nothing for the plain format).
    void blank(int row, int col, std::uint16_t key);
    // A merged area: the merge with the top-left cell's format, then every cell with its own
    // format (`keyAt`), the top-left one with the value.
    template <typename KeyAt>
    void merge(const Area& area, const QString& value, KeyAt keyAt);
    // The column widths of the grid's columns.
    void widths(const ReportGrid& grid);

    lxw_worksheet* m_sheet;
    DirectFormats& m_formats;
};

} // namespace trellum::bench
