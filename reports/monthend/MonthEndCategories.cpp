#include "MonthEndReport.h"

#include "CellText.h"

namespace trellum {

DbStatus MonthEndReport::CountCategories(DbConnection& db, const ReportCriteria& criteria,
                                         const std::vector<std::optional<QString>>& officeCodes, CategoryCells& cells)
{
    cells.assign(officeCodes.size(), std::vector<std::optional<double>>(criteria.tickedCategoryCodes.size()));
    // the statement numbers the offices that have a code; rows[n] is the office row of the n-th
    QStringList codes;
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < officeCodes.size(); ++i) {
        if (officeCodes[i]) {
            codes << *officeCodes[i];
            rows.push_back(i);
        }
    }
    if (codes.isEmpty() || criteria.tickedCategoryCodes.isEmpty())
        return std::nullopt;
    db.setCommandTimeout(0);
    DbCursor cur = db.select(categoryStatement(criteria, codes));
    while (cur.next()) {
        const double office = cur.number(QStringLiteral("管理处序"));
        const double category = cur.number(QStringLiteral("类别序"));
        if (office < 0 || office >= double(rows.size()) || category < 0
            || category >= double(criteria.tickedCategoryCodes.size()))
            continue;
        std::optional<double>& cell = cells[rows[std::size_t(office)]][std::size_t(category)];
        // an office and category counted in two groups (codes the database tells apart but
        // compares equal) keeps the first, as reading one row of a count per pair does
        if (!cell)
            cell = cur.number(QStringLiteral("报修类别分析"));
    }
    return cur.error();
}

DbStatus MonthEndReport::FillTypeAnalysis(DbConnection& db, const ReportCriteria& criteria, TypeAnalysis& boxes)
{
    boxes[0] = QStringLiteral("0");
    for (const BoxStatement& s : typeAnalysisStatements(criteria)) {
        db.setCommandTimeout(0);
        DbCursor cur = db.select(s.sql);
        if (cur.failed())
            return cur.error();
        const bool found = cur.next();
        if (cur.failed())
            return cur.error();
        if (found)
            boxes[std::size_t(s.box)] = plainNumber(cur.number(s.field));
    }
    return std::nullopt;
}

} // namespace trellum
