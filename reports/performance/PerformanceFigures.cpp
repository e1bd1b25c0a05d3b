#include "PerformanceReport.h"

#include "CellText.h"
#include "RedrawPause.h"
#include "SqlText.h"
#include "WorkerText.h"

#include <array>
#include <optional>
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
QString regionAndCategories(const ReportCriteria& c, const QString& workerRegion)
{
    return QStringLiteral(" And 区域DH=") + sqlQuote(workerRegion) + QStringLiteral(" And 报修类别编号 In(")
        + c.categoryCodes + QStringLiteral(")");
}

// The value of a one-row statement's field (nullopt for no row or NULL), the result closed.
struct SingleValue {
    DbStatus error;
    std::optional<double> value;
};

SingleValue singleValue(DbConnection& db, const QString& sql, const QString& field)
{
    DbCursor cur = db.select(sql);
    SingleValue out;
    if (cur.next() && !cur.isNull(field))
        out.value = cur.number(field);
    while (cur.next()) {
        // read to the end, so that nothing of it is pending when the next statement runs
    }
    out.error = cur.error();
    return out;
}

} // namespace

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

QString PerformanceReport::hoursStatement(const ReportCriteria& c, const QString& workerCode, const QString& workerRegion)
{
    return QStringLiteral("Select SUM(维修工时*B.数量/(len(维修人)-LEN(replace(维修人,',',''))+1)) as 平均工时 "
                          "From PG派工单 left Join pg维修人工费清单 B on 编号=任务单编号 where ")
        + periodCondition(c) + QStringLiteral(" And ") + workerItemPosition(workerCode) + QStringLiteral(" > 0")
        + regionAndCategories(c, workerRegion);
}

QString PerformanceReport::countStatement(const ReportCriteria& c, const QString& workerCode, const QString& workerRegion)
{
    return QStringLiteral("Select Count(编号) As 张数 From PG派工单 Where ") + periodCondition(c)
        + QStringLiteral(" And 跟随单编号 Is Null And ") + workerItemPosition(workerCode) + QStringLiteral(" = 1")
        + regionAndCategories(c, workerRegion);
}

DbStatus PerformanceReport::run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis&) const
{
    const ReportCriteria& c = input.criteria;
    const long long workingDays = CountWorkingDays(c.startDate, c.endDate, input.calendarWorkingDays);
    const QString daysText = QString::number(workingDays);
    const QString hoursText = QString::number(WorkingHours(workingDays));

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
        const SingleValue hours = singleValue(db, hoursStatement(c, w.code, w.region), QStringLiteral("平均工时"));
        if (hours.error)
            return fail(*hours.error);
        // a worker without credited hours gets no row
        if (!hours.value)
            continue;
        const SingleValue count = singleValue(db, countStatement(c, w.code, w.region), QStringLiteral("张数"));
        if (count.error)
            return fail(*count.error);

        const int r = grid.appendRow();
        grid.setRow(r);
        grid.setText(r, 0, QString::number(r - kHeaderRows + 1));
        grid.setText(r, 1, w.name);
        grid.setText(r, 3, daysText);
        grid.setText(r, 5, daysText);
        grid.setText(r, 8, hoursText);
        grid.setText(r, 9, hoursText);
        grid.setText(r, 14, count.value ? formatNumber(*count.value, QStringLiteral("0")) : QString());
        grid.setText(r, 15, formatNumber(*hours.value, QStringLiteral("0.00")));
    }

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
