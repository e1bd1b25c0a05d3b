#include "PerformanceReport.h"

#include "CellText.h"
#include "RedrawPause.h"
#include "SqlText.h"
#include "WorkerText.h"

#include <array>
#include <utility>
#include <vector>

namespace trellum {

namespace {

// The columns the totals row adds up, and the pattern each total is shown with.
struct TotalColumn {
    int col;
    const char* pattern;
};
constexpr std::array<TotalColumn, 6> kTotalColumns = {
    { { 3, "0" }, { 5, "0" }, { 8, "0" }, { 9, "0" }, { 14, "0" }, { 15, "0.00" } }
};

// The period, the closed and completed flags of the statements' conditions.
QString periodCondition(const ReportCriteria& c)
{
    return QStringLiteral("CONVERT(char(8),销单日期,112) Between ") + sqlQuote(sqlDate(c.startDate))
        + QStringLiteral(" And ") + sqlQuote(sqlDate(c.endDate)) + QStringLiteral(" And 是否销单=1 And 维修完成 =1");
}

// The worker's region and the ticked categories, the end of both statements' conditions.
QString regionAndCategories(const ReportCriteria& c)
{
    // every worker of the list is of the run's region: given as a value too, the database reads
    // that region's orders only, once for all the workers
    return QStringLiteral(" And 区域DH=W.区域号 And 区域DH=") + sqlQuote(c.regionCode) + QStringLiteral(" And 报修类别编号 In(")
        + c.categoryCodes + QStringLiteral(")");
}

} // namespace

PerformanceReport::PerformanceReport(FigureSource source)
    : m_source(std::move(source))
{
}

void PerformanceReport::layoutGrid(ReportGrid& grid, const CategoryTable&) const
{
    static const char16_t* const header0[kCols] = {
        u"序", u"姓名", u"全日缺勤工日", u"实际", u"全日公假及停工工日", u"实际", u"非全日缺勤工时",
        u"非全日公假及停工工时", u"实际", u"实际作业工时分析", u"实际作业工时分析", u"实际作业工时分析",
        u"实际作业工时分析", u"实际作业工时分析", u"任务单", u"完成定额工时分析", u"完成定额工时分析",
        u"完成定额工时分析", u"完成定额工时分析", u"完成定额工时分析", u"补贴工时", u"补贴工时", u"补贴工时", u"备注"
    };
    static const char16_t* const header1[kCols] = {
        u"序", u"姓名", u"全日缺勤工日", u"出勤工日", u"全日公假及停工工日", u"作业工日", u"非全日缺勤工时",
        u"非全日公假及停工工时", u"作业工时", u"分析工时", u"", u"", u"", u"", u"完成张数", u"分析工时", u"", u"", u"",
        u"", u"", u"", u"", u"备注"
    };
    static constexpr int firstWidths[kCols] = { 600, 1000, 500, 900, 500, 900, 500, 500, 900, 900, 900, 900,
                                                900, 900, 800, 600, 600, 600, 600, 600, 400, 400, 400, 1600 };
    static constexpr int widths[kCols] = { 600, 1800, 500, 900, 500, 900, 500, 500, 900, 900, 500, 500,
                                           500, 500, 800, 900, 500, 500, 500, 500, 500, 500, 500, 2400 };
    const RedrawPause pause(grid);
    grid.setCols(kCols);
    grid.setRows(kHeaderRows);
    grid.setFixedRows(kHeaderRows);
    grid.setFixedCols(1);
    grid.setFormatString(QStringLiteral("^|< |> |> |> |> |> |> |> |> |> |> |> |> |> |> |> |> |> |> |> |> |< "));
    // the format text has one entry fewer than the grid has columns: column 22 is right-aligned
    // like its neighbours and the remarks column 23 left-aligned
    grid.setColumnAlign(22, CellAlign::Right);
    grid.setColumnAlign(23, CellAlign::Left);
    grid.setMergeCells(true);
    for (int col = 0; col < kCols; ++col)
        grid.setHeaderAlign(col, CellAlign::Centre);
    grid.setWordWrap(true);
    grid.setRowHeight(0, 300);
    grid.setRowHeight(1, 1000);
    // the second header row sets every width again; its widths are the ones that stay
    for (int col = 0; col < kCols; ++col) {
        grid.setText(0, col, QString::fromUtf16(header0[col]));
        grid.setColWidth(col, firstWidths[col]);
    }
    for (int col = 0; col < kCols; ++col) {
        grid.setText(1, col, QString::fromUtf16(header1[col]));
        grid.setColWidth(col, widths[col]);
    }
    grid.setMergeRow(0, true);
    for (int col : { 0, 1, 2, 4, 6, 7, 23 })
        grid.setMergeCol(col, true);
}

long long PerformanceReport::CountWorkingDays(const QDate& start, const QDate& end, bool calendarWorkingDays)
{
    return calendarWorkingDays ? countWeekdays(start, end) : 0;
}

QString PerformanceReport::workerStatement(const ReportCriteria& c)
{
    return QStringLiteral("Select * From pg区域维修人员 Where 终止日期 Is Null And 区域号 = ") + sqlQuote(c.regionCode)
        + QStringLiteral("And 工号 In (") + c.workerCodes + QStringLiteral(")");
}

namespace {

QString workersFrom(const std::vector<WorkerRecord>& workers)
{
    return QStringLiteral("PG派工单 Cross Join (") + workerTable(workers) + QStringLiteral(") W");
}

// The orders whose man-hours are credited to a worker of W: he is named anywhere in 维修人.
QString creditedOrders(const ReportCriteria& c)
{
    return periodCondition(c) + QStringLiteral(" And ") + workerItemPositionOf(QStringLiteral("W.工号"))
        + QStringLiteral(" > 0") + regionAndCategories(c);
}

// The orders a worker of W completed as lead worker: named first, follow-up orders left out.
QString ledOrders(const ReportCriteria& c)
{
    return periodCondition(c) + QStringLiteral(" And 跟随单编号 Is Null And ") + workerItemPositionOf(QStringLiteral("W.工号"))
        + QStringLiteral(" = 1") + regionAndCategories(c);
}

} // namespace

QString PerformanceReport::figuresStatement(const ReportCriteria& c, const std::vector<WorkerRecord>& workers)
{
    const QString from = QStringLiteral(" From ") + workersFrom(workers);
    const QString hours = QStringLiteral("Select W.序, SUM(") + sharedItemHours() + QStringLiteral(") as 平均工时") + from
        + QStringLiteral(" left Join pg维修人工费清单 B on 编号=任务单编号 where ") + creditedOrders(c)
        + QStringLiteral(" group by W.序");
    const QString orders = QStringLiteral("Select W.序, Count(编号) As 张数") + from + QStringLiteral(" Where ") + ledOrders(c)
        + QStringLiteral(" group by W.序");
    return QStringLiteral("Select H.序, H.平均工时, N.张数 From (") + hours + QStringLiteral(") H Left Join (") + orders
        + QStringLiteral(") N On N.序 = H.序");
}

std::optional<CellDetail> PerformanceReport::cellDetail(const RunInput& input, const ReportGrid& grid, int row, int col) const
{
    // the days and hours of attendance come from the calendar, not from orders
    if ((col != 14 && col != 15) || row < kHeaderRows || row >= grid.rows())
        return std::nullopt;
    const std::vector<QStringList> keys = keysBehind(grid, row, 1, QStringLiteral("合计"));
    std::vector<WorkerRecord> workers;
    for (const QStringList& key : keys)
        workers.push_back(workerOfKey(key));
    CellDetail detail = namedCell(info().title, grid, row, col, 1);
    if (col == 15) {
        detail.contributionNames = { QStringLiteral("工时分摊") };
        detail.rule = { 0, QStringLiteral("0.00") };
    }
    if (!workers.empty())
        detail.parts.push_back({ .from = workersFrom(workers),
                                 .where = col == 15 ? creditedOrders(input.criteria)
                                                    : ledOrders(input.criteria) + QStringLiteral(" And 编号 Is Not Null"),
                                 .group = QStringLiteral("W.序"),
                                 .contributions = col == 15 ? QStringList { sharedOrderHours() } : QStringList() });
    return detail;
}

DbStatus PerformanceReport::ReadFigures(DbConnection& db, const ReportCriteria& c,
                                        const std::vector<WorkerRecord>& workers, FigureList& figures)
{
    figures.assign(workers.size(), WorkerFigures());
    if (workers.empty())
        return std::nullopt;
    DbCursor cur = db.select(figuresStatement(c, workers));
    while (cur.next()) {
        const double place = cur.number(QStringLiteral("序"));
        if (place < 0 || place >= double(figures.size()) || cur.isNull(QStringLiteral("平均工时")))
            continue;
        // a worker with credited hours and no order as lead worker counted none
        figures[std::size_t(place)] = { cur.number(QStringLiteral("平均工时")), cur.number(QStringLiteral("张数")) };
    }
    return cur.error();
}

DbStatus PerformanceReport::run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis&) const
{
    const ReportCriteria& c = input.criteria;
    const long long workingDays = CountWorkingDays(c.startDate, c.endDate, input.calendarWorkingDays);
    const QString daysText = QString::number(workingDays);
    const QString hoursText = QString::number(WorkingHours(workingDays));

    std::vector<WorkerRecord> workers;
    DbStatus read = readWorkers(db, workerStatement(c), workers);
    FigureList figures;
    if (!read)
        read = m_source(db, c, workers, figures);
    RedrawPause pause(grid);
    grid.setRows(kHeaderRows);
    // a failing statement leaves the header rows only
    if (read)
        return read;

    for (std::size_t i = 0; i < workers.size(); ++i) {
        const WorkerRecord& w = workers[i];
        const WorkerFigures& f = figures[i];
        // a worker without credited hours gets no row
        if (!f.hours)
            continue;
        const int r = grid.appendRow();
        grid.setRow(r);
        grid.setText(r, 0, QString::number(r - kHeaderRows + 1));
        grid.setText(r, 1, w.name);
        grid.setRowKey(r, workerKey(w));
        grid.setText(r, 3, daysText);
        grid.setText(r, 5, daysText);
        grid.setText(r, 8, hoursText);
        grid.setText(r, 9, hoursText);
        grid.setText(r, 14, f.orders ? formatNumber(*f.orders, QStringLiteral("0")) : QString());
        grid.setText(r, 15, formatNumber(*f.hours, QStringLiteral("0.00")));
    }
    // the worker rows are drawn once, then the totals row is made with repainting off again
    pause.drawNow();

    // the totals row adds the texts as shown and is numbered too
    std::array<double, kTotalColumns.size()> sums {};
    for (int r = kHeaderRows; r < grid.rows(); ++r)
        for (std::size_t i = 0; i < kTotalColumns.size(); ++i)
            sums[i] += cellNumber(grid.text(r, kTotalColumns[i].col));
    const int t = grid.appendRow();
    grid.setRow(t);
    grid.setText(t, 0, QString::number(t - kHeaderRows + 1));
    grid.setText(t, 1, QStringLiteral("合计"));
    for (std::size_t i = 0; i < kTotalColumns.size(); ++i)
        grid.setText(t, kTotalColumns[i].col, formatNumber(sums[i], QString::fromLatin1(kTotalColumns[i].pattern)));
    for (int col = 1; col < kCols; ++col)
        grid.setBackground(t, col, kTotalColour);
    return std::nullopt;
}

} // namespace trellum
