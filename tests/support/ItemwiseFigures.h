#pragma once

#include "LedgerReport.h"
#include "MonthEndReport.h"
#include "PerformanceReport.h"

namespace trellum::test {

// The reports' figures as the program first read them: one statement per worker, or per office
// and category, each a literal statement for that one item. The reference the grouped statements
// are held to: a run with these sources must give the very same grid and boxes.

// The ledger's three sums of one worker (his region's orders, grouped by region, joined).
QString itemwiseLedgerStatement(const ReportCriteria& criteria, const QString& workerCode, const QString& workerRegion);
// The ledger's figures, one statement per worker.
DbStatus itemwiseLedgerFigures(DbConnection& db, const ReportCriteria& criteria,
                               const std::vector<WorkerRecord>& workers, LedgerReport::FigureList& figures);

// The performance summary's figures, two statements per worker: the credited hours, then (for
// a worker who has any) the orders as lead worker.
DbStatus itemwisePerformanceFigures(DbConnection& db, const ReportCriteria& criteria,
                                    const std::vector<WorkerRecord>& workers, PerformanceReport::FigureList& figures);

// The completed orders of one office and one category in the period.
QString itemwiseCategoryStatement(const ReportCriteria& criteria, const QString& officeCode, const QString& categoryCode);
// The month-end's category cells, one statement per office and ticked category.
DbStatus itemwiseCategoryCells(DbConnection& db, const ReportCriteria& criteria,
                               const std::vector<std::optional<QString>>& officeCodes,
                               MonthEndReport::CategoryCells& cells);

// Runs a report with its item-by-item figures: the grid and boxes the grouped run must equal.
DbStatus runItemwise(ReportKind kind, DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& boxes);

// The input of a run of the region with every one of its workers or offices and every category
// ticked, as read from `db`.
RunInput everythingTicked(ReportKind kind, DbConnection& db, const QString& region, const QDate& start, const QDate& end);

// Runs the report both ways on one connection, grouped as the program does and item by item;
// returns an empty text when the grids (texts and backgrounds) and the boxes are the same, else
// the first difference or the error. `rows` receives the grouped grid's rows below the header.
QString differenceFromItemwise(ReportKind kind, DbConnection& db, const RunInput& input, int* rows = nullptr);

} // namespace trellum::test
