#include "MonthEndReport.h"

#include "CellText.h"
#include "RedrawPause.h"

namespace trellum {

DbStatus MonthEndReport::FillCategoryCells(DbConnection& db, const RunInput& input, ReportGrid& grid,
                                           const QString& officeCode)
{
    const int row = grid.row();
    for (const QString& code : input.criteria.tickedCategoryCodes) {
        db.setCommandTimeout(0);
        DbCursor cur = db.select(categoryStatement(input.criteria, officeCode, code));
        if (cur.failed())
            return cur.error();
        const bool found = cur.next();
        if (cur.failed())
            return cur.error();
        if (!found)
            continue; // no completed order of this office and category: the cell stays empty
        // Each category has its own column, found by code, so two categories of one name
        // keep their counts apart.
        const RedrawPause pause(grid);
        for (std::size_t j = 0; j < input.categories.size(); ++j) {
            if (input.categories[j].code == code) {
                const QString field = QStringLiteral("报修类别分析");
                grid.setText(row, kStandardColumns + int(j),
                             cur.isNull(field) ? QString() : formatNumber(cur.number(field), QStringLiteral("0")));
                break;
            }
        }
    }
    return std::nullopt;
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
