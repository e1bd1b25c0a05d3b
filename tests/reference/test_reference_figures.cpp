// Each report's figures come from a few statements grouped by worker, or by office and category.
// Here every report runs both ways on the same file, grouped and item by item (one literal
// statement per worker, office and category), and the two grids, their backgrounds and the
// type-analysis boxes must be the same cell for cell.

#include "DemoDatabase.h"
#include "FixtureDb.h"
#include "CellDetailCheck.h"
#include "ItemwiseFigures.h"
#include "ReportCatalog.h"
#include "SqlText.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

// The criteria of a run: region, period, ticked codes (workers or offices) and categories.
struct Case {
    ReportKind kind;
    QString region;
    QDate start;
    QDate end;
    QStringList members;
    QStringList categories;
};

// The categories of the fixture file, as a window loads them.
CategoryTable categoriesOf(const QString& path)
{
    DbConnection db;
    CategoryTable out;
    if (db.openSqlite(path))
        return out;
    DbCursor cur = db.select(QStringLiteral("Select 类别编号, 类别名称 From PG报修类别设置 Order By 类别编号"));
    while (cur.next())
        out.push_back({ cur.text(QStringLiteral("类别编号")), cur.text(QStringLiteral("类别名称")) });
    return out;
}

RunInput inputFor(const Case& c, const CategoryTable& categories)
{
    RunInput in;
    in.categories = categories;
    in.criteria.startDate = c.start;
    in.criteria.endDate = c.end;
    in.criteria.regionCode = c.region;
    (findReport(c.kind).info().treeOfWorkers() ? in.criteria.workerCodes : in.criteria.officeCodes) = sqlList(c.members);
    in.criteria.categoryCodes = sqlList(c.categories);
    in.criteria.tickedCategoryCodes = c.categories;
    return in;
}

// Runs the case both ways on the file and compares; a failure names the first differing cell.
void compareOn(const QString& path, const Case& c, int* rows = nullptr)
{
    DbConnection db;
    QVERIFY(!db.openSqlite(path));
    const QString difference = differenceFromItemwise(c.kind, db, inputFor(c, categoriesOf(path)), rows);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// A small file of traps: worker codes inside one another (W1 in W10 and XW1), codes with blanks,
// a worker listed twice, a worker without figures, an inactive one; orders with NULL costs,
// dates, workers and labour items, follow-up and revoked orders; an office without orders, one
// without a 设置管理处 row, one of another region with the same orders' categories; an empty region.
void buildTraps(FixtureDb& fx)
{
    fx.addRegion(QStringLiteral("03"), QStringLiteral("东区"));
    fx.addRegion(QStringLiteral("04"), QStringLiteral("西区"));
    fx.addRegion(QStringLiteral("09"), QStringLiteral("空区"));
    fx.addCategory(QStringLiteral("1"), QStringLiteral("水电"));
    fx.addCategory(QStringLiteral("2"), QStringLiteral("土建"));
    fx.addCategory(QStringLiteral("3"), QStringLiteral("水电"));
    fx.addOffice(QStringLiteral("03"), QStringLiteral("G01"), QStringLiteral("阳光花园"));
    fx.addOffice(QStringLiteral("03"), QStringLiteral("G02"), QStringLiteral("明月小区"));
    fx.addOffice(QStringLiteral("03"), QStringLiteral("G03"), QStringLiteral("无单小区"));
    fx.mapOffice(QStringLiteral("03"), QStringLiteral("G04"));
    fx.addOffice(QStringLiteral("04"), QStringLiteral("G11"), QStringLiteral("西苑"));
    fx.addHousing(QStringLiteral("1"), QStringLiteral("售后房"));
    fx.addHousing(QStringLiteral("2"), QStringLiteral("直管房"));
    fx.addRoom(1, QStringLiteral("1"));
    fx.addRoom(2, QStringLiteral("2"));
    fx.addHousing(QStringLiteral("3"), QStringLiteral("售后房(公)"));
    fx.addHousing(QStringLiteral("4"), QStringLiteral("售后房"));
    fx.addHousing(QStringLiteral("4"), QStringLiteral("直管房"));
    fx.addRoom(3, QStringLiteral("3"));
    fx.addRoom(4, QStringLiteral("4"));
    fx.addRoom(5, QStringLiteral("9"));
    fx.addRoom(6, QString());
    const QString region = QStringLiteral("03");
    for (const char* code : { "W1", "W10", "XW1", "W 2", "W3", "W4" })
        fx.addWorker(region, QString::fromLatin1(code), QStringLiteral("工") + QString::fromLatin1(code), QStringLiteral("03 水电工"));
    fx.addWorker(region, QStringLiteral("W3"), QStringLiteral("重名"), QString());
    fx.addWorker(region, QStringLiteral("W5"), QStringLiteral("离职"), QString(), QStringLiteral("2024-01-01"));
    fx.addWorker(QStringLiteral("04"), QStringLiteral("W1"), QStringLiteral("西工"), QString());

    struct Spec {
        const char* office;
        const char* region;
        const char* category;
        const char* reported;
        const char* closed;
        const char* workers = nullptr;
        std::optional<double> material = std::nullopt;
        std::optional<double> labour = std::nullopt;
        std::vector<std::pair<double, double>> items = {}; // quantity, hours
        const char* follows = nullptr;
        const char* revoked = nullptr;
        const char* status = "已完成";
        const char* item = "室内";
        std::optional<long long> room = std::nullopt;
        const char* channel = "电话";
        const char* source = nullptr;
        const char* handling = nullptr;
        int completed = 1;
    };
    const std::vector<Spec> orders = {
        { "G01", "03", "1", "2024-03-02 08:00:00", "2024-03-05 10:00:00", "W10", 10.5, 30, { { 2, 1.5 } } },
        { "G01", "03", "1", "2024-03-03 08:00:00", "2024-03-06 10:00:00", "W1,W10", 4, 20, { { 1, 2 }, { 3, 1 } } },
        { "G01", "03", "2", "2024-03-04 08:00:00", "2024-03-07 10:00:00", "XW1, W 2", std::nullopt, 12.25, { { 1, 1 } }, "F1" },
        { "G02", "03", "1", "2024-02-20 08:00:00", "2024-03-08 10:00:00", "W2,W3", 7.333, std::nullopt, {} },
        { "G02", "03", "2", "2024-03-09 08:00:00", "2024-03-12 10:00:00", "W3", std::nullopt, std::nullopt, { { 2, 0.5 } }, nullptr, nullptr, "转计划", "公共部位", 1 },
        { "G02", "03", "3", "2024-03-10 08:00:00", nullptr, "W1", 3, 3, {}, nullptr, nullptr, "未完成", "室内", 2 },
        { "G02", "03", "1", "2024-03-10 08:00:00", "2024-03-11 10:00:00", "W1", 5, 5, { { 1, 1 } }, nullptr, "2024-03-11 11:00:00" },
        { "G01", "03", "3", "2024-03-11 08:00:00", "2024-03-15 10:00:00", nullptr, 1, 1, { { 1, 1 } }, nullptr, nullptr, "转注销", "室内", 1, "上门", "微信报修" },
        { "G04", "03", "1", "2024-03-12 08:00:00", "2024-03-16 10:00:00", "W4", 2, 2, { { 1, 3 } } },
        { "G01", "03", "1", "2024-04-02 08:00:00", "2024-04-03 10:00:00", "W1", 9, 9, { { 1, 4 } }, nullptr, nullptr, "已完成", "室内", std::nullopt, "纸质" },
        { "G11", "04", "1", "2024-03-02 08:00:00", "2024-03-05 10:00:00", "W1", 100, 100, { { 1, 10 } } },
        { "G01", "03", "1", "2023-12-30 08:00:00", "2024-01-02 10:00:00", "W10,W1", 8, 8, { { 4, 0.25 } } },
        // the month-end's counts at their edges: the first and last moments of the period and
        // just outside it, NULL dates, voided and not completed orders, transfers reported before
        // the period, housing types near 售后房, unknown or listed twice
        { .office = "G01", .region = "03", .category = "1", .reported = "2024-03-01 00:00:00", .closed = "2024-03-31 23:59:59", .room = 3 },
        { .office = "G01", .region = "03", .category = "2", .reported = "2024-03-31 23:59:59", .closed = "2024-04-01 00:00:00", .room = 4 },
        { .office = "G02", .region = "03", .category = "1", .reported = "2024-02-29 23:59:59", .closed = "2024-03-01 00:00:00", .status = "转计划", .room = 5 },
        { .office = "G02", .region = "03", .category = "3", .reported = "2024-02-10 08:00:00", .closed = nullptr, .status = "未完成" },
        { .office = "G02", .region = "03", .category = "1", .reported = "2024-02-10 08:00:00", .closed = "2024-02-29 23:59:59" },
        { .office = "G02", .region = "03", .category = "1", .reported = "2024-02-15 08:00:00", .closed = "2024-03-10 10:00:00", .status = "转注销" },
        { .office = "G01", .region = "03", .category = "1", .reported = nullptr, .closed = "2024-03-20 10:00:00", .room = 6, .channel = "上门" },
        { .office = "G01", .region = "03", .category = "2", .reported = "2024-03-05 08:00:00", .closed = "2024-03-06 10:00:00", .handling = "作废" },
        { .office = "G01", .region = "03", .category = "1", .reported = "2024-03-05 08:00:00", .closed = "2024-03-06 10:00:00", .handling = "已处理" },
        { .office = "G01", .region = "03", .category = "1", .reported = "2024-03-06 08:00:00", .closed = "2024-03-20 10:00:00", .completed = 0 },
        { .office = "G01", .region = "03", .category = "1", .reported = "2024-03-07 08:00:00", .closed = "2024-03-08 10:00:00", .item = "公共部位", .room = 4 },
        { .office = "G01", .region = "03", .category = "2", .reported = "2024-04-01 00:00:00", .closed = nullptr, .status = "未完成" },
        { .office = "G04", .region = "03", .category = "2", .reported = "2024-03-15 08:00:00", .closed = "2024-03-16 10:00:00", .room = 3, .channel = "纸质" },
        // reported in the period but closed before it, as a wrongly typed date leaves it: counted
        // as reported in the period though no closing date falls in or after it
        { .office = "G01", .region = "03", .category = "3", .reported = "2024-03-20 08:00:00", .closed = "2024-02-20 10:00:00", .room = 5 },
    };
    for (const Spec& s : orders) {
        FixtureDb::Order o;
        o.office = QString::fromLatin1(s.office);
        o.region = QString::fromLatin1(s.region);
        o.category = QString::fromLatin1(s.category);
        o.reported = s.reported ? QString::fromLatin1(s.reported) : QString();
        o.closed = s.closed ? QString::fromLatin1(s.closed) : QString();
        o.workers = s.workers ? QString::fromUtf8(s.workers) : QString();
        o.material = s.material;
        o.labour = s.labour;
        o.follows = s.follows ? QString::fromLatin1(s.follows) : QString();
        o.revoked = s.revoked ? QString::fromLatin1(s.revoked) : QString();
        o.status = QString::fromUtf8(s.status);
        o.item = QString::fromUtf8(s.item);
        o.room = s.room;
        o.channel = QString::fromUtf8(s.channel);
        o.source = s.source ? QString::fromUtf8(s.source) : QString();
        o.handling = s.handling ? QString::fromUtf8(s.handling) : QString();
        o.completed = s.completed;
        if (!s.closed)
            o.closedFlag = o.completed = 0;
        const long long id = fx.addOrder(o);
        for (const auto& [quantity, hours] : s.items)
            fx.addLabour(id, quantity, hours);
    }
    // a labour item without quantity
    fx.exec(QStringLiteral("INSERT INTO pg维修人工费清单 VALUES (1, NULL, 2)"));
}

} // namespace

class TestReferenceFigures : public QObject {
    Q_OBJECT

private slots:
    void trapsEqualItemwise_data();
    void trapsEqualItemwise();
    void demoEqualsItemwise_data();
    void demoEqualsItemwise();
    void manyOfficesEqualItemwise();
    void everyCellListsItsFigure_data();
    void everyCellListsItsFigure();
    void statementsDoNotGrowWithTicks_data();
    void statementsDoNotGrowWithTicks();
};

void TestReferenceFigures::trapsEqualItemwise_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("region");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QStringList>("members");
    QTest::addColumn<QStringList>("categories");
    const QDate march(2024, 3, 1), marchEnd(2024, 3, 31);
    const QStringList workers = { "W1", "W10", "XW1", "W 2", "W3", "W4", "W5", "W9" };
    const QStringList offices = { "G01", "G02", "G03", "G04" };
    const QStringList all = { "1", "2", "3" };
    for (ReportKind kind : { ReportKind::Ledger, ReportKind::Performance }) {
        const QString name = reportName(kind);
        auto row = [&](const char* what) -> QTestData& { return QTest::newRow(qPrintable(name + QLatin1Char(' ') + QLatin1String(what))); };
        row("month, everyone") << int(kind) << "03" << march << marchEnd << workers << all;
        row("W1 alone") << int(kind) << "03" << march << marchEnd << QStringList { "W1" } << all;
        row("one category") << int(kind) << "03" << march << marchEnd << workers << QStringList { "2" };
        row("half a year") << int(kind) << "03" << QDate(2023, 12, 1) << QDate(2024, 5, 31) << workers << all;
        row("nobody's figures") << int(kind) << "03" << QDate(2025, 1, 1) << QDate(2025, 1, 31) << workers << all;
        row("empty region") << int(kind) << "09" << march << marchEnd << workers << all;
        row("other region") << int(kind) << "04" << march << marchEnd << QStringList { "W1" } << all;
    }
    for (ReportKind kind : { ReportKind::MonthEnd, ReportKind::Completion }) {
        const QString name = reportName(kind);
        auto row = [&](const char* what) -> QTestData& { return QTest::newRow(qPrintable(name + QLatin1Char(' ') + QLatin1String(what))); };
        row("month, every office") << int(kind) << "03" << march << marchEnd << offices << all;
        row("some offices, categories 1 and 3") << int(kind) << "03" << march << marchEnd << QStringList { "G02" }
                                                << QStringList { "1", "3" };
        row("half a year") << int(kind) << "03" << QDate(2023, 12, 1) << QDate(2024, 5, 31) << offices << all;
        row("one day, the month's last") << int(kind) << "03" << marchEnd << marchEnd << offices << all;
        row("empty region") << int(kind) << "09" << march << marchEnd << offices << all;
    }
}

void TestReferenceFigures::trapsEqualItemwise()
{
    QFETCH(int, kind);
    QFETCH(QString, region);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QStringList, members);
    QFETCH(QStringList, categories);
    FixtureDb fx;
    buildTraps(fx);
    fx.close();
    compareOn(fx.path(), { ReportKind(kind), region, start, end, members, categories });
}

void TestReferenceFigures::demoEqualsItemwise_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("region");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    for (ReportKind kind : { ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd }) {
        const QString name = reportName(kind);
        QTest::newRow(qPrintable(name + QStringLiteral(" month"))) << int(kind) << "01" << QDate(2026, 11, 1) << QDate(2026, 11, 30);
        QTest::newRow(qPrintable(name + QStringLiteral(" year"))) << int(kind) << "02" << QDate(2025, 12, 1) << QDate(2026, 11, 30);
    }
}

// The demo generator's data, every member and category of the region ticked.
void TestReferenceFigures::demoEqualsItemwise()
{
    QFETCH(int, kind);
    QFETCH(QString, region);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QTemporaryDir dir;
    DemoDatabase::Options options;
    options.outPath = dir.filePath(QStringLiteral("demo.db"));
    options.orders = 6000;
    options.regions = 2;
    options.offices = 8;
    options.workers = 16;
    DemoDatabase demo(options);
    QVERIFY2(demo.write().isEmpty(), "demo database");
    DbConnection db;
    QVERIFY(!db.openSqlite(options.outPath));
    int rows = 0;
    const QString difference =
        differenceFromItemwise(ReportKind(kind), db, everythingTicked(ReportKind(kind), db, region, start, end), &rows);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QVERIFY2(rows > 1, "the run has figures");
}

// More offices than one compound select of the embedded backend may hold.
void TestReferenceFigures::manyOfficesEqualItemwise()
{
    FixtureDb fx;
    fx.addRegion(QStringLiteral("05"), QStringLiteral("大区"));
    fx.addCategory(QStringLiteral("1"), QStringLiteral("水电"));
    fx.addCategory(QStringLiteral("2"), QStringLiteral("土建"));
    fx.exec(QStringLiteral("BEGIN"));
    QStringList offices;
    for (int i = 0; i < 1300; ++i) {
        const QString code = QStringLiteral("M%1").arg(i, 4, 10, QLatin1Char('0'));
        fx.addOffice(QStringLiteral("05"), code, QStringLiteral("小区") + code);
        offices << code;
        FixtureDb::Order o;
        o.office = code;
        o.region = QStringLiteral("05");
        o.category = i % 3 == 0 ? QStringLiteral("2") : QStringLiteral("1");
        o.reported = QStringLiteral("2024-03-02 08:00:00");
        o.closed = i % 7 == 0 ? QString() : QStringLiteral("2024-03-05 10:00:00");
        if (o.closed.isEmpty())
            o.closedFlag = o.completed = 0;
        if (i % 5 != 0)
            fx.addOrder(o);
    }
    fx.exec(QStringLiteral("COMMIT"));
    fx.close();
    int rows = 0;
    compareOn(fx.path(), { ReportKind::MonthEnd, QStringLiteral("05"), QDate(2024, 3, 1), QDate(2024, 3, 31), offices,
                           { QStringLiteral("1"), QStringLiteral("2") } }, &rows);
    QCOMPARE(rows, 1301);
}

void TestReferenceFigures::everyCellListsItsFigure_data()
{
    trapsEqualItemwise_data();
    for (ReportKind kind : { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd }) {
        const QString name = QStringLiteral("demo ") + reportName(kind);
        QTest::newRow(qPrintable(name + QStringLiteral(" month"))) << int(kind) << "01" << QDate(2026, 11, 1)
                                                                   << QDate(2026, 11, 30) << QStringList() << QStringList();
        QTest::newRow(qPrintable(name + QStringLiteral(" year"))) << int(kind) << "02" << QDate(2025, 12, 1)
                                                                  << QDate(2026, 11, 30) << QStringList() << QStringList();
    }
}

// Every figure cell of every report lists the orders behind it, and the list gives the figure
// back: its count, or its sum rounded as the report rounds. The demo rows tick everything.
void TestReferenceFigures::everyCellListsItsFigure()
{
    QFETCH(int, kind);
    QFETCH(QString, region);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QStringList, members);
    QFETCH(QStringList, categories);
    const bool demo = QTest::currentDataTag() && QByteArray(QTest::currentDataTag()).startsWith("demo ");
    QTemporaryDir dir;
    FixtureDb fx;
    QString path = fx.path();
    if (demo) {
        DemoDatabase::Options options;
        options.outPath = path = dir.filePath(QStringLiteral("demo.db"));
        options.orders = 3000;
        options.regions = 2;
        options.offices = 6;
        options.workers = 12;
        DemoDatabase generated(options);
        QVERIFY2(generated.write().isEmpty(), "demo database");
    } else {
        buildTraps(fx);
    }
    fx.close();
    DbConnection db;
    QVERIFY(!db.openSqlite(path));
    const RunInput input = demo ? everythingTicked(ReportKind(kind), db, region, start, end)
                                : inputFor({ ReportKind(kind), region, start, end, members, categories }, categoriesOf(path));
    int listed = 0;
    const QString disagreement = cellDisagreeingWithList(ReportKind(kind), db, input, &listed);
    QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
    if (demo)
        QVERIFY2(listed > 4, "the run has figures to list");
}

void TestReferenceFigures::statementsDoNotGrowWithTicks_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("few");
    QTest::addColumn<QStringList>("many");
    QTest::addColumn<int>("statements");
    const QStringList workers = { "W1", "W10", "XW1", "W 2", "W3", "W4", "W5" };
    const QStringList offices = { "G01", "G02", "G03", "G04" };
    QTest::newRow("completion") << int(ReportKind::Completion) << QStringList { "G01" } << offices << 1;
    QTest::newRow("ledger") << int(ReportKind::Ledger) << QStringList { "W1" } << workers << 2;
    QTest::newRow("performance") << int(ReportKind::Performance) << QStringList { "W1" } << workers << 2;
    QTest::newRow("monthend") << int(ReportKind::MonthEnd) << QStringList { "G01" } << offices << 3;
}

// One worker or office ticked, or all of them and every category: the same number of statements.
void TestReferenceFigures::statementsDoNotGrowWithTicks()
{
    QFETCH(int, kind);
    QFETCH(QStringList, few);
    QFETCH(QStringList, many);
    QFETCH(int, statements);
    FixtureDb fx;
    buildTraps(fx);
    fx.close();
    const CategoryTable categories = categoriesOf(fx.path());
    const Case cases[] = {
        { ReportKind(kind), QStringLiteral("03"), QDate(2024, 3, 1), QDate(2024, 3, 31), few, { QStringLiteral("1") } },
        { ReportKind(kind), QStringLiteral("03"), QDate(2023, 12, 1), QDate(2024, 5, 31), many, { "1", "2", "3" } },
    };
    for (const Case& c : cases) {
        DbConnection db;
        QVERIFY(!db.openSqlite(fx.path()));
        int sent = 0;
        db.setStatementObserver([&sent](const QString&) { ++sent; });
        const Report* report = &findReport(c.kind);
        QVERIFY(report);
        ReportGrid grid;
        report->layoutGrid(grid, categories);
        TypeAnalysis boxes;
        QVERIFY(!report->run(db, inputFor(c, categories), grid, boxes));
        QCOMPARE(sent, statements);
    }
}

QTEST_GUILESS_MAIN(TestReferenceFigures)
#include "test_reference_figures.moc"
