#include "SheetPages.h"

#include "PageGeometry.h"

#include <algorithm>

namespace trellum {

SheetPages SheetPages::plan(const Sheet& sheet, double width, double height)
{
    SheetPages p;
    const std::vector<double> widths = PageGeometry::columnWidths(sheet);
    p.columnLeft.reserve(widths.size() + 1);
    double x = 0;
    p.columnLeft.push_back(x);
    for (const double w : widths)
        p.columnLeft.push_back(x += w);
    if (x > width && x > 0)
        p.scale = width / x;

    const int lastRow = sheet.lastRow();
    p.rowHeights.reserve(std::size_t(std::max(lastRow, 0)));
    for (int r = 1; r <= lastRow; ++r)
        p.rowHeights.push_back(PageGeometry::rowHeight(sheet, r));
    if (lastRow == 0)
        return p;

    // a break before row r is allowed unless a merged area runs from above r into it
    std::vector<bool> joined(std::size_t(lastRow) + 2, false);
    for (const SheetRange& m : sheet.merges())
        for (int r = m.top + 1; r <= std::min(m.bottom, lastRow); ++r)
            joined[std::size_t(r)] = true;

    const double room = height / p.scale;
    int titleFirst = 0, titleLast = -1;
    if (const auto t = sheet.printTitleRows(); t && t->first <= lastRow) {
        titleFirst = t->first;
        titleLast = std::min(t->second, lastRow);
    }
    // the repeated rows take at most half a page; more would leave no room for the rows themselves
    const bool repeat = titleFirst > 0 && p.height(titleFirst, titleLast) <= room / 2;

    int first = 1;
    while (first <= lastRow) {
        PageRows page;
        if (repeat && first > titleLast) {
            page.titleFirst = titleFirst;
            page.titleLast = titleLast;
        }
        double used = page.titleFirst > 0 ? p.height(titleFirst, titleLast) : 0;
        int r = first;
        while (r <= lastRow && (r == first || used + p.rowHeights[std::size_t(r - 1)] <= room)) {
            used += p.rowHeights[std::size_t(r - 1)];
            ++r;
        }
        // r is the first row of the next page: move the break up out of a merged area
        int next = r;
        if (next <= lastRow) {
            while (next > first + 1 && joined[std::size_t(next)])
                --next;
            if (joined[std::size_t(next)])
                next = r; // the merged area is taller than a page: it is cut
        }
        page.first = first;
        page.last = next - 1;
        p.pages.push_back(page);
        first = next;
    }
    return p;
}

double SheetPages::height(int first, int last) const
{
    double h = 0;
    for (int r = std::max(first, 1); r <= last && r <= int(rowHeights.size()); ++r)
        h += rowHeights[std::size_t(r - 1)];
    return h;
}

} // namespace trellum
