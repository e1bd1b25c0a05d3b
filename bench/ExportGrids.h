#pragma once

#include "Criteria.h"
#include "ExportLayout.h"
#include "ReportGrid.h"

namespace trellum::bench {

// The grids the export benchmark writes, filled as the reports fill them (layout, rows, totals)
// with counts and figures drawn from a fixed seed, so that every run writes the same workbook.
class ExportGrids {
public:
    // The month-end grid: the report's layout with `categories` category columns, one row per
    // office with its counts, sums and category cells, then the totals row.
    static void monthEnd(ReportGrid& grid, int offices, const CategoryTable& categories);
    // The ledger grid: a block per worker (worker line, four empty lines, subtotal), then the total.
    static void ledger(ReportGrid& grid, int workers);
    // `count` repair categories named as the demo database names them.
    static CategoryTable categories(int count);
    // What the export reads besides the grid: title, period, region, categories, boxes, remark.
    static ExportContext context(ReportKind kind, const ReportGrid& grid, const CategoryTable& categories);
};

} // namespace trellum::bench
