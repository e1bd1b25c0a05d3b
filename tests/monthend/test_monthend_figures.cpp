#include "MonthEndScene.h"

#include "CellText.h"

#include <QtTest>

#include <set>

using namespace trellum;
using test::MonthEndScene;

namespace {

// The count columns the outer statement fills.
const int kCountColumns[] = { 2, 3, 4, 6, 7, 8, 9, 13, 14, 15, 18 };

std::set<int> columnSet(const QString& list)
{
    std::set<int> out;
    for (const QString& c : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        out.insert(c.toInt());
    return out;
}

QString boxesText(const TypeAnalysis& boxes)
{
    QStringList out;
    for (const QString& b : boxes)
        out << b;
    return out.join(QLatin1Char('|'));
}

} // namespace

class TestMonthEndFigures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layoutHasOneColumnPerCategory()
    {
        ReportGrid g;
        const CategoryTable categories = { { QStringLiteral("1"), QStringLiteral("水电") },
                                           { QStringLiteral("2"), QStringLiteral("土建") } };
        MonthEndReport().layoutGrid(g, categories);
        QCOMPARE(g.rows(), 2);
        QCOMPARE(g.fixedRows(), 2);
        QCOMPARE(g.cols(), 21);
        QCOMPARE(g.text(0, 7), QStringLiteral("实际报修"));
        QCOMPARE(g.text(1, 10), QStringLiteral("合计"));
        QCOMPARE(g.text(0, 18), QStringLiteral("本月结转"));
        QCOMPARE(g.text(1, 18), QStringLiteral("本月结转"));
        QCOMPARE(g.text(0, 20), QStringLiteral("工种分析"));
        QCOMPARE(g.text(1, 19), QStringLiteral("水电"));
        QCOMPARE(g.text(1, 20), QStringLiteral("土建"));
        QCOMPARE(g.rowHeight(0), 300);
        QCOMPARE(g.rowHeight(1), 800);
        QCOMPARE(g.colWidth(1), 3000);
        QCOMPARE(g.colWidth(20), 600);
        QCOMPARE(g.columnAlign(0), CellAlign::Centre);
        QCOMPARE(g.columnAlign(1), CellAlign::Left);
        QCOMPARE(g.columnAlign(20), CellAlign::Right);
        QVERIFY(g.wordWrap() && g.mergeCells());
        QVERIFY(g.mergeRow(0) && !g.mergeRow(1));
        for (int c = 0; c < g.cols(); ++c)
            QCOMPARE(g.mergeCol(c), c <= 6 || c == 17 || c == 18);
    }

    // One order per case: the count columns it lands in, the derived sums and its category cell.
    void countsByColumn_data()
    {
        QTest::addColumn<QString>("reported");
        QTest::addColumn<QString>("closed");
        QTest::addColumn<int>("completed");
        QTest::addColumn<QString>("revoked");
        QTest::addColumn<QString>("handling");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("housing");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QString>("counted");
        QTest::addColumn<QString>("category");

        const QString in = QStringLiteral("2024-03-05 09:00:00");
        const QString before = QStringLiteral("2024-02-20 09:00:00");
        const QString done = QStringLiteral("2024-03-10 16:00:00");
        const QString after = QStringLiteral("2024-04-02 16:00:00");
        const QString ok = QStringLiteral("已完成");
        const QString room = QStringLiteral("室内");
        const QString none;
        const QDate s(2024, 3, 1), e(2024, 3, 31);
        QTest::newRow("open, reported in the period") << in << none << 0 << none << none << ok << room << none << s << e
                                                     << "3,7,18" << "";
        QTest::newRow("completed, no housing type") << in << done << 1 << none << none << ok << room << none << s << e
                                                   << "3,7,13" << "1";
        QTest::newRow("NULL repair item only in B") << in << done << 1 << none << none << ok << none << none << s << e
                                                   << "3" << "1";
        QTest::newRow("售后房") << in << done << 1 << none << none << ok << room << "售后房" << s << e << "3,9,15" << "1";
        QTest::newRow("housing text holding 售后房") << in << done << 1 << none << none << ok << room << "原售后房" << s << e
                                                 << "3,13" << "1";
        QTest::newRow("common part, any housing") << in << done << 1 << none << none << ok << "公共部位维修" << "售后房"
                                                 << s << e << "3,8,14" << "1";
        QTest::newRow("carried over, still open") << before << none << 0 << none << none << ok << room << none << s << e
                                                 << "2,18" << "";
        QTest::newRow("carried over, completed") << before << done << 1 << none << none << ok << room << none << s << e
                                                << "2,13" << "1";
        QTest::newRow("closed before the period") << QStringLiteral("2024-02-10 09:00:00") << QStringLiteral("2024-02-20 09:00:00")
                                                 << 1 << none << none << ok << room << none << s << e << "" << "";
        QTest::newRow("reported after the period") << QStringLiteral("2024-04-01 09:00:00") << none << 0 << none << none << ok
                                                  << room << none << s << e << "" << "";
        QTest::newRow("completed after the period") << in << after << 1 << none << none << ok << room << none << s << e
                                                   << "3,7,18" << "";
        QTest::newRow("转计划 reported before") << before << QStringLiteral("2024-03-05 10:00:00") << 0 << none << none
                                            << "转计划处理" << room << none << s << e << "2,6" << "";
        QTest::newRow("转注销 reported before") << before << QStringLiteral("2024-03-05 10:00:00") << 0 << none << none
                                            << "转注销" << room << none << s << e << "2" << "";
        QTest::newRow("转注销 reported in the period") << in << QStringLiteral("2024-03-06 10:00:00") << 0 << none << none
                                                 << "转注销" << room << none << s << e << "3,4,7" << "";
        QTest::newRow("revoked") << in << done << 1 << QStringLiteral("2024-03-06 08:00:00") << none << ok << room << none
                                 << s << e << "" << "";
        QTest::newRow("handled as 作废") << in << done << 1 << none << "作废" << ok << room << none << s << e << "" << "";
        QTest::newRow("other handling result") << in << done << 1 << none << "已回复" << ok << room << none << s << e
                                              << "3,7,13" << "1";
        const QDate day(2024, 3, 5);
        QTest::newRow("same day, reported that day") << in << none << 0 << none << none << ok << room << none << day << day
                                                    << "3,7,18" << "";
        QTest::newRow("same day, reported the day before") << QStringLiteral("2024-03-04 23:59:00") << none << 0 << none
                                                          << none << ok << room << none << day << day << "2,18" << "";
        const QDate closing(2024, 3, 10);
        QTest::newRow("same day, completed that day") << in << done << 1 << none << none << ok << room << none << closing
                                                     << closing << "2,13" << "1";
    }

    void countsByColumn()
    {
        QFETCH(QString, reported);
        QFETCH(QString, closed);
        QFETCH(int, completed);
        QFETCH(QString, revoked);
        QFETCH(QString, handling);
        QFETCH(QString, status);
        QFETCH(QString, item);
        QFETCH(QString, housing);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(QString, counted);
        QFETCH(QString, category);

        MonthEndScene s;
        auto o = MonthEndScene::order();
        o.reported = reported;
        o.closed = closed;
        o.closedFlag = closed.isNull() ? 0 : 1;
        o.completed = completed;
        o.revoked = revoked;
        o.handling = handling;
        o.status = status;
        o.item = item;
        if (!housing.isNull()) {
            s.db.addHousing(QStringLiteral("H1"), housing);
            s.db.addRoom(7, QStringLiteral("H1"));
            o.room = 7;
        }
        s.db.addOrder(o);
        s.input.criteria.startDate = start;
        s.input.criteria.endDate = end;
        QVERIFY(!s.run());

        const int r = s.rowOf(QStringLiteral("阳光花园"));
        QVERIFY(r >= 2);
        const std::set<int> expected = columnSet(counted);
        for (int c : kCountColumns)
            QCOMPARE(s.grid.text(r, c), expected.count(c) ? QStringLiteral("1") : QString());
        for (int c : { 5, 11, 12, 17 })
            QCOMPARE(s.grid.text(r, c), QString());
        QCOMPARE(s.grid.text(r, 10), QString::number(expected.count(7) + expected.count(8) + expected.count(9)));
        QCOMPARE(s.grid.text(r, 16), QString::number(expected.count(13) + expected.count(14) + expected.count(15)));
        QCOMPARE(s.grid.text(r, 19), category);

        const int t = s.grid.rows() - 1;
        QCOMPARE(s.grid.text(t, 1), QStringLiteral("合计"));
        for (int c = 2; c < s.grid.cols(); ++c)
            QCOMPARE(s.grid.text(t, c), plainNumber(cellNumber(s.grid.text(r, c))));
    }

    void everyOfficeOfTheRegionHasARow()
    {
        MonthEndScene s;
        s.db.addOffice(MonthEndScene::kRegion, QStringLiteral("0103"), QStringLiteral("星河湾"), QStringLiteral("2020-01-01"));
        s.db.mapOffice(MonthEndScene::kRegion, QStringLiteral("0104"));
        s.db.addRegion(QStringLiteral("02"), QStringLiteral("西区"));
        s.db.addOffice(QStringLiteral("02"), QStringLiteral("0201"), QStringLiteral("西城"));
        s.input.criteria.officeCodes = sqlList({ MonthEndScene::kTicked, QStringLiteral("0103") });
        s.db.addOrder(MonthEndScene::order());
        s.db.addOrder(MonthEndScene::order());
        s.db.addOrder(MonthEndScene::order(MonthEndScene::kUnticked));
        auto open = MonthEndScene::order(QStringLiteral("0103"));
        open.closed = QString();
        open.closedFlag = 0;
        open.completed = 0;
        s.db.addOrder(open);
        QVERIFY(!s.run());

        QCOMPARE(s.grid.rows(), 2 + 4 + 1);
        QSet<QString> numbers;
        for (int r = 2; r < 6; ++r)
            numbers << s.grid.text(r, 0);
        QCOMPARE(numbers, QSet<QString>({ "1", "2", "3", "4" }));
        QCOMPARE(s.rowOf(QStringLiteral("西城")), -1);

        const int ticked = s.rowOf(QStringLiteral("阳光花园"));
        QCOMPARE(s.grid.text(ticked, 3), QStringLiteral("2"));
        QCOMPARE(s.grid.text(ticked, 13), QStringLiteral("2"));
        QCOMPARE(s.grid.text(ticked, 19), QStringLiteral("2"));
        // not ticked: no counts, the sums show 0, yet the category cell is counted
        const int unticked = s.rowOf(QStringLiteral("明月小区"));
        for (int c : kCountColumns)
            QCOMPARE(s.grid.text(unticked, c), QString());
        QCOMPARE(s.grid.text(unticked, 10), QStringLiteral("0"));
        QCOMPARE(s.grid.text(unticked, 16), QStringLiteral("0"));
        QCOMPARE(s.grid.text(unticked, 19), QStringLiteral("1"));
        // an office with an end date is still mapped to the region
        const int ended = s.rowOf(QStringLiteral("星河湾"));
        QVERIFY(ended >= 2);
        QCOMPARE(s.grid.text(ended, 3), QStringLiteral("1"));
        QCOMPARE(s.grid.text(ended, 18), QStringLiteral("1"));
        // an office without a 设置管理处 row shows with an empty name and nothing counted
        const int nameless = s.rowOf(QString());
        QVERIFY(nameless >= 2);
        for (int c : kCountColumns)
            QCOMPARE(s.grid.text(nameless, c), QString());
        QCOMPARE(s.grid.text(nameless, 19), QString());

        const int t = 6;
        QCOMPARE(s.grid.text(t, 0), QStringLiteral("5"));
        QCOMPARE(s.grid.text(t, 1), QStringLiteral("合计"));
        QCOMPARE(s.grid.text(t, 3), QStringLiteral("3"));
        QCOMPARE(s.grid.text(t, 19), QStringLiteral("3"));
        QCOMPARE(s.grid.text(t, 5), QStringLiteral("0"));
        QVERIFY(!s.grid.background(t, 0));
        for (int c = 1; c < s.grid.cols(); ++c)
            QCOMPARE(s.grid.background(t, c), std::optional<BgrColour>(kTotalColour));
        QVERIFY(!s.grid.background(ticked, 1));
        QVERIFY(s.grid.redraw());
    }

    void regionWithoutOfficesGivesTheTotalsRowOnly()
    {
        MonthEndScene s({ { QStringLiteral("1"), QStringLiteral("水电") }, { QStringLiteral("2"), QStringLiteral("土建") } });
        s.db.addRegion(QStringLiteral("09"), QStringLiteral("新区"));
        s.db.addOrder(MonthEndScene::order());
        s.input.criteria.regionCode = QStringLiteral("09");
        QVERIFY(!s.run());
        QCOMPARE(s.grid.rows(), 3);
        QCOMPARE(s.grid.text(2, 0), QStringLiteral("1"));
        QCOMPARE(s.grid.text(2, 1), QStringLiteral("合计"));
        for (int c = 2; c < 21; ++c)
            QCOMPARE(s.grid.text(2, c), QStringLiteral("0"));
        QCOMPARE(boxesText(s.boxes), QStringLiteral("0|||0|0|0|0"));
    }

    // Two categories of one name: each ticked one's count stays in its own column.
    void categoriesSharingANameKeepTheirColumns_data()
    {
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("both") << QStringList { "1", "2" } << QStringList { "2", "1", "" };
        QTest::newRow("both, listed the other way") << QStringList { "2", "1" } << QStringList { "2", "1", "" };
        QTest::newRow("the second only") << QStringList { "2" } << QStringList { "", "1", "" };
        QTest::newRow("the other name only") << QStringList { "3" } << QStringList { "", "", "1" };
    }

    void categoriesSharingANameKeepTheirColumns()
    {
        QFETCH(QStringList, ticked);
        QFETCH(QStringList, cells);
        MonthEndScene s({ { QStringLiteral("1"), QStringLiteral("水电") },
                          { QStringLiteral("2"), QStringLiteral("水电") },
                          { QStringLiteral("3"), QStringLiteral("土建") } });
        s.tick(ticked);
        for (const char* code : { "1", "1", "2", "3" }) {
            auto o = MonthEndScene::order();
            o.category = QString::fromLatin1(code);
            s.db.addOrder(o);
        }
        QVERIFY(!s.run());
        const int r = s.rowOf(QStringLiteral("阳光花园"));
        const int t = s.grid.rows() - 1;
        for (int j = 0; j < 3; ++j) {
            QCOMPARE(s.grid.text(r, 19 + j), cells[j]);
            QCOMPARE(s.grid.text(t, 19 + j), cells[j].isEmpty() ? QStringLiteral("0") : cells[j]);
        }
    }

    // One order per case; the seven boxes joined by "|".
    void typeAnalysisBoxes_data()
    {
        QTest::addColumn<QString>("channel");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("reported");
        QTest::addColumn<QString>("closed");
        QTest::addColumn<QString>("revoked");
        QTest::addColumn<QString>("handling");
        QTest::addColumn<QString>("office");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("boxes");

        const QString in = QStringLiteral("2024-03-05 09:00:00");
        const QString done = QStringLiteral("2024-03-10 16:00:00");
        const QString none;
        const QString office = MonthEndScene::kTicked;
        QTest::newRow("电话") << "电话" << none << in << done << none << none << office << "1" << "1|||0|1|0|0";
        QTest::newRow("上门") << "上门" << none << in << done << none << none << office << "1" << "1|||1|0|0|0";
        QTest::newRow("纸质") << "纸质" << none << in << done << none << none << office << "1" << "1|||0|0|1|0";
        QTest::newRow("微信 counted in two boxes") << "电话" << "微信报修" << in << done << none << none << office << "1"
                                               << "1|||0|1|0|1";
        QTest::newRow("微信 without a known channel") << "网络" << "微信报修" << in << done << none << none << office << "1"
                                                  << "1|||0|0|0|1";
        QTest::newRow("completed after the period") << "电话" << none << in << QStringLiteral("2024-04-02 10:00:00") << none
                                                    << none << office << "1" << "1|||0|0|0|0";
        QTest::newRow("revoked, still reported") << "电话" << none << in << done << QStringLiteral("2024-03-06 08:00:00")
                                                << none << office << "1" << "1|||0|0|0|0";
        QTest::newRow("作废, still reported") << "电话" << none << in << done << none << "作废" << office << "1"
                                           << "1|||0|0|0|0";
        QTest::newRow("reported before the period") << "电话" << none << QStringLiteral("2024-02-20 09:00:00") << done
                                                    << none << none << office << "1" << "0|||0|1|0|0";
        QTest::newRow("office not ticked") << "电话" << none << in << done << none << none
                                          << MonthEndScene::kUnticked << "1" << "0|||0|0|0|0";
        QTest::newRow("category not ticked") << "电话" << none << in << done << none << none << office << "2"
                                            << "0|||0|0|0|0";
    }

    void typeAnalysisBoxes()
    {
        QFETCH(QString, channel);
        QFETCH(QString, source);
        QFETCH(QString, reported);
        QFETCH(QString, closed);
        QFETCH(QString, revoked);
        QFETCH(QString, handling);
        QFETCH(QString, office);
        QFETCH(QString, category);
        QFETCH(QString, boxes);
        MonthEndScene s({ { QStringLiteral("1"), QStringLiteral("水电") }, { QStringLiteral("2"), QStringLiteral("土建") } });
        s.tick({ QStringLiteral("1") });
        auto o = MonthEndScene::order(office);
        o.channel = channel;
        o.source = source;
        o.reported = reported;
        o.closed = closed;
        o.revoked = revoked;
        o.handling = handling;
        o.category = category;
        s.db.addOrder(o);
        s.boxes[1] = QStringLiteral("stale");
        QVERIFY(!s.run());
        QCOMPARE(boxesText(s.boxes), boxes);
    }

    void failingStatementLeavesTheHeaderRows_data()
    {
        QTest::addColumn<QString>("breakage");
        QTest::newRow("the counts") << "DROP TABLE 区域对应管理处";
        QTest::newRow("a type-analysis count") << "ALTER TABLE PG派工单 DROP COLUMN 报修方式";
    }

    void failingStatementLeavesTheHeaderRows()
    {
        QFETCH(QString, breakage);
        MonthEndScene s;
        s.db.addOrder(MonthEndScene::order());
        s.db.exec(breakage);
        const int old = s.grid.appendRow(); // a row of an earlier run
        s.grid.setText(old, 1, QStringLiteral("旧"));
        const DbStatus status = s.run();
        QVERIFY(status);
        QVERIFY(!status->description.isEmpty());
        QCOMPARE(s.grid.rows(), 2);
        QCOMPARE(s.grid.text(1, 7), QStringLiteral("直管房"));
        QVERIFY(s.grid.redraw());
        QCOMPARE(boxesText(s.boxes), QStringLiteral("||||||"));
    }

    void failingCategoryCellsLeaveTheHeaderRows()
    {
        // the category cells fail after the office counts were read: no office row stays, and the
        // grid is drawn again
        MonthEndScene s;
        s.db.addOrder(MonthEndScene::order());
        s.db.close();
        const MonthEndReport failing({ MonthEndReport::countsStatement,
                                       [](DbConnection&, const ReportCriteria&, const std::vector<std::optional<QString>>&,
                                          MonthEndReport::CategoryCells&) -> DbStatus {
                                           return DbError { kUnspecifiedError, QStringLiteral("cells") };
                                       },
                                       MonthEndReport::FillTypeAnalysis });
        const DbStatus status = runAgainOnFixture(failing, s.db, s.input, s.grid, s.boxes);
        QVERIFY(status);
        QCOMPARE(status->description, QStringLiteral("cells"));
        QCOMPARE(s.grid.rows(), 2);
        QVERIFY(s.grid.redraw());
        QCOMPARE(boxesText(s.boxes), QStringLiteral("||||||"));
    }
};

QTEST_GUILESS_MAIN(TestMonthEndFigures)
#include "test_monthend_figures.moc"
