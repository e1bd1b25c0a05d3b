#include "CompletionReport.h"

#include "CellText.h"
#include "RedrawPause.h"
#include "SqlText.h"

namespace trellum {

namespace {

// The completed orders of the run's offices, region and categories, transfers to plans left
// out; `extra` narrows them to one column's orders. Both a column's count and its list use it.
QString completedOrders(const ReportCriteria& c, const QString& extra)
{
    return QStringLiteral("CONVERT(char(8),销单日期,112) Between ") + sqlQuote(sqlDate(c.startDate))
        + QStringLiteral(" And ") + sqlQuote(sqlDate(c.endDate))
        + QStringLiteral(" and 是否销单=1 And 维修完成 =1 And 撤消时间 Is Null") + extra
        + QStringLiteral(" And 管理处 In (") + c.officeCodes + QStringLiteral(") And 区域DH=") + sqlQuote(c.regionCode)
        + QStringLiteral(" And 维修情况 Not like '%转计划%'  And 报修类别编号 In(") + c.categoryCodes + QStringLiteral(")");
}

// What narrows the completed orders to each count column's orders; the other columns count nothing.
std::optional<QString> columnCondition(int col)
{
    switch (col) {
    case 2:
        return QString();
    case 3:
    case 5:
        return QStringLiteral(" And 是否回访=1");
    case 6:
        return QStringLiteral(" And 是否回访=1 And 回访验收结果=1");
    default:
        return std::nullopt;
    }
}

// One per-office count statement of a column's orders.
QString countStatement(const ReportCriteria& c, const QString& head, int col)
{
    return head + QStringLiteral(" From PG派工单 Where ") + completedOrders(c, *columnCondition(col))
        + QStringLiteral(" Group by 管理处");
}

QString countText(const DbCursor& cur, const QString& field)
{
    return cur.isNull(field) ? QString() : formatNumber(cur.number(field), QStringLiteral("0"));
}

// column `to` := `num` / `den` × 100 as "0.00" when the base is not 0; else it stays empty
void writeRate(ReportGrid& grid, int row, int num, int den, int to)
{
    const double base = cellNumber(grid.text(row, den));
    if (base != 0)
        grid.setText(row, to, formatNumber(cellNumber(grid.text(row, num)) / base * 100, QStringLiteral("0.00")));
}

} // namespace

QString CompletionReport::statement(const ReportCriteria& c)
{
    const QString a = countStatement(c, QStringLiteral("Select Count (编号) as 本月完成,管理处"), 2);
    const QString b = countStatement(c, QStringLiteral("Select count (编号) as 本月回访,管理处"), 3);
    const QString cc = countStatement(c, QStringLiteral("Select count (编号) as 验收合格,管理处"), 6);
    return QStringLiteral("Select gyd_dh, gyd_name, A.本月完成, B.本月回访, C.验收合格  From 区域对应管理处 "
                          "Left Join 设置管理处 On 管理处码=gyd_dh Left Join (")
        + a + QStringLiteral(") A On GYD_DH = A.管理处 left Join (") + b + QStringLiteral(") B On GYD_DH = B.管理处 left Join (")
        + cc + QStringLiteral(") C On GYD_DH = C.管理处 Where 区域码= ") + sqlQuote(c.regionCode);
}

void CompletionReport::layoutGrid(ReportGrid& grid, const CategoryTable&) const
{
    const RedrawPause pause(grid);
    grid.setCols(kCols);
    grid.setRows(kHeaderRows);
    grid.setFixedRows(kHeaderRows);
    grid.setFixedCols(1);
    grid.setFormatString(QStringLiteral("^|< |> |> |> |> |> |> |> "));
    grid.setMergeCells(true);
    for (int c = 0; c < kCols; ++c)
        grid.setHeaderAlign(c, CellAlign::Centre);
    const QString row0[kCols] = { QStringLiteral("序"), QStringLiteral("小区名称"), QStringLiteral("回访率"),
                                  QStringLiteral("回访率"), QStringLiteral("回访率"), QStringLiteral("质量合格率"),
                                  QStringLiteral("质量合格率"), QStringLiteral("质量合格率"), QStringLiteral("备注") };
    const QString row1[kCols] = { QStringLiteral("序"), QStringLiteral("小区名称"), QStringLiteral("任务单完成数(张)"),
                                  QStringLiteral("任务单回访数(张)"), QStringLiteral("任务单回访率 %"),
                                  QStringLiteral("任务单回访数(张)"), QStringLiteral("维修合格数(张)"),
                                  QStringLiteral("维修合格率 %"), QStringLiteral("备注") };
    for (int c = 0; c < kCols; ++c) {
        grid.setText(0, c, row0[c]);
        grid.setColWidth(c, c == 0 ? 600 : c == 1 ? 3000 : 500);
    }
    for (int c = 0; c < kCols; ++c) {
        grid.setText(1, c, row1[c]);
        if (c >= 1)
            grid.setColWidth(c, c == 1 ? 3000 : c == 8 ? 3800 : 1700);
    }
    grid.setMergeRow(0, true);
    for (int c : { 0, 1, 8 })
        grid.setMergeCol(c, true);
}

DbStatus CompletionReport::run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis&) const
{
    const ReportCriteria& c = input.criteria;
    db.setCommandTimeout(0);
    DbCursor cur = db.select(statement(c));
    RedrawPause pause(grid);
    grid.setRows(kHeaderRows);
    // a failing statement leaves the header rows only, drawn again when the pause ends
    auto fail = [&](const DbError& e) -> DbStatus {
        grid.setRows(kHeaderRows);
        return e;
    };
    if (cur.failed())
        return fail(*cur.error());
    while (cur.next()) {
        const int r = grid.appendRow();
        grid.setRow(r);
        grid.setText(r, 0, QString::number(r - 1));
        grid.setText(r, 1, cur.text(QStringLiteral("gyd_name")));
        if (!cur.isNull(QStringLiteral("gyd_dh")))
            grid.setRowKey(r, { cur.text(QStringLiteral("gyd_dh")) });
        grid.setText(r, 2, countText(cur, QStringLiteral("本月完成")));
        grid.setText(r, 3, countText(cur, QStringLiteral("本月回访")));
        grid.setText(r, 5, countText(cur, QStringLiteral("本月回访")));
        grid.setText(r, 6, countText(cur, QStringLiteral("验收合格")));
        writeRate(grid, r, 3, 2, 4);
        writeRate(grid, r, 6, 5, 7);
    }
    if (cur.failed())
        return fail(*cur.error());

    double sums[kCols] = {};
    for (int r = kHeaderRows; r < grid.rows(); ++r)
        for (int col : { 2, 3, 5, 6 })
            sums[col] += cellNumber(grid.text(r, col));
    const int t = grid.appendRow();
    grid.setRow(t);
    grid.setText(t, 0, QString::number(t - 1));
    grid.setText(t, 1, QStringLiteral("合计"));
    for (int col : { 2, 3, 5, 6 })
        grid.setText(t, col, plainNumber(sums[col]));
    writeRate(grid, t, 3, 2, 4);
    writeRate(grid, t, 6, 5, 7);
    for (int col = 1; col < kCols; ++col)
        grid.setBackground(t, col, kTotalColour);
    return std::nullopt;
}

std::optional<CellDetail> CompletionReport::cellDetail(const RunInput& input, const ReportGrid& grid, int row, int col) const
{
    const std::optional<QString> extra = columnCondition(col);
    if (!extra || row < kHeaderRows || row >= grid.rows())
        return std::nullopt;
    const std::vector<QStringList> keys = keysBehind(grid, row, 1, QStringLiteral("合计"));
    CellDetail detail = namedCell(info().title, grid, row, col, 1);
    // each office row counts the orders of its own office, the totals row those of every office row
    detail.parts.push_back({ .from = QStringLiteral("PG派工单 Inner Join (") + officeRowsTable(keys)
                                 + QStringLiteral(") R On 管理处 = R.管理处码"),
                             .where = completedOrders(input.criteria, *extra) + QStringLiteral(" And 编号 Is Not Null"),
                             .group = QStringLiteral("R.序") });
    return detail;
}

} // namespace trellum
