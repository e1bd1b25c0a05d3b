#include "CellText.h"
#include "LedgerReport.h"
#include "RunOnFixture.h"
#include "SpreadsheetExport.h"
#include "SqlText.h"

#include <QTest>

using trellum::test::FixtureDb;
using trellum::test::runOnFixture;

namespace trellum {
namespace {

const QDate kToday(2024, 1, 5);

// The ledger of region 03 for January 2024 over the given workers, run on a fresh fixture where
// each of them has one order.
DbStatus runLedger(const QStringList& workers, ReportGrid& grid)
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
        o.material = 12.5;
        o.labour = 30;
        fx.addLabour(fx.addOrder(o), 2, 1.25);
    }
    RunInput in;
    in.criteria.startDate = QDate(2024, 1, 1);
    in.criteria.endDate = QDate(2024, 1, 31);
    in.criteria.regionCode = QStringLiteral("03");
    in.criteria.workerCodes = sqlList(workers.isEmpty() ? QStringList { QStringLiteral("0099") } : workers);
    in.criteria.categoryCodes = sqlList({ QStringLiteral("1") });
    return runOnFixture(LedgerReport(), fx, in, grid);
}

Sheet buildSheet(const ReportGrid& grid)
{
    ExportContext ctx;
    ctx.grid = &grid;
    ctx.startDate = QDate(2024, 1, 1);
    ctx.endDate = QDate(2024, 1, 31);
    ctx.regionName = QStringLiteral("东区");
    ctx.categoryNames = QStringLiteral("水电，土建");
    ctx.today = kToday;
    ctx.title = QStringLiteral("班组经济核算台账汇总表");
    return BuildSheet(LedgerReport().exportLayout(), ctx);
}

QString textAt(const Sheet& sheet, int row, int col)
{
    const CellValue v = sheet.value(row, col);
    return v.kind == CellValue::Kind::Number ? plainNumber(v.number) : v.text;
}

} // namespace

class TestLedgerSheet : public QObject {
    Q_OBJECT

private slots:
    void layoutFields();
    void headerLinesAndMerges();
    void twoWorkers();
    void runWithoutFigures();
};

void TestLedgerSheet::layoutFields()
{
    const ExportLayout layout = LedgerReport().exportLayout();
    QCOMPARE(layout.defaultFileName(QDate(2023, 3, 1), QDate(2023, 3, 31), kToday), QStringLiteral("班组核算台账_20240105"));
    QCOMPARE(layout.guardRowCount, 3);
    QCOMPARE(layout.sheetColumns, 18);
    QCOMPARE(layout.headerRows, 3);
    QCOMPARE(layout.successMessage, QStringLiteral("班组核算台账汇总表导出成功!"));
}

void TestLedgerSheet::headerLinesAndMerges()
{
    ReportGrid grid;
    QVERIFY(!runLedger({ QStringLiteral("0012") }, grid));
    const Sheet sheet = buildSheet(grid);

    QCOMPARE(textAt(sheet, 2, 17), QStringLiteral(" 表 号: Velmor(90)统另4表"));
    QCOMPARE(sheet.style(2, 17).align, SheetAlign::Left);
    QCOMPARE(textAt(sheet, 3, 1), QStringLiteral(" 班    组: 东区"));
    QCOMPARE(textAt(sheet, 3, 8), QStringLiteral(" 统计日期: 2024-01-01 至 2024-01-31"));
    QCOMPARE(sheet.style(3, 8).align, SheetAlign::Centre);
    QCOMPARE(textAt(sheet, 3, 17), QStringLiteral(" 单 位: 小时 元"));

    const std::vector<SheetRange> expected = {
        { 1, 1, 1, 18 }, { 2, 17, 2, 18 }, { 3, 1, 3, 3 }, { 3, 8, 3, 11 }, { 3, 17, 3, 18 },
        { 4, 1, 6, 1 }, { 4, 2, 4, 3 }, { 5, 2, 6, 2 }, { 5, 3, 6, 3 }, { 4, 4, 4, 8 }, { 5, 4, 5, 7 },
        { 5, 8, 6, 8 }, { 4, 9, 4, 12 }, { 5, 9, 5, 11 }, { 5, 12, 6, 12 }, { 4, 13, 4, 16 }, { 5, 13, 5, 15 },
        { 5, 16, 6, 16 }, { 4, 17, 4, 18 }, { 5, 17, 6, 17 }, { 5, 18, 6, 18 },
    };
    QVERIFY(sheet.merges() == expected);
    // row 6 keeps its own texts under the merged budget headers; the header has no fill
    QCOMPARE(textAt(sheet, 6, 4), QStringLiteral("查勘"));
    QCOMPARE(textAt(sheet, 6, 15), QStringLiteral("小计"));
    QCOMPARE(textAt(sheet, 4, 17), QStringLiteral("施工管理费"));
    for (int c = 1; c <= 18; ++c)
        QCOMPARE(sheet.style(5, c).fill, std::optional<BgrColour>());
}

void TestLedgerSheet::twoWorkers()
{
    ReportGrid grid;
    QVERIFY(!runLedger({ QStringLiteral("0012"), QStringLiteral("0031") }, grid));
    QCOMPARE(grid.rows(), 16);
    const Sheet sheet = buildSheet(grid);

    for (int c = 1; c <= 18; ++c) {
        QCOMPARE(sheet.style(12, c).fill, std::optional<BgrColour>(kSubtotalColour));
        QCOMPARE(sheet.style(18, c).fill, std::optional<BgrColour>(kSubtotalColour));
        QCOMPARE(sheet.style(19, c).fill, std::optional<BgrColour>(kTotalColour));
        QCOMPARE(sheet.style(13, c).fill, std::optional<BgrColour>());
        QVERIFY(sheet.style(19, c).border);
        QVERIFY(!sheet.style(20, c).border);
    }
    QCOMPARE(textAt(sheet, 7, 2), QStringLiteral("王0012【水电工】"));
    QCOMPARE(textAt(sheet, 12, 3), QStringLiteral("合计"));
    QCOMPARE(textAt(sheet, 19, 3), QStringLiteral("总计"));
    QCOMPARE(textAt(sheet, 19, 1), QStringLiteral("13"));
    // standard hours: 23 working days in January 2024
    QCOMPARE(textAt(sheet, 7, 8), QStringLiteral("184"));
    QCOMPARE(sheet.style(7, 8).numberFormat, QStringLiteral("#0.00"));
    QCOMPARE(sheet.style(7, 8).align, SheetAlign::Right);
    QCOMPARE(textAt(sheet, 19, 16), QStringLiteral("25"));
    QCOMPARE(sheet.style(19, 16).numberFormat, QStringLiteral("#0.00"));
    // the shared man-hours keep the grid's text, without a number format
    QCOMPARE(textAt(sheet, 7, 5), QStringLiteral("2.5"));
    QCOMPARE(sheet.style(7, 5).numberFormat, QString());
    QCOMPARE(textAt(sheet, 21, 2), QStringLiteral(" 报修类别: 水电，土建"));
    QCOMPARE(sheet.lastRow(), 21);
}

void TestLedgerSheet::runWithoutFigures()
{
    ReportGrid grid;
    QVERIFY(!runLedger({}, grid));
    QCOMPARE(grid.rows(), 4);
    const Sheet sheet = buildSheet(grid);

    QCOMPARE(textAt(sheet, 7, 3), QStringLiteral("总计"));
    for (int c : { 8, 12, 16 }) {
        QCOMPARE(sheet.value(7, c).kind, CellValue::Kind::Number);
        QCOMPARE(sheet.value(7, c).number, 0.0);
        QCOMPARE(sheet.style(7, c).numberFormat, QStringLiteral("#0.00"));
    }
    QCOMPARE(sheet.style(7, 1).fill, std::optional<BgrColour>(kTotalColour));
    QCOMPARE(textAt(sheet, 9, 2), QStringLiteral(" 报修类别: 水电，土建"));
    QCOMPARE(sheet.lastRow(), 9);
}

} // namespace trellum

QTEST_GUILESS_MAIN(trellum::TestLedgerSheet)
#include "test_ledger_sheet.moc"
