#include "LedgerReport.h"

#include "CellText.h"
#include "LedgerWorkerBlock.h"
#include "RedrawPause.h"
#include "SqlText.h"
#include "WorkerText.h"

#include <utility>
#include <vector>

namespace trellum {

LedgerReport::LedgerReport(FigureSource source)
    : m_source(std::move(source))
{
}

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

namespace {

// The orders of the workers of W cross-joined to them: completed in the period, naming the worker as a whole item,
// of his region and a ticked category. Every figure of the ledger and its list sum over these.
QString workerOrders(const ReportCriteria& c)
{
    // Every worker of the list is of the run's region, so the region is also given as a value:
    // the database then reads that region's orders only, once for all the workers.
    return QStringLiteral("CONVERT(char(8),销单日期,112) Between ") + sqlQuote(sqlDate(c.startDate))
        + QStringLiteral(" And ") + sqlQuote(sqlDate(c.endDate)) + QStringLiteral(" And 是否销单=1 And 维修完成 =1 And ")
        + workerItemPositionOf(QStringLiteral("W.工号")) + QStringLiteral(" > 0") + QStringLiteral(" And 区域DH=W.区域号")
        + QStringLiteral(" And 区域DH=") + sqlQuote(c.regionCode)
        + QStringLiteral(" And 报修类别编号 In(") + c.categoryCodes + QStringLiteral(")");
}

QString workersFrom(const std::vector<WorkerRecord>& workers)
{
    return QStringLiteral("PG派工单 Cross Join (") + workerTable(workers) + QStringLiteral(") W");
}

// The material cost an order adds (NULL adds 0).
const QString kOrderMaterial = QStringLiteral("Case When 材料费 Is Null Then 0 Else 材料费 End");

} // namespace

QString LedgerReport::figuresStatement(const ReportCriteria& c, const std::vector<WorkerRecord>& workers)
{
    const QString from = QStringLiteral(" From ") + workersFrom(workers);
    const QString where = QStringLiteral(" where ") + workerOrders(c);
    // material and labour cost over the orders alone, so an order with several labour items
    // counts its costs once
    const QString costs = QStringLiteral("Select W.序, SUM(") + kOrderMaterial
        + QStringLiteral(") as 材料费实际, SUM(PG派工单.人工费) as 人工费实际") + from + where + QStringLiteral(" group by W.序");
    // each labour item's hours shared among the workers of the order (commas + 1)
    const QString hours = QStringLiteral("Select W.序, SUM(") + sharedItemHours() + QStringLiteral(") as 平均工时")
        + from + QStringLiteral(" left Join pg维修人工费清单 B on 编号=任务单编号") + where + QStringLiteral(" group by W.序");
    return QStringLiteral("Select A1.序, A1.材料费实际, A2.平均工时, A1.人工费实际 From (") + costs
        + QStringLiteral(") A1 Inner Join (") + hours + QStringLiteral(") A2 On A1.序 = A2.序");
}

std::optional<CellDetail> LedgerReport::cellDetail(const RunInput& input, const ReportGrid& grid, int row, int col) const
{
    // the standard hours come from the calendar, not from orders
    static const std::pair<int, int> kSummed[] = { { 4, 0 }, { 11, 1 }, { 15, 2 } };
    int summed = -1;
    for (const auto& [c, k] : kSummed)
        if (c == col)
            summed = k;
    if (summed < 0 || row < kHeaderRows || row >= grid.rows())
        return std::nullopt;
    const bool totals = row == grid.rows() - 1 && grid.text(row, 2) == QStringLiteral("总计");
    if (!totals && grid.rowKey(row).isEmpty())
        return std::nullopt;
    // the worker lines are keyed, and each worker's subtotal line with them
    std::vector<WorkerRecord> workers;
    for (int r = totals ? kHeaderRows : row; r < (totals ? row : row + 1); ++r)
        if (!grid.rowKey(r).isEmpty() && grid.text(r, 2) == QStringLiteral("零星"))
            workers.push_back(workerOfKey(grid.rowKey(r)));
    if (workers.empty() && !totals)
        workers.push_back(workerOfKey(grid.rowKey(row)));
    CellDetail detail = namedCell(info().title, grid, row, col, 1);
    if (totals)
        detail.row = QStringLiteral("总计");
    detail.contributionNames = { QStringLiteral("工时分摊"), QStringLiteral("人工费"), QStringLiteral("材料费") };
    detail.rule = { summed, QStringLiteral("0.00") };
    if (!workers.empty())
        detail.parts.push_back({ .from = workersFrom(workers),
                                 .where = workerOrders(input.criteria),
                                 .group = QStringLiteral("W.序"),
                                 .contributions = { sharedOrderHours(), QStringLiteral("PG派工单.人工费"), kOrderMaterial } });
    return detail;
}

DbStatus LedgerReport::ReadFigures(DbConnection& db, const ReportCriteria& c, const std::vector<WorkerRecord>& workers,
                                   FigureList& figures)
{
    figures.assign(workers.size(), std::nullopt);
    if (workers.empty())
        return std::nullopt;
    DbCursor cur = db.select(figuresStatement(c, workers));
    auto value = [&cur](const QString& field) {
        return cur.isNull(field) ? std::nullopt : std::optional<double>(cur.number(field));
    };
    while (cur.next()) {
        const double place = cur.number(QStringLiteral("序"));
        if (place < 0 || place >= double(figures.size()))
            continue;
        figures[std::size_t(place)] = WorkerFigures { value(QStringLiteral("材料费实际")), value(QStringLiteral("平均工时")),
                                                      value(QStringLiteral("人工费实际")) };
    }
    return cur.error();
}

DbStatus LedgerReport::run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis&) const
{
    const ReportCriteria& c = input.criteria;
    const QString standard = formatNumber(double(StandardHours(c.startDate, c.endDate, input.calendarWorkingDays)),
                                          QStringLiteral("0.00"));
    std::vector<WorkerRecord> workers;
    DbStatus read = readWorkers(db, workerStatement(c), workers);
    FigureList figures;
    if (!read)
        read = m_source(db, c, workers, figures);
    RedrawPause pause(grid);
    grid.setRows(kHeaderRows);
    // a failing statement leaves the header rows only, drawn again when the pause ends
    if (read)
        return read;
    auto text = [](const std::optional<double>& v) {
        return v ? formatNumber(*v, QStringLiteral("0.00")) : QString();
    };
    for (std::size_t i = 0; i < workers.size(); ++i) {
        const std::optional<WorkerFigures>& f = figures[i];
        // a worker without figures, or whose figures are all NULL, gets no lines at all
        if (!f || (!f->material && !f->hours && !f->labour))
            continue;
        LedgerWorkerBlock block(grid);
        block.addWorkerLine(workers[i].name, text(f->hours), standard, text(f->labour), text(f->material));
        grid.setRowKey(grid.rows() - 1, workerKey(workers[i]));
        block.close();
        grid.setRowKey(grid.rows() - 1, workerKey(workers[i]));
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
