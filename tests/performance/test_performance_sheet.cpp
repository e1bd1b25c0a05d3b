#include "CellText.h"
#include "PerformanceReport.h"
#include "RunOnFixture.h"
#include "SpreadsheetExport.h"
#include "SqlText.h"

#include <QTest>

using trellum::test::FixtureDb;
using trellum::test::runOnFixture;

namespace trellum {
namespace {

const QDate kToday(2024, 2, 5);

// The summary of region 03 from Saturday 2024-01-06 to Sunday 2024-01-14 over the given workers,
// run on a fresh fixture where each of them leads one order.
DbStatus runSummary(const QStringList& workers, ReportGrid& grid)
{
    FixtureDb fx;
    fx.addRegion(QStringLiteral("03"), QStringLiteral("东区"));
    fx.addCategory(QStringLiteral("1"), QStringLiteral("水电"));
    for (const QString& code : workers) {
        fx.addWorker(QStringLiteral("03"), code, QStringLiteral("王") + code, QStringLiteral("03 水电工"));
        FixtureDb::Order o;
        o.region = QStringLiteral("03");
        o.closed = QStringLiteral("2024-01-10 09:30:00");
        o.workers = code;
        fx.addLabour(fx.addOrder(o), 2, 1.25);
    }
    RunInput in;
    in.criteria.startDate = QDate(2024, 1, 6);
    in.criteria.endDate = QDate(2024, 1, 14);
    in.criteria.regionCode = QStringLiteral("03");
    in.criteria.workerCodes = sqlList(workers.isEmpty() ? QStringList { QStringLiteral("0099") } : workers);
    in.criteria.categoryCodes = sqlList({ QStringLiteral("1") });
    return runOnFixture(PerformanceReport(), fx, in, grid);
}

// The sheet as exported with the period changed after the run.
Sheet buildSheet(const ReportGrid& grid)
{
    ExportContext ctx;
    ctx.grid = &grid;
    ctx.startDate = QDate(2024, 1, 1);
    ctx.endDate = QDate(2024, 1, 31);
    ctx.regionName = QStringLiteral("东区");
    ctx.categoryNames = QStringLiteral("水电，土建");
    ctx.today = kToday;
    ctx.title = QStringLiteral("维修工考绩汇总表");
    return BuildSheet(PerformanceReport().exportLayout(), ctx);
}

QString textAt(const Sheet& sheet, int row, int col)
{
    const CellValue v = sheet.value(row, col);
    return v.kind == CellValue::Kind::Number ? plainNumber(v.number) : v.text;
}

} // namespace

class TestPerformanceSheet : public QObject {
    Q_OBJECT

private slots:
    void layoutFields();
    void headerLinesAndMerges();
    void twoWorkers();
    void runWithoutWorkers();
};

void TestPerformanceSheet::layoutFields()
{
    const ExportLayout layout = PerformanceReport().exportLayout();
    QCOMPARE(layout.defaultFileName(QDate(2024, 1, 1), QDate(2024, 1, 31), kToday),
             QStringLiteral("维修工考绩汇总表_20240205"));
    QCOMPARE(layout.guardRowCount, 2);
    QCOMPARE(layout.headerRows, 2);
    QCOMPARE(layout.successMessage, QStringLiteral("维修工考绩汇总表导出成功!"));
}

void TestPerformanceSheet::headerLinesAndMerges()
{
    ReportGrid grid;
    QVERIFY(!runSummary({ QStringLiteral("0012") }, grid));
    const Sheet sheet = buildSheet(grid);

    QCOMPARE(textAt(sheet, 1, 1), QStringLiteral("维修工考绩汇总表"));
    QCOMPARE(textAt(sheet, 2, 22), QStringLiteral(" 表号: (93) Velmor统另3表"));
    QCOMPARE(sheet.style(2, 22).align, SheetAlign::Right);
    QCOMPARE(textAt(sheet, 3, 1), QStringLiteral("填报单位: "));
    QCOMPARE(textAt(sheet, 3, 10), QStringLiteral(" 汇总日期: 2024-01-01 至 2024-01-31"));
    QCOMPARE(sheet.style(3, 10).align, SheetAlign::Centre);
    QCOMPARE(textAt(sheet, 3, 22), QStringLiteral(" 本月应出勤:       天,折合        小时"));
    QCOMPARE(sheet.style(3, 22).align, SheetAlign::Right);

    const std::vector<SheetRange> expected = {
        { 1, 1, 1, 24 }, { 2, 22, 2, 24 }, { 3, 1, 3, 3 }, { 3, 10, 3, 15 }, { 3, 22, 3, 24 },
        { 4, 1, 5, 1 }, { 4, 2, 5, 2 }, { 4, 3, 5, 3 }, { 4, 5, 5, 5 }, { 4, 7, 5, 7 }, { 4, 8, 5, 8 },
        { 4, 24, 5, 24 }, { 4, 10, 4, 14 }, { 4, 16, 4, 20 }, { 4, 21, 4, 23 },
    };
    QVERIFY(sheet.merges() == expected);
    QCOMPARE(sheet.rowHeights().at(5), 60.0);
    QVERIFY(sheet.rowWraps().at(4) && sheet.rowWraps().at(5));
    QCOMPARE(textAt(sheet, 4, 4), QStringLiteral("实际"));
    QCOMPARE(textAt(sheet, 4, 15), QStringLiteral("任务单"));
    QCOMPARE(textAt(sheet, 5, 15), QStringLiteral("完成张数"));
    for (int c = 1; c <= 24; ++c) {
        QCOMPARE(sheet.style(4, c).fill, std::optional<BgrColour>(kTotalColour));
        QCOMPARE(sheet.style(5, c).fill, std::optional<BgrColour>(kTotalColour));
    }
}

void TestPerformanceSheet::twoWorkers()
{
    ReportGrid grid;
    QVERIFY(!runSummary({ QStringLiteral("0012"), QStringLiteral("0031") }, grid));
    QCOMPARE(grid.rows(), 5);
    const Sheet sheet = buildSheet(grid);

    QCOMPARE(textAt(sheet, 6, 2), QStringLiteral("王0012【水电工】"));
    QCOMPARE(textAt(sheet, 7, 2), QStringLiteral("王0031【水电工】"));
    for (int c : { 4, 6, 9, 10, 15 }) {
        QCOMPARE(sheet.style(6, c).numberFormat, QStringLiteral("#0"));
        QCOMPARE(sheet.style(6, c).align, SheetAlign::Right);
    }
    QCOMPARE(textAt(sheet, 6, 4), QStringLiteral("5"));
    QCOMPARE(textAt(sheet, 6, 9), QStringLiteral("40"));
    QCOMPARE(textAt(sheet, 6, 15), QStringLiteral("1"));
    QCOMPARE(textAt(sheet, 6, 16), QStringLiteral("2.5"));
    QCOMPARE(sheet.style(6, 16).numberFormat, QStringLiteral("#0.00"));
    // the attendance columns stay empty
    QCOMPARE(sheet.value(6, 3).kind, CellValue::Kind::Empty);

    QCOMPARE(textAt(sheet, 8, 1), QStringLiteral("3"));
    QCOMPARE(textAt(sheet, 8, 2), QStringLiteral("合计"));
    QCOMPARE(textAt(sheet, 8, 4), QStringLiteral("10"));
    QCOMPARE(textAt(sheet, 8, 16), QStringLiteral("5"));
    for (int c = 1; c <= 24; ++c) {
        QCOMPARE(sheet.style(8, c).fill, std::optional<BgrColour>(kTotalColour));
        QCOMPARE(sheet.style(7, c).fill, std::optional<BgrColour>());
        QVERIFY(sheet.style(8, c).border);
        QVERIFY(!sheet.style(9, c).border);
        QCOMPARE(sheet.style(9, c).fontSize, 9.0);
    }
    QCOMPARE(textAt(sheet, 10, 2), QStringLiteral(" 复核:"));
    QCOMPARE(textAt(sheet, 10, 6), QStringLiteral(" 制单:"));
    QCOMPARE(textAt(sheet, 10, 13), QStringLiteral(" 日期:2024-02-05"));
    QCOMPARE(textAt(sheet, 11, 2), QStringLiteral(" 报修类别: 水电，土建"));
    QCOMPARE(sheet.lastRow(), 11);
}

void TestPerformanceSheet::runWithoutWorkers()
{
    ReportGrid grid;
    QVERIFY(!runSummary({}, grid));
    QCOMPARE(grid.rows(), 3);
    const Sheet sheet = buildSheet(grid);

    QCOMPARE(textAt(sheet, 6, 1), QStringLiteral("1"));
    QCOMPARE(textAt(sheet, 6, 2), QStringLiteral("合计"));
    QCOMPARE(textAt(sheet, 6, 15), QStringLiteral("0"));
    QCOMPARE(textAt(sheet, 6, 16), QStringLiteral("0"));
    QCOMPARE(sheet.style(6, 16).numberFormat, QStringLiteral("#0.00"));
    QCOMPARE(sheet.style(6, 24).fill, std::optional<BgrColour>(kTotalColour));
    QCOMPARE(textAt(sheet, 8, 2), QStringLiteral(" 复核:"));
    QCOMPARE(textAt(sheet, 8, 13), QStringLiteral(" 日期:2024-02-05"));
    QCOMPARE(textAt(sheet, 9, 2), QStringLiteral(" 报修类别: 水电，土建"));
    QCOMPARE(sheet.lastRow(), 9);
}

} // namespace trellum

QTEST_GUILESS_MAIN(trellum::TestPerformanceSheet)
#include "test_performance_sheet.moc"
