#include "LedgerReport.h"

#include "CellText.h"
#include "LedgerWorkerBlock.h"
#include "RedrawPause.h"
#include "SqlText.h"
#include "WorkerText.h"

#include <vector>

namespace trellum {

namespace {

// A figure of the statement formatted "0.00", or empty for NULL.
QString figureText(const DbCursor& cur, const QString& field)
{
    return cur.isNull(field) ? QString() : formatNumber(cur.number(field), QStringLiteral("0.00"));
}

} // namespace

void LedgerReport::layoutGrid(ReportGrid& grid, const CategoryTable&) const
{
    static const char16_t* const header[kHeaderRows][kCols] = {
        { u"序", u"分类", u"分类", u"用工记录", u"用工记录", u"用工记录", u"用工记录", u"用工记录", u"人工费",
          u"人工费", u"人工费", u"人工费", u"材料费", u"材料费", u"材料费", u"材料费", u"施工管理费", u"施工管理费" },
        { u"序", u"姓名", u"材料名称", u"完成定额工时", u"完成定额工时", u"完成定额工时", u"完成定额工时", u"实际",
          u"预算成本", u"预算成本", u"预算成本", u"实际", u"预算成本", u"预算成本", u"预算成本", u"实际", u"预算",
          u"实际" },
        { u"序", u"姓名", u"材料名称", u"查勘", u"定额", u"定额差", u"小计", u"实际", u"定额", u"取费", u"小计",
          u"实际", u"定额", u"取费", u"小计", u"实际", u"预算", u"实际" },
    };
    static constexpr int widths[kCols] = { 600, 1800, 2400, 800, 1200, 800, 800, 1200, 800,
                                           800, 1200, 1300, 800, 800, 1200, 1300, 1200, 1200 };
    const RedrawPause pause(grid);
    grid.setCols(kCols);
    grid.setRows(kHeaderRows);
    grid.setFixedRows(kHeaderRows);
    grid.setFixedCols(1);
    grid.setFormatString(QStringLiteral("^|< |< |> |> |> |> |> |> |> |> |> |> |> |> |> |> |> "));
    grid.setMergeCells(true);
    for (int c = 0; c < kCols; ++c)
        grid.setHeaderAlign(c, CellAlign::Centre);
    // each header row sets the widths again; the last pass's widths are the ones that stay
    for (int r = 0; r < kHeaderRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            grid.setText(r, c, QString::fromUtf16(header[r][c]));
            const int passWidth = r == 0 ? (c == 0 ? 600 : 1000) : r == 1 ? (c == 0 ? 600 : c == 1 ? 1800 : 1000)
                                                                          : widths[c];
            grid.setColWidth(c, passWidth);
        }
    }
    grid.setMergeRow(0, true);
    grid.setMergeRow(1, true);
    for (int c : { 0, 1, 2, 7, 11, 15, 16, 17 })
        grid.setMergeCol(c, true);
}

long long LedgerReport::StandardHours(const QDate& start, const QDate& end, bool calendarWorkingDays)
{
    return calendarWorkingDays ? countWeekdays(start, end) * 8 : 0;
}

QString LedgerReport::workerStatement(const ReportCriteria& c)
{
    return QStringLiteral("Select * From pg区域维修人员 Where 终止日期 Is Null And 区域号 = ") + sqlQuote(c.regionCode)
        + QStringLiteral(" And 工号 In (") + c.workerCodes + QStringLiteral(")");
}

QString LedgerReport::figuresStatement(const ReportCriteria& c, const QString& workerCode, const QString& workerRegion)
{
    const QString where = QStringLiteral(" where CONVERT(char(8),销单日期,112) Between ") + sqlQuote(sqlDate(c.startDate))
        + QStringLiteral(" And ") + sqlQuote(sqlDate(c.endDate)) + QStringLiteral(" And 是否销单=1 And 维修完成 =1 And ")
        + workerItemPosition(workerCode) + QStringLiteral(" > 0") + QStringLiteral(" And 区域DH=") + sqlQuote(workerRegion)
        + QStringLiteral(" And 报修类别编号 In(") + c.categoryCodes + QStringLiteral(")");
    const QString material =
        QStringLiteral("Select SUM(Case When 材料费 Is Null Then 0 Else 材料费 End) as 材料费实际 ,区域DH From PG派工单")
        + where + QStringLiteral(" group by 区域DH");
    // each labour item's hours shared among the workers of the order (commas + 1)
    const QString hours =
        QStringLiteral("Select  SUM(维修工时*B.数量/(len(维修人)-LEN(replace(维修人,',',''))+1)) as 平均工时 ,区域DH "
                       "From PG派工单 left Join pg维修人工费清单 B on 编号=任务单编号")
        + where + QStringLiteral(" group by 区域DH");
    const QString labour = QStringLiteral("Select SUM(PG派工单.人工费) as 人工费实际  ,区域DH  From PG派工单") + where
        + QStringLiteral(" group by 区域DH");
    return QStringLiteral("Select DISTINCT PG派工单.区域dh,A1.材料费实际, A2.平均工时, A3.人工费实际 From pg派工单 Inner Join (")
        + material + QStringLiteral(") A1 On PG派工单.区域DH = A1.区域dh Inner Join (") + hours
        + QStringLiteral(") A2 On PG派工单.区域DH = A2.区域dh Inner Join (") + labour
        + QStringLiteral(") A3 On PG派工单.区域DH = A3.区域dh");
}

DbStatus LedgerReport::run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis&) const
{
    const ReportCriteria& c = input.criteria;
    const QString standard = formatNumber(double(StandardHours(c.startDate, c.endDate, input.calendarWorkingDays)),
                                          QStringLiteral("0.00"));
    std::vector<WorkerRecord> workers;
    const DbStatus workersRead = readWorkers(db, workerStatement(c), workers);
    grid.setRows(kHeaderRows);
    RedrawPause pause(grid);
    // a failing statement leaves the header rows only, drawn again when the pause ends
    auto fail = [&grid](const DbError& e) -> DbStatus {
        grid.setRows(kHeaderRows);
        return e;
    };
    if (workersRead)
        return fail(*workersRead);
    for (const WorkerRecord& w : workers) {
        DbCursor cur = db.select(figuresStatement(c, w.code, w.region));
        const int blockStart = grid.rows();
        LedgerWorkerBlock block(grid);
        bool lines = false;
        bool allNull = false;
        while (!allNull && cur.next()) {
            allNull = cur.isNull(QStringLiteral("材料费实际")) && cur.isNull(QStringLiteral("平均工时"))
                && cur.isNull(QStringLiteral("人工费实际"));
            if (!allNull) {
                block.addWorkerLine(w.name, figureText(cur, QStringLiteral("平均工时")), standard,
                                    figureText(cur, QStringLiteral("人工费实际")),
                                    figureText(cur, QStringLiteral("材料费实际")));
                lines = true;
            }
        }
        if (cur.failed())
            return fail(*cur.error());
        // a worker without figures, or whose figures are all NULL, gets no lines at all
        if (allNull)
            grid.setRows(blockStart);
        else if (lines)
            block.close();
    }
    // the blocks are drawn once, then the total line is made with repainting off again
    pause.drawNow();

    std::array<double, 4> totals {};
    for (int r = kHeaderRows; r < grid.rows(); ++r)
        if (grid.text(r, 2) == QStringLiteral("合计"))
            for (std::size_t i = 0; i < totals.size(); ++i)
                totals[i] += cellNumber(grid.text(r, LedgerWorkerBlock::kFigureColumns[i]));
    const int t = LedgerWorkerBlock::appendNumberedRow(grid);
    LedgerWorkerBlock::writeSumLine(grid, t, QStringLiteral("总计"), totals, kTotalColour);
    return std::nullopt;
}

} // namespace trellum
