#pragma once

#include "ReportGrid.h"

#include <vector>

namespace trellum {

// One merged cell of the grid: its top-left cell and how many rows and columns it covers.
struct CellSpan {
    int row = 0;
    int col = 0;
    int rowSpan = 1;
    int colSpan = 1;
    bool operator==(const CellSpan&) const = default;
};

// Free merging as the grid shows it, in the fixed header rows only: in a flagged header row,
// neighbouring cells with the same text show as one cell across; in a flagged column, neighbouring
// header cells with the same text show as one cell down. Runs across that repeat row after row in
// columns that are all flagged combine into one rectangle. Empty cells never merge, the header
// column's cells never merge with the others, and data, subtotal and total rows never merge: each
// of their figures shows in a cell of its own.
class GridSpans {
public:
    // The merged cells of the grid, top to bottom and left to right; none while merging is off.
    static std::vector<CellSpan> compute(const ReportGrid& grid);
};

} // namespace trellum
