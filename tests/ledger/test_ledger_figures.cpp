#include "LedgerReport.h"
#include "RunOnFixture.h"
#include "SqlText.h"

#include <QTest>

using trellum::test::FixtureDb;
using trellum::test::runAgainOnFixture;
using trellum::test::runOnFixture;

namespace trellum {
namespace {

const QDate kSaturday(2024, 1, 6);
const QDate kNextSunday(2024, 1, 14);

// An order of region 03, category 1, closed and completed on Wednesday 2024-01-10.
FixtureDb::Order order(const QString& workers, std::optional<double> material = 10.5,
                       std::optional<double> labour = 30)
{
    FixtureDb::Order o;
    o.office = QStringLiteral("G01");
    o.region = QStringLiteral("03");
    o.closed = QStringLiteral("2024-01-10 09:30:00");
    o.workers = workers;
    o.material = material;
    o.labour = labour;
    return o;
}

// Region 03 东区 with the categories 1 水电 and 2 土建.
void addBasics(FixtureDb& fx)
{
    fx.addRegion(QStringLiteral("03"), QStringLiteral("东区"));
    fx.addCategory(QStringLiteral("1"), QStringLiteral("水电"));
    fx.addCategory(QStringLiteral("2"), QStringLiteral("土建"));
}

// The ledger of region 03 from Saturday 2024-01-06 to Sunday 2024-01-14 with category 1 ticked.
RunInput input(const QStringList& workers)
{
    RunInput in;
    in.criteria.startDate = kSaturday;
    in.criteria.endDate = kNextSunday;
    in.criteria.regionCode = QStringLiteral("03");
    in.criteria.regionName = QStringLiteral("东区");
    in.criteria.workerCodes = sqlList(workers);
    in.criteria.categoryCodes = sqlList({ QStringLiteral("1") });
    in.criteria.categoryNames = QStringLiteral("水电");
    return in;
}

// Lays out the grid and runs the ledger on the fixture.
DbStatus runLedger(FixtureDb& fx, const RunInput& in, ReportGrid& grid)
{
    return runOnFixture(LedgerReport(), fx, in, grid);
}

QStringList column(const ReportGrid& grid, int col)
{
    QStringList out;
    for (int r = LedgerReport::kHeaderRows; r < grid.rows(); ++r)
        out << grid.text(r, col);
    return out;
}

} // namespace

class TestLedgerFigures : public QObject {
    Q_OBJECT

private slots:
    void standardHours_data();
    void standardHours();
    void layout();
    void twoWorkersMakeTwoBlocksAndTheTotal();
    void sharedHoursAreSummedAsShown();
    void workerIsMatchedAsWholeItem_data();
    void workerIsMatchedAsWholeItem();
    void ordersOutsideTickedCategoriesGiveNoBlock();
    void inactiveWorkerIsLeftOut();
    void workerName_data();
    void workerName();
    void nullCostsShowEmptyAndCountZero();
    void failingStatementLeavesHeaderRows();
};

void TestLedgerFigures::standardHours_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<bool>("calendar");
    QTest::addColumn<long long>("hours");
    QTest::newRow("saturday to next sunday") << kSaturday << kNextSunday << true << 40LL;
    QTest::newRow("one saturday") << kSaturday << kSaturday << true << 0LL;
    QTest::newRow("leap year from a monday") << QDate(2024, 1, 1) << QDate(2024, 12, 31) << true << 2096LL;
    // 1040 whole weeks: 5200 working days, past what a 16-bit count of hours holds
    QTest::newRow("twenty years") << QDate(2024, 1, 1) << QDate(2024, 1, 1).addDays(7279) << true << 41600LL;
    QTest::newRow("attendance option") << kSaturday << kNextSunday << false << 0LL;
}

void TestLedgerFigures::standardHours()
{
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(bool, calendar);
    QFETCH(long long, hours);
    QCOMPARE(LedgerReport::StandardHours(start, end, calendar), hours);
}

void TestLedgerFigures::layout()
{
    ReportGrid grid;
    LedgerReport().layoutGrid(grid, {});
    QCOMPARE(grid.rows(), 3);
    QCOMPARE(grid.cols(), 18);
    QCOMPARE(grid.fixedRows(), 3);
    const QList<int> widths = { 600, 1800, 2400, 800, 1200, 800, 800, 1200, 800,
                                800, 1200, 1300, 800, 800, 1200, 1300, 1200, 1200 };
    for (int c = 0; c < 18; ++c) {
        QCOMPARE(grid.colWidth(c), widths[c]);
        QCOMPARE(grid.columnAlign(c), c == 0 ? CellAlign::Centre : c <= 2 ? CellAlign::Left : CellAlign::Right);
        QCOMPARE(grid.mergeCol(c), QList<int>({ 0, 1, 2, 7, 11, 15, 16, 17 }).contains(c));
    }
    QVERIFY(grid.mergeRow(0) && grid.mergeRow(1) && !grid.mergeRow(2));
    QCOMPARE(grid.text(0, 3), QStringLiteral("用工记录"));
    QCOMPARE(grid.text(1, 6), QStringLiteral("完成定额工时"));
    QCOMPARE(grid.text(2, 4), QStringLiteral("定额"));
    QCOMPARE(grid.text(2, 17), QStringLiteral("实际"));
}

void TestLedgerFigures::twoWorkersMakeTwoBlocksAndTheTotal()
{
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0012"), QStringLiteral("张三"), QStringLiteral("03 水电工"));
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0031"), QStringLiteral("李四"), QStringLiteral("04 木工"));
    fx.addLabour(fx.addOrder(order(QStringLiteral("0012"))), 2, 1.5);
    fx.addLabour(fx.addOrder(order(QStringLiteral("0031"), 4, 20)), 1, 2);

    ReportGrid grid;
    QVERIFY(!runLedger(fx, input({ QStringLiteral("0012"), QStringLiteral("0031") }), grid));
    QCOMPARE(grid.rows(), 16);
    QStringList numbers;
    for (int i = 1; i <= 13; ++i)
        numbers << QString::number(i);
    QCOMPARE(column(grid, 0), numbers);
    const QString z = QStringLiteral("零星"), s = QStringLiteral("合计"), e;
    QCOMPARE(column(grid, 2), QStringList({ z, e, e, e, e, s, z, e, e, e, e, s, QStringLiteral("总计") }));
    QCOMPARE(column(grid, 1).first(), QStringLiteral("张三【水电工】"));
    QCOMPARE(column(grid, 4), QStringList({ "3.00", e, e, e, e, "3.00", "2.00", e, e, e, e, "2.00", "5.00" }));
    QCOMPARE(column(grid, 7), QStringList({ "40.00", e, e, e, e, "40.00", "40.00", e, e, e, e, "40.00", "80.00" }));
    QCOMPARE(column(grid, 11), QStringList({ "30.00", e, e, e, e, "30.00", "20.00", e, e, e, e, "20.00", "50.00" }));
    QCOMPARE(column(grid, 15), QStringList({ "10.50", e, e, e, e, "10.50", "4.00", e, e, e, e, "4.00", "14.50" }));
    for (int c = 0; c < 18; ++c) {
        const auto subtotal = c == 0 ? std::optional<BgrColour>() : std::optional<BgrColour>(kSubtotalColour);
        const auto total = c == 0 ? std::optional<BgrColour>() : std::optional<BgrColour>(kTotalColour);
        QCOMPARE(grid.background(8, c), subtotal);
        QCOMPARE(grid.background(14, c), subtotal);
        QCOMPARE(grid.background(15, c), total);
        QCOMPARE(grid.background(9, c), std::optional<BgrColour>());
    }
    QVERIFY(grid.redraw());
}

void TestLedgerFigures::sharedHoursAreSummedAsShown()
{
    FixtureDb fx;
    addBasics(fx);
    const QStringList codes = { QStringLiteral("0012"), QStringLiteral("0031"), QStringLiteral("0045") };
    for (const QString& code : codes)
        fx.addWorker(QStringLiteral("03"), code, QStringLiteral("王") + code, QString());
    const long long id = fx.addOrder(order(QStringLiteral("0012,0031,0045")));
    fx.addLabour(id, 3, 2);
    fx.addLabour(id, 1, 1);

    ReportGrid grid;
    QVERIFY(!runLedger(fx, input(codes), grid));
    QCOMPARE(grid.rows(), 3 + 3 * 6 + 1);
    for (int block = 0; block < 3; ++block) {
        const int line = 3 + block * 6;
        QCOMPARE(grid.text(line, 4), QStringLiteral("2.33"));
        // the costs are the order's, once, whatever its labour items
        QCOMPARE(grid.text(line, 11), QStringLiteral("30.00"));
        QCOMPARE(grid.text(line, 15), QStringLiteral("10.50"));
        QCOMPARE(grid.text(line + 5, 4), QStringLiteral("2.33"));
    }
    // the total adds the rounded subtotals: 3 × 2.33, not 7
    QCOMPARE(grid.text(grid.rows() - 1, 4), QStringLiteral("6.99"));
    QCOMPARE(grid.text(grid.rows() - 1, 11), QStringLiteral("90.00"));
}

void TestLedgerFigures::workerIsMatchedAsWholeItem_data()
{
    QTest::addColumn<QString>("workers");
    QTest::addColumn<bool>("credited");
    QTest::newRow("only worker") << "12" << true;
    QTest::newRow("second worker") << "5,12" << true;
    QTest::newRow("blanks around items") << "5, 12 ,7" << true;
    QTest::newRow("another worker 112") << "112,5" << false;
    QTest::newRow("another worker 5120") << "5,5120" << false;
    QTest::newRow("another worker 0012") << "0012" << false;
}

void TestLedgerFigures::workerIsMatchedAsWholeItem()
{
    QFETCH(QString, workers);
    QFETCH(bool, credited);
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("12"), QStringLiteral("张三"), QString());
    fx.addLabour(fx.addOrder(order(workers)), 1, 1);

    ReportGrid grid;
    QVERIFY(!runLedger(fx, input({ QStringLiteral("12") }), grid));
    QCOMPARE(grid.rows(), credited ? 10 : 4);
    QCOMPARE(grid.text(grid.rows() - 1, 11), credited ? QStringLiteral("30.00") : QStringLiteral("0.00"));
}

void TestLedgerFigures::ordersOutsideTickedCategoriesGiveNoBlock()
{
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0012"), QStringLiteral("张三"), QString());
    FixtureDb::Order o = order(QStringLiteral("0012"));
    o.category = QStringLiteral("2");
    fx.addLabour(fx.addOrder(o), 1, 1);

    ReportGrid grid;
    QVERIFY(!runLedger(fx, input({ QStringLiteral("0012") }), grid));
    QCOMPARE(grid.rows(), 4);
    QCOMPARE(grid.text(3, 0), QStringLiteral("1"));
    QCOMPARE(grid.text(3, 2), QStringLiteral("总计"));
    for (int c : { 4, 7, 11, 15 })
        QCOMPARE(grid.text(3, c), QStringLiteral("0.00"));
}

void TestLedgerFigures::inactiveWorkerIsLeftOut()
{
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0012"), QStringLiteral("张三"), QString(),
                 QStringLiteral("2023-12-31"));
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0031"), QStringLiteral("李四"), QString());
    fx.addLabour(fx.addOrder(order(QStringLiteral("0012,0031"))), 1, 1);

    ReportGrid grid;
    QVERIFY(!runLedger(fx, input({ QStringLiteral("0012"), QStringLiteral("0031") }), grid));
    QCOMPARE(grid.rows(), 10);
    QCOMPARE(grid.text(3, 1), QStringLiteral("李四"));
}

void TestLedgerFigures::workerName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("post");
    QTest::addColumn<QString>("shown");
    QTest::newRow("code and trade") << "张三" << "03 水电工" << "张三【水电工】";
    QTest::newRow("trade without code") << "张三" << "水电工" << "张三【水电工】";
    QTest::newRow("after the first blank") << "张三" << "03 水电 班长" << "张三【水电 班长】";
    QTest::newRow("no post") << "张三" << QString() << "张三";
    QTest::newRow("neither name nor post") << QString() << QString() << "";
}

void TestLedgerFigures::workerName()
{
    QFETCH(QString, name);
    QFETCH(QString, post);
    QFETCH(QString, shown);
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0012"), name, post);
    fx.addLabour(fx.addOrder(order(QStringLiteral("0012"))), 1, 1);

    ReportGrid grid;
    QVERIFY(!runLedger(fx, input({ QStringLiteral("0012") }), grid));
    QCOMPARE(grid.rows(), 10);
    QCOMPARE(grid.text(3, 1), shown);
}

void TestLedgerFigures::nullCostsShowEmptyAndCountZero()
{
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0012"), QStringLiteral("张三"), QString());
    // no labour items, no material and no labour cost
    fx.addOrder(order(QStringLiteral("0012"), std::nullopt, std::nullopt));

    ReportGrid grid;
    QVERIFY(!runLedger(fx, input({ QStringLiteral("0012") }), grid));
    QCOMPARE(grid.rows(), 10);
    QCOMPARE(grid.text(3, 4), QString());
    QCOMPARE(grid.text(3, 11), QString());
    QCOMPARE(grid.text(3, 15), QStringLiteral("0.00"));
    for (int c : { 4, 11, 15 })
        QCOMPARE(grid.text(8, c), QStringLiteral("0.00"));
    QCOMPARE(grid.text(8, 7), QStringLiteral("40.00"));
}

void TestLedgerFigures::failingStatementLeavesHeaderRows()
{
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0012"), QStringLiteral("张三"), QString());
    fx.addLabour(fx.addOrder(order(QStringLiteral("0012"))), 1, 1);
    ReportGrid grid;
    QVERIFY(!runLedger(fx, input({ QStringLiteral("0012") }), grid));
    QCOMPARE(grid.rows(), 10);

    fx.exec(QStringLiteral("DROP TABLE pg维修人工费清单"));
    TypeAnalysis boxes;
    const DbStatus status = runAgainOnFixture(LedgerReport(), fx, input({ QStringLiteral("0012") }), grid, boxes);
    QVERIFY(status);
    QVERIFY(!status->description.isEmpty());
    QCOMPARE(grid.rows(), 3);
    QCOMPARE(grid.text(2, 3), QStringLiteral("查勘"));
    QVERIFY(grid.redraw());
}

} // namespace trellum

QTEST_GUILESS_MAIN(trellum::TestLedgerFigures)
#include "test_ledger_figures.moc"
