#pragma once

#include "Sheet.h"

#include <vector>

namespace trellum {

// The rows of one printed page: the repeated column header rows (none on the page that holds
// them in their own place) and the page's own rows.
struct PageRows {
    int titleFirst = 0; // 0: no repeated rows
    int titleLast = -1;
    int first = 1;
    int last = 0;
};

// How a sheet goes onto pages of a given printable size: one scale for the whole form so that
// every column fits the page width, and the rows of each page. A page breaks only between rows
// that no merged area spans; a row taller than a page gets a page of its own.
struct SheetPages {
    double scale = 1;                // printed size / sheet size (at most 1)
    std::vector<double> columnLeft;  // left edge of column c at index c - 1, in sheet points; one more for the right edge
    std::vector<double> rowHeights;  // height of row r at index r - 1, in sheet points
    std::vector<PageRows> pages;

    // The pages of `sheet` on a printable area of `width` x `height` points.
    static SheetPages plan(const Sheet& sheet, double width, double height);
    // The height of rows first to last, in sheet points.
    double height(int first, int last) const;
};

} // namespace trellum
