#include "PerformanceReport.h"
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
FixtureDb::Order order(const QString& workers)
{
    FixtureDb::Order o;
    o.office = QStringLiteral("G01");
    o.region = QStringLiteral("03");
    o.closed = QStringLiteral("2024-01-10 09:30:00");
    o.workers = workers;
    return o;
}

// Region 03 东区 with the category 1 水电.
void addBasics(FixtureDb& fx)
{
    fx.addRegion(QStringLiteral("03"), QStringLiteral("东区"));
    fx.addCategory(QStringLiteral("1"), QStringLiteral("水电"));
}

// The summary of region 03 from Saturday 2024-01-06 to Sunday 2024-01-14 with category 1 ticked.
RunInput input(const QStringList& workers)
{
    RunInput in;
    in.criteria.startDate = kSaturday;
    in.criteria.endDate = kNextSunday;
    in.criteria.regionCode = QStringLiteral("03");
    in.criteria.workerCodes = sqlList(workers);
    in.criteria.categoryCodes = sqlList({ QStringLiteral("1") });
    return in;
}

// Lays out the grid and runs the summary on the fixture.
DbStatus runSummary(FixtureDb& fx, const RunInput& in, ReportGrid& grid)
{
    return runOnFixture(PerformanceReport(), fx, in, grid);
}

// The row of the grid whose name column reads `name`, or -1.
int rowOf(const ReportGrid& grid, const QString& name)
{
    for (int r = PerformanceReport::kHeaderRows; r < grid.rows(); ++r)
        if (grid.text(r, 1) == name)
            return r;
    return -1;
}

} // namespace

class TestPerformanceFigures : public QObject {
    Q_OBJECT

private slots:
    void workingDays_data();
    void workingDays();
    void layout();
    void secondNamedWorkerHasHoursAndNoOrders();
    void itemIsSharedAmongThreeWorkers();
    void leadWorkerIsMatchedAsWholeItem_data();
    void leadWorkerIsMatchedAsWholeItem();
    void containedCodeIsNotCredited();
    void workerWithoutCreditedHoursIsLeftOut();
    void inactiveWorkerIsLeftOut();
    void workerName_data();
    void workerName();
    void totalsRowIsNumberedAndColoured();
    void failingStatementRestoresGrid();
};

void TestPerformanceFigures::workingDays_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<bool>("calendar");
    QTest::addColumn<long long>("days");
    QTest::addColumn<long long>("hours");
    QTest::newRow("saturday to next sunday") << kSaturday << kNextSunday << true << 5LL << 40LL;
    QTest::newRow("one saturday") << kSaturday << kSaturday << true << 0LL << 0LL;
    QTest::newRow("monday to sunday") << QDate(2024, 1, 1) << QDate(2024, 1, 7) << true << 5LL << 40LL;
    QTest::newRow("one friday") << QDate(2024, 1, 5) << QDate(2024, 1, 5) << true << 1LL << 8LL;
    // 1040 whole weeks, past what 16-bit counts hold
    QTest::newRow("twenty years") << QDate(2024, 1, 1) << QDate(2024, 1, 1).addDays(7279) << true << 5200LL << 41600LL;
    QTest::newRow("attendance option") << kSaturday << kNextSunday << false << 0LL << 0LL;
}

void TestPerformanceFigures::workingDays()
{
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(bool, calendar);
    QFETCH(long long, days);
    QFETCH(long long, hours);
    const long long counted = PerformanceReport::CountWorkingDays(start, end, calendar);
    QCOMPARE(counted, days);
    QCOMPARE(PerformanceReport::WorkingHours(counted), hours);
}

void TestPerformanceFigures::layout()
{
    ReportGrid grid;
    PerformanceReport().layoutGrid(grid, {});
    QCOMPARE(grid.rows(), 2);
    QCOMPARE(grid.cols(), 24);
    QCOMPARE(grid.fixedRows(), 2);
    QCOMPARE(grid.rowHeight(0), 300);
    QCOMPARE(grid.rowHeight(1), 1000);
    QVERIFY(grid.wordWrap());
    const QList<int> widths = { 600, 1800, 500, 900, 500, 900, 500, 500, 900, 900, 500, 500,
                                500, 500, 800, 900, 500, 500, 500, 500, 500, 500, 500, 2400 };
    for (int c = 0; c < 24; ++c) {
        QCOMPARE(grid.colWidth(c), widths[c]);
        QCOMPARE(grid.columnAlign(c), c == 0 ? CellAlign::Centre : c == 1 || c == 23 ? CellAlign::Left : CellAlign::Right);
        QCOMPARE(grid.mergeCol(c), QList<int>({ 0, 1, 2, 4, 6, 7, 23 }).contains(c));
    }
    QVERIFY(grid.mergeRow(0) && !grid.mergeRow(1));
    QCOMPARE(grid.text(0, 13), QStringLiteral("实际作业工时分析"));
    QCOMPARE(grid.text(1, 13), QString());
    QCOMPARE(grid.text(1, 14), QStringLiteral("完成张数"));
    QCOMPARE(grid.text(1, 23), QStringLiteral("备注"));
}

void TestPerformanceFigures::secondNamedWorkerHasHoursAndNoOrders()
{
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0031"), QStringLiteral("李四"), QString());
    fx.addLabour(fx.addOrder(order(QStringLiteral("0012,0031"))), 2, 1.5);
    fx.addLabour(fx.addOrder(order(QStringLiteral("0045, 0031"))), 1, 3);

    ReportGrid grid;
    QVERIFY(!runSummary(fx, input({ QStringLiteral("0031") }), grid));
    QCOMPARE(grid.rows(), 4);
    QCOMPARE(grid.text(2, 0), QStringLiteral("1"));
    QCOMPARE(grid.text(2, 1), QStringLiteral("李四"));
    QCOMPARE(grid.text(2, 15), QStringLiteral("3.00"));
    QCOMPARE(grid.text(2, 14), QStringLiteral("0"));
    QCOMPARE(grid.text(2, 3), QStringLiteral("5"));
    QCOMPARE(grid.text(2, 5), QStringLiteral("5"));
    QCOMPARE(grid.text(2, 8), QStringLiteral("40"));
    QCOMPARE(grid.text(2, 9), QStringLiteral("40"));
    for (int c : { 2, 4, 6, 7, 10, 16, 20, 23 })
        QCOMPARE(grid.text(2, c), QString());
}

void TestPerformanceFigures::itemIsSharedAmongThreeWorkers()
{
    FixtureDb fx;
    addBasics(fx);
    const QStringList codes = { QStringLiteral("0012"), QStringLiteral("0031"), QStringLiteral("0045") };
    for (const QString& code : codes)
        fx.addWorker(QStringLiteral("03"), code, QStringLiteral("王") + code, QString());
    fx.addLabour(fx.addOrder(order(QStringLiteral("0012,0031,0045"))), 2, 1.5);

    ReportGrid grid;
    QVERIFY(!runSummary(fx, input(codes), grid));
    QCOMPARE(grid.rows(), 6);
    for (const QString& code : codes)
        QCOMPARE(grid.text(rowOf(grid, QStringLiteral("王") + code), 15), QStringLiteral("1.00"));
    QCOMPARE(grid.text(rowOf(grid, QStringLiteral("王0012")), 14), QStringLiteral("1"));
    QCOMPARE(grid.text(5, 15), QStringLiteral("3.00"));
    QCOMPARE(grid.text(5, 14), QStringLiteral("1"));
}

void TestPerformanceFigures::leadWorkerIsMatchedAsWholeItem_data()
{
    QTest::addColumn<QString>("workers");
    QTest::addColumn<QString>("follows");
    QTest::addColumn<QString>("orders");
    QTest::newRow("lead worker") << "0012,0031" << QString() << "1";
    QTest::newRow("lead after a blank") << " 0012 ,0031" << QString() << "1";
    QTest::newRow("second worker") << "0031,0012" << QString() << "0";
    QTest::newRow("follow-up order") << "0012" << "88" << "0";
}

void TestPerformanceFigures::leadWorkerIsMatchedAsWholeItem()
{
    QFETCH(QString, workers);
    QFETCH(QString, follows);
    QFETCH(QString, orders);
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0012"), QStringLiteral("张三"), QString());
    FixtureDb::Order o = order(workers);
    o.follows = follows;
    fx.addLabour(fx.addOrder(o), 1, 1);

    ReportGrid grid;
    QVERIFY(!runSummary(fx, input({ QStringLiteral("0012") }), grid));
    QCOMPARE(grid.rows(), 4);
    QCOMPARE(grid.text(2, 14), orders);
}

void TestPerformanceFigures::containedCodeIsNotCredited()
{
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("1"), QStringLiteral("赵一"), QString());
    fx.addWorker(QStringLiteral("03"), QStringLiteral("12"), QStringLiteral("钱二"), QString());
    fx.addLabour(fx.addOrder(order(QStringLiteral("12"))), 1, 4);
    fx.addLabour(fx.addOrder(order(QStringLiteral("5,1"))), 1, 2);

    ReportGrid grid;
    QVERIFY(!runSummary(fx, input({ QStringLiteral("1"), QStringLiteral("12") }), grid));
    QCOMPARE(grid.rows(), 5);
    const int one = rowOf(grid, QStringLiteral("赵一"));
    const int twelve = rowOf(grid, QStringLiteral("钱二"));
    QVERIFY(one >= 2 && twelve >= 2);
    // worker 1 is neither lead of worker 12's order nor credited with its hours
    QCOMPARE(grid.text(one, 14), QStringLiteral("0"));
    QCOMPARE(grid.text(one, 15), QStringLiteral("1.00"));
    QCOMPARE(grid.text(twelve, 14), QStringLiteral("1"));
    QCOMPARE(grid.text(twelve, 15), QStringLiteral("4.00"));
}

void TestPerformanceFigures::workerWithoutCreditedHoursIsLeftOut()
{
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0012"), QStringLiteral("张三"), QString());
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0031"), QStringLiteral("李四"), QString());
    // an order without labour items, and one closed after the period
    fx.addOrder(order(QStringLiteral("0012")));
    FixtureDb::Order late = order(QStringLiteral("0031"));
    late.closed = QStringLiteral("2024-01-15 08:00:00");
    fx.addLabour(fx.addOrder(late), 1, 1);

    ReportGrid grid;
    QVERIFY(!runSummary(fx, input({ QStringLiteral("0012"), QStringLiteral("0031") }), grid));
    QCOMPARE(grid.rows(), 3);
    QCOMPARE(grid.text(2, 0), QStringLiteral("1"));
    QCOMPARE(grid.text(2, 1), QStringLiteral("合计"));
    for (int c : { 3, 5, 8, 9, 14 })
        QCOMPARE(grid.text(2, c), QStringLiteral("0"));
    QCOMPARE(grid.text(2, 15), QStringLiteral("0.00"));
}

void TestPerformanceFigures::inactiveWorkerIsLeftOut()
{
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0012"), QStringLiteral("张三"), QString(),
                 QStringLiteral("2023-12-31"));
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0031"), QStringLiteral("李四"), QString());
    fx.addLabour(fx.addOrder(order(QStringLiteral("0012,0031"))), 1, 1);

    ReportGrid grid;
    QVERIFY(!runSummary(fx, input({ QStringLiteral("0012"), QStringLiteral("0031") }), grid));
    QCOMPARE(grid.rows(), 4);
    QCOMPARE(grid.text(2, 1), QStringLiteral("李四"));
}

void TestPerformanceFigures::workerName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("post");
    QTest::addColumn<QString>("shown");
    QTest::newRow("code and trade") << "张三" << "03 水电工" << "张三【水电工】";
    QTest::newRow("no blank") << "张三" << "水电工" << "张三【水电工】";
    QTest::newRow("no post") << "张三" << QString() << "张三";
    QTest::newRow("neither name nor post") << QString() << QString() << "";
}

void TestPerformanceFigures::workerName()
{
    QFETCH(QString, name);
    QFETCH(QString, post);
    QFETCH(QString, shown);
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0012"), name, post);
    fx.addLabour(fx.addOrder(order(QStringLiteral("0012"))), 1, 1);

    ReportGrid grid;
    QVERIFY(!runSummary(fx, input({ QStringLiteral("0012") }), grid));
    QCOMPARE(grid.rows(), 4);
    QCOMPARE(grid.text(2, 1), shown);
}

void TestPerformanceFigures::totalsRowIsNumberedAndColoured()
{
    FixtureDb fx;
    addBasics(fx);
    const QStringList codes = { QStringLiteral("0012"), QStringLiteral("0031"), QStringLiteral("0045") };
    for (const QString& code : codes) {
        fx.addWorker(QStringLiteral("03"), code, QStringLiteral("王") + code, QString());
        fx.addLabour(fx.addOrder(order(code)), 1, 1.255);
    }

    ReportGrid grid;
    QVERIFY(!runSummary(fx, input(codes), grid));
    QCOMPARE(grid.rows(), 6);
    QCOMPARE(grid.text(5, 0), QStringLiteral("4"));
    QCOMPARE(grid.text(5, 1), QStringLiteral("合计"));
    QCOMPARE(grid.text(5, 3), QStringLiteral("15"));
    QCOMPARE(grid.text(5, 5), QStringLiteral("15"));
    QCOMPARE(grid.text(5, 8), QStringLiteral("120"));
    QCOMPARE(grid.text(5, 9), QStringLiteral("120"));
    QCOMPARE(grid.text(5, 14), QStringLiteral("3"));
    // the sum of the shown 1.26 three times
    QCOMPARE(grid.text(2, 15), QStringLiteral("1.26"));
    QCOMPARE(grid.text(5, 15), QStringLiteral("3.78"));
    QCOMPARE(grid.background(5, 0), std::optional<BgrColour>());
    for (int c = 1; c < 24; ++c)
        QCOMPARE(grid.background(5, c), std::optional<BgrColour>(kTotalColour));
    QCOMPARE(grid.background(4, 1), std::optional<BgrColour>());
    QVERIFY(grid.visible());
    QVERIFY(grid.redraw());
}

void TestPerformanceFigures::failingStatementRestoresGrid()
{
    FixtureDb fx;
    addBasics(fx);
    fx.addWorker(QStringLiteral("03"), QStringLiteral("0012"), QStringLiteral("张三"), QString());
    fx.addLabour(fx.addOrder(order(QStringLiteral("0012"))), 1, 1);
    ReportGrid grid;
    QVERIFY(!runSummary(fx, input({ QStringLiteral("0012") }), grid));
    QCOMPARE(grid.rows(), 4);

    fx.exec(QStringLiteral("DROP TABLE pg维修人工费清单"));
    TypeAnalysis boxes;
    const DbStatus status = runAgainOnFixture(PerformanceReport(), fx, input({ QStringLiteral("0012") }), grid, boxes);
    QVERIFY(status);
    QVERIFY(!status->description.isEmpty());
    QCOMPARE(grid.rows(), 2);
    QCOMPARE(grid.text(1, 14), QStringLiteral("完成张数"));
    QVERIFY(grid.redraw());
    QVERIFY(grid.visible());
}

} // namespace trellum

QTEST_GUILESS_MAIN(trellum::TestPerformanceFigures)
#include "test_performance_figures.moc"
