#include "CompletionReport.h"
#include "RunOnFixture.h"

#include <QtTest>

using namespace trellum;
using Order = test::FixtureDb::Order;

namespace {

const QString kRegion = QStringLiteral("01");

// Region 01 with offices 0101 and 0102, categories 1 and 2; the criteria tick both offices and
// category 1 over January 2024.
struct Scene {
    test::FixtureDb db;
    ReportCriteria criteria;
    Scene()
    {
        db.addRegion(kRegion, QStringLiteral("东区"));
        db.addRegion(QStringLiteral("02"), QStringLiteral("西区"));
        db.addOffice(kRegion, QStringLiteral("0101"), QStringLiteral("阳光花园"));
        db.addOffice(kRegion, QStringLiteral("0102"), QStringLiteral("明月小区"));
        db.addCategory(QStringLiteral("1"), QStringLiteral("水电"));
        db.addCategory(QStringLiteral("2"), QStringLiteral("土建"));
        criteria.startDate = QDate(2024, 1, 1);
        criteria.endDate = QDate(2024, 1, 31);
        criteria.regionCode = kRegion;
        criteria.regionName = QStringLiteral("东区");
        criteria.officeCodes = QStringLiteral("'0101','0102'");
        criteria.categoryCodes = QStringLiteral("'1'");
    }
    Order order(const QString& office, const QString& closed) const
    {
        Order o;
        o.office = office;
        o.region = kRegion;
        o.reported = QStringLiteral("2023-12-20 09:00:00");
        o.closed = closed;
        return o;
    }
    void add(const QString& office, int count, int revisited, int accepted, const QString& closed = QStringLiteral("2024-01-15 10:00:00"))
    {
        for (int i = 0; i < count; ++i) {
            Order o = order(office, closed);
            o.revisited = i < revisited ? 1 : 0;
            o.accepted = i < accepted ? 1 : 0;
            db.addOrder(o);
        }
    }
    // Runs the report and returns the grid's rows below the headers.
    std::vector<std::vector<QString>> run(ReportGrid* out = nullptr)
    {
        db.close();
        ReportGrid grid;
        const DbStatus status = test::runOnFixture(CompletionReport(), db, RunInput { criteria, true, {} }, grid);
        if (status)
            qFatal("run failed: %s", qPrintable(status->description));
        if (out)
            *out = grid;
        auto all = grid.texts();
        return { all.begin() + 2, all.end() };
    }
};

using Rows = std::vector<std::vector<QString>>;

const std::vector<QString>* rowOf(const Rows& rows, const QString& name)
{
    for (const auto& r : rows)
        if (r[1] == name)
            return &r;
    return nullptr;
}

QStringList cols(const std::vector<QString>& row, int from, int to)
{
    QStringList out;
    for (int c = from; c <= to; ++c)
        out << row[std::size_t(c)];
    return out;
}

} // namespace

class TestCompletionFigures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layoutHasTwoHeaderRows()
    {
        ReportGrid g;
        CompletionReport().layoutGrid(g, {});
        QCOMPARE(g.rows(), 2);
        QCOMPARE(g.cols(), 9);
        QCOMPARE(g.fixedRows(), 2);
        QCOMPARE(g.text(0, 3), QStringLiteral("回访率"));
        QCOMPARE(g.text(1, 4), QStringLiteral("任务单回访率 %"));
        QCOMPARE(g.colWidth(0), 600);
        QCOMPARE(g.colWidth(2), 1700);
        QCOMPARE(g.colWidth(8), 3800);
        QVERIFY(g.mergeRow(0) && !g.mergeRow(1));
        QVERIFY(g.mergeCol(0) && g.mergeCol(1) && g.mergeCol(8) && !g.mergeCol(2));
        QCOMPARE(g.columnAlign(1), CellAlign::Left);
        QCOMPARE(g.columnAlign(5), CellAlign::Right);
    }

    void countsAndRates()
    {
        Scene s;
        s.add(QStringLiteral("0101"), 10, 4, 3);
        const Rows rows = s.run();
        const auto* r = rowOf(rows, QStringLiteral("阳光花园"));
        QVERIFY(r);
        QCOMPARE(cols(*r, 2, 8), QStringList({ "10", "4", "40.00", "4", "3", "75.00", "" }));
    }

    void officeWithoutRevisitsAndUntickedOffice()
    {
        Scene s;
        s.criteria.officeCodes = QStringLiteral("'0101'");
        s.add(QStringLiteral("0101"), 2, 0, 0);
        s.add(QStringLiteral("0102"), 5, 5, 5); // not ticked: a row with empty cells
        const Rows rows = s.run();
        QCOMPARE(int(rows.size()), 3);
        QCOMPARE(cols(*rowOf(rows, QStringLiteral("阳光花园")), 2, 7), QStringList({ "2", "", "0.00", "", "", "" }));
        QCOMPARE(cols(*rowOf(rows, QStringLiteral("明月小区")), 2, 8), QStringList({ "", "", "", "", "", "", "" }));
    }

    void totalsAreARatioOfSums()
    {
        Scene s;
        s.add(QStringLiteral("0101"), 3, 1, 1);
        s.add(QStringLiteral("0102"), 1, 1, 0);
        ReportGrid grid;
        const Rows rows = s.run(&grid);
        const auto& total = rows.back();
        QCOMPARE(total[0], QStringLiteral("3"));
        QCOMPARE(total[1], QStringLiteral("合计"));
        QCOMPARE(cols(total, 2, 8), QStringList({ "4", "2", "50.00", "2", "1", "50.00", "" }));
        const int t = grid.rows() - 1;
        QVERIFY(!grid.background(t, 0).has_value());
        for (int c = 1; c < 9; ++c)
            QCOMPARE(grid.background(t, c).value_or(0), kTotalColour);
        QCOMPARE(rows[0][0], QStringLiteral("1"));
        QCOMPARE(rows[1][0], QStringLiteral("2"));
    }

    void ordersCountedNowhere()
    {
        Scene s;
        Order nullStatus = s.order(QStringLiteral("0101"), QStringLiteral("2024-01-10"));
        nullStatus.status = QString();
        s.db.addOrder(nullStatus);
        Order plan = s.order(QStringLiteral("0101"), QStringLiteral("2024-01-10"));
        plan.status = QStringLiteral("已转计划处理");
        s.db.addOrder(plan);
        Order revoked = s.order(QStringLiteral("0101"), QStringLiteral("2024-01-10"));
        revoked.revoked = QStringLiteral("2024-01-11");
        s.db.addOrder(revoked);
        Order notDone = s.order(QStringLiteral("0101"), QStringLiteral("2024-01-10"));
        notDone.completed = 0;
        s.db.addOrder(notDone);
        Order otherCategory = s.order(QStringLiteral("0101"), QStringLiteral("2024-01-10"));
        otherCategory.category = QStringLiteral("2");
        s.db.addOrder(otherCategory);
        Order otherRegion = s.order(QStringLiteral("0101"), QStringLiteral("2024-01-10"));
        otherRegion.region = QStringLiteral("02");
        s.db.addOrder(otherRegion);
        Order outside = s.order(QStringLiteral("0101"), QStringLiteral("2024-02-01 00:00:00"));
        s.db.addOrder(outside);
        const Rows rows = s.run();
        QCOMPARE(rowOf(rows, QStringLiteral("阳光花园"))->at(2), QString());
        QCOMPARE(rows.back()[2], QStringLiteral("0"));
    }

    void periodEndsAreCountedByDay()
    {
        Scene s;
        s.add(QStringLiteral("0101"), 1, 0, 0, QStringLiteral("2024-01-01 00:00:00"));
        s.add(QStringLiteral("0101"), 1, 0, 0, QStringLiteral("2024-01-31 23:59:59"));
        s.add(QStringLiteral("0101"), 1, 0, 0, QStringLiteral("2023-12-31 23:59:59"));
        QCOMPARE(rowOf(s.run(), QStringLiteral("阳光花园"))->at(2), QStringLiteral("2"));
    }

    void regionWithoutOffices()
    {
        Scene s;
        s.criteria.regionCode = QStringLiteral("02");
        const Rows rows = s.run();
        QCOMPARE(int(rows.size()), 1);
        QCOMPARE(cols(rows[0], 0, 8), QStringList({ "1", "合计", "0", "0", "", "0", "0", "", "" }));
    }

    void officeWithoutNameAndEndedOffice()
    {
        Scene s;
        s.db.mapOffice(kRegion, QStringLiteral("0199"));
        s.db.addOffice(kRegion, QStringLiteral("0103"), QStringLiteral("旧城小区"), QStringLiteral("2020-01-01"));
        const Rows rows = s.run();
        QCOMPARE(int(rows.size()), 5); // four office rows, ended and nameless ones included, and the totals
        QVERIFY(rowOf(rows, QStringLiteral("旧城小区")));
        QVERIFY(rowOf(rows, QString()));
        QCOMPARE(rows.back()[0], QStringLiteral("5"));
    }

    void secondRunReplacesRows()
    {
        Scene s;
        s.add(QStringLiteral("0101"), 2, 0, 0);
        s.db.close();
        DbConnection conn;
        QVERIFY(!conn.openSqlite(s.db.path()));
        CompletionReport report;
        ReportGrid grid;
        report.layoutGrid(grid, {});
        TypeAnalysis boxes;
        QVERIFY(!report.run(conn, RunInput { s.criteria, true, {} }, grid, boxes));
        QCOMPARE(grid.rows(), 5);
        ReportCriteria other = s.criteria;
        other.regionCode = QStringLiteral("02");
        QVERIFY(!report.run(conn, RunInput { other, true, {} }, grid, boxes));
        QCOMPARE(grid.rows(), 3);
        QVERIFY(grid.redraw());
        QCOMPARE(conn.commandTimeout(), 0);
    }

    void apostrophesCannotChangeTheSelection()
    {
        Scene s;
        s.add(QStringLiteral("0101"), 3, 0, 0);
        s.criteria.regionCode = QStringLiteral("01' Or '1'='1");
        const Rows rows = s.run();
        QCOMPARE(int(rows.size()), 1);
        QCOMPARE(rows[0][2], QStringLiteral("0"));
    }

    void failingStatementLeavesHeaders()
    {
        Scene s;
        s.add(QStringLiteral("0101"), 1, 0, 0);
        s.db.exec(QStringLiteral("DROP TABLE 设置管理处"));
        s.db.close();
        ReportGrid grid;
        const DbStatus status = test::runOnFixture(CompletionReport(), s.db, RunInput { s.criteria, true, {} }, grid);
        QVERIFY(status);
        QVERIFY(status->description.contains(QStringLiteral("设置管理处")));
        QCOMPARE(grid.rows(), 2);
        QVERIFY(grid.redraw());
    }
};

QTEST_GUILESS_MAIN(TestCompletionFigures)
#include "test_completion_figures.moc"
