#pragma once

#include "Report.h"

#include <array>

namespace trellum {

// The repair-book month-end summary (报修簿月底汇总表): per office the orders carried over,
// reported, transferred, reported and completed by housing type and left open, one column per
// repair category, the totals row, and the completed orders counted by the way they came in.
class MonthEndReport final : public Report {
public:
    // Header rows of the grid, and the standard columns before the category columns.
    static constexpr int kHeaderRows = 2;
    static constexpr int kStandardColumns = 19;

    ReportKind kind() const override { return ReportKind::MonthEnd; }
    const ReportInfo& info() const override;
    // Lays out the grid once when the window opens: 19 standard columns, then one per category.
    void layoutGrid(ReportGrid& grid, const CategoryTable& categories) const override;
    // One run: the office rows with their category cells, the totals row, then the type-analysis
    // boxes. On a failing statement the grid is back to its header rows with redrawing on.
    DbStatus run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& boxes) const override;
    // The month-end sheet: 19 + n columns, two header rows and the type-analysis block under the grid.
    ExportLayout exportLayout() const override;

    // Writes the completed orders of one office per ticked category into the grid's current row,
    // each into its own category column (found by code in the window's CategoryTable).
    static DbStatus FillCategoryCells(DbConnection& db, const RunInput& input, ReportGrid& grid,
                                      const QString& officeCode);
    // Fills boxes 0 and 3 to 6 with their counts; boxes 1 and 2 stay empty.
    static DbStatus FillTypeAnalysis(DbConnection& db, const ReportCriteria& criteria, TypeAnalysis& boxes);

    // The outer statement: the eleven per-office counts joined to the region's offices.
    static QString countsStatement(const ReportCriteria& criteria);
    // The completed orders of one office and one category in the period.
    static QString categoryStatement(const ReportCriteria& criteria, const QString& officeCode,
                                     const QString& categoryCode);
    // The type-analysis counts in run order, paired with the box each one fills.
    struct BoxStatement {
        int box = 0;
        QString field;
        QString sql;
    };
    static std::array<BoxStatement, 5> typeAnalysisStatements(const ReportCriteria& criteria);
};

} // namespace trellum
