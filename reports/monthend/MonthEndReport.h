#pragma once

#include "Report.h"

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace trellum {

// The repair-book month-end summary (报修簿月底汇总表): per office the orders carried over,
// reported, transferred, reported and completed by housing type and left open, one column per
// repair category, the totals row, and the completed orders counted by the way they came in.
class MonthEndReport final : public Report {
public:
    // Header rows of the grid, and the standard columns before the category columns.
    static constexpr int kHeaderRows = 2;
    static constexpr int kStandardColumns = 19;

    // The completed orders per office row of the outer statement and ticked category:
    // cells[i][k] for office row i and the k-th ticked category, absent where nothing was counted.
    using CategoryCells = std::vector<std::vector<std::optional<double>>>;
    // Where a run takes the category cells from; the office rows' codes are absent for an office
    // without a 设置管理处 row, which has nothing counted.
    using CategorySource = std::function<DbStatus(DbConnection& db, const ReportCriteria& criteria,
                                                  const std::vector<std::optional<QString>>& officeCodes,
                                                  CategoryCells& cells)>;
    // Where a run takes the type-analysis boxes from.
    using BoxSource = std::function<DbStatus(DbConnection& db, const ReportCriteria& criteria, TypeAnalysis& boxes)>;
    // Where a run takes its figures from: the outer statement of the office rows and their counts,
    // the category cells and the type-analysis boxes.
    struct Sources {
        std::function<QString(const ReportCriteria& criteria)> counts;
        CategorySource categories;
        BoxSource boxes;
    };
    // The summary with its figures read by `sources`.
    explicit MonthEndReport(Sources sources = groupedSources());

    ReportKind kind() const override { return ReportKind::MonthEnd; }
    const ReportInfo& info() const override;
    // Lays out the grid once when the window opens: 19 standard columns, then one per category.
    void layoutGrid(ReportGrid& grid, const CategoryTable& categories) const override;
    // One run: the office rows with their category cells, the totals row, then the type-analysis
    // boxes. On a failing statement the grid is back to its header rows with redrawing on.
    DbStatus run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& boxes) const override;
    // The month-end sheet: 19 + n columns, two header rows and the type-analysis block under the grid.
    ExportLayout exportLayout() const override;

    // The category cells of all the offices from one statement.
    static DbStatus CountCategories(DbConnection& db, const ReportCriteria& criteria,
                                    const std::vector<std::optional<QString>>& officeCodes, CategoryCells& cells);
    // Fills boxes 0 and 3 to 6 with their counts; boxes 1 and 2 stay empty.
    static DbStatus FillTypeAnalysis(DbConnection& db, const ReportCriteria& criteria, TypeAnalysis& boxes);

    // The statement with the run's period, region, offices and categories in its markers {start},
    // {end}, {region}, {offices} and {categories}.
    static QString withCriteria(const QString& text, const ReportCriteria& criteria);
    // The outer statement: the region's offices with their eleven counts, counted in two passes
    // over the orders grouped by office.
    static QString countsStatement(const ReportCriteria& criteria);
    // The completed orders in the period per office of `officeCodes` and ticked category, keyed by
    // their places (columns 管理处序 and 类别序); only pairs with orders have a row.
    static QString categoryStatement(const ReportCriteria& criteria, const QStringList& officeCodes);
    // The parts of the list behind column `col` for the office rows of `rowsTable` (officeRowsTable):
    // the orders each count of the column counts, the 合计 columns' three housing columns one
    // after the other; none for a column that counts nothing.
    static std::vector<DetailPart> detailParts(const ReportCriteria& criteria, int col, const CategoryTable& categories,
                                               const QString& rowsTable);
    // The offices' or all the offices' orders behind a count cell.
    std::optional<CellDetail> cellDetail(const RunInput& input, const ReportGrid& grid, int row, int col) const override;

    // The type-analysis counts in one row: 本月报修 (box 0), 上门报修, 电话报修, 纸质报修 and 微信报修 (boxes 3 to 6).
    static QString typeAnalysisStatement(const ReportCriteria& criteria);

private:
    // The program's own statements: the office counts, the category cells and the boxes, one statement each.
    static Sources groupedSources();
    // The office rows with their category cells and the totals row; the grid is drawn once, at the end.
    DbStatus fillOffices(DbConnection& db, const RunInput& input, ReportGrid& grid) const;

    Sources m_sources;
};

} // namespace trellum
