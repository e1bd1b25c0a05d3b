#include "Criteria.h"
#include "ReportCatalog.h"

#include <QtTest>

using namespace trellum;

Q_DECLARE_METATYPE(trellum::ReportKind)

namespace {

// A panel with every check passing: region 01, two offices or workers ticked, two categories.
FilterState goodState()
{
    FilterState s;
    s.startDate = QDate(2024, 1, 1);
    s.endDate = QDate(2024, 1, 31);
    s.region = RegionEntry { QStringLiteral("01"), QStringLiteral("东区") };
    s.nodes = {
        { QStringLiteral("Q01"), QStringLiteral("01 东区"), QString(), false, true },
        { QStringLiteral("G01"), QStringLiteral("01 阳光"), QStringLiteral("01"), true, true },
        { QStringLiteral("G02"), QStringLiteral("02 明月"), QStringLiteral("02"), true, false },
        { QStringLiteral("G03"), QStringLiteral("03 星河"), QStringLiteral("03"), true, true },
    };
    s.categories = { { QStringLiteral("1"), QStringLiteral("电") }, { QStringLiteral("2"), QStringLiteral("水") },
                     { QStringLiteral("3"), QStringLiteral("木") } };
    s.categoryTicks = { true, true, false };
    return s;
}

} // namespace

class TestCriteria : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void capturesCodesAndNames()
    {
        ReportCriteria c;
        QVERIFY(!captureCriteria(findReport(ReportKind::Completion).info(), goodState(), c));
        QCOMPARE(c.officeCodes, QStringLiteral("'01','03'"));
        QCOMPARE(c.categoryCodes, QStringLiteral("'1','2'"));
        QCOMPARE(c.categoryNames, QStringLiteral("电，水"));
        QCOMPARE(c.regionCode, QStringLiteral("01"));
        QCOMPARE(c.regionName, QStringLiteral("东区"));
        QCOMPARE(c.tickedCategoryCodes, QStringList({ QStringLiteral("1"), QStringLiteral("2") }));
        ReportCriteria w;
        QVERIFY(!captureCriteria(findReport(ReportKind::Ledger).info(), goodState(), w));
        QCOMPARE(w.workerCodes, QStringLiteral("'01','03'"));
        QVERIFY(w.officeCodes.isEmpty());
        ReportCriteria d;
        QVERIFY(!captureCriteria(findReport(ReportKind::MonthEnd).info(), goodState(), d));
        QVERIFY2(d.categoryNames.isEmpty(), "the month-end does not build the names");
    }

    void rootNeverContributesACode()
    {
        // a region code holding "G" once made the root count as an office node
        FilterState s = goodState();
        s.region = RegionEntry { QStringLiteral("GZ1"), QStringLiteral("广州") };
        s.nodes = { { QStringLiteral("QGZ1"), QStringLiteral("GZ1 广州"), QString(), false, true } };
        ReportCriteria c;
        const auto failure = captureCriteria(findReport(ReportKind::Completion).info(), s, c);
        QVERIFY(failure);
        QCOMPARE(failure->message, QStringLiteral("请勾选小区!"));
    }

    void apostrophesAreDoubled()
    {
        FilterState s = goodState();
        s.nodes[1].code = QStringLiteral("0'1");
        s.categories[0].code = QStringLiteral("x') Or 1=1 --");
        ReportCriteria c;
        QVERIFY(!captureCriteria(findReport(ReportKind::Completion).info(), s, c));
        QCOMPARE(c.officeCodes, QStringLiteral("'0''1','03'"));
        QCOMPARE(c.categoryCodes, QStringLiteral("'x'') Or 1=1 --','2'"));
    }

    void checksInWindowOrder_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<int>("breakWhat"); // bit 1 dates, 2 region, 4 nodes, 8 categories
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("focus");
        const QString badStartA = QStringLiteral("开始日期不能大于结束日期,请重新设定!");
        const QString badEndB = QStringLiteral("截止日期必须大于开始日期!");
        const QString region = QStringLiteral("请选择区域!");
        const int start = int(FocusTarget::StartDate), end = int(FocusTarget::EndDate), combo = int(FocusTarget::Region),
                  none = int(FocusTarget::None);
        QTest::newRow("A dates first") << ReportKind::Completion << 15 << badStartA << start;
        QTest::newRow("D dates first") << ReportKind::MonthEnd << 15 << badStartA << start;
        QTest::newRow("B dates first") << ReportKind::Ledger << 15 << badEndB << end;
        QTest::newRow("C region first") << ReportKind::Performance << 15 << region << combo;
        QTest::newRow("C then dates") << ReportKind::Performance << 13 << badEndB << end;
        QTest::newRow("A region") << ReportKind::Completion << 14 << region << combo;
        QTest::newRow("A offices") << ReportKind::Completion << 12 << QStringLiteral("请勾选小区!") << none;
        QTest::newRow("B workers") << ReportKind::Ledger << 12 << QStringLiteral("请勾选维修人员!") << none;
        QTest::newRow("C workers") << ReportKind::Performance << 4 << QStringLiteral("请勾选维修人员!") << none;
        QTest::newRow("D categories") << ReportKind::MonthEnd << 8 << QStringLiteral("请勾选报修类别!") << none;
    }
    void checksInWindowOrder()
    {
        QFETCH(ReportKind, kind);
        QFETCH(int, breakWhat);
        QFETCH(QString, message);
        QFETCH(int, focus);
        FilterState s = goodState();
        if (breakWhat & 1)
            s.endDate = s.startDate.addDays(-1);
        if (breakWhat & 2)
            s.region.reset();
        if (breakWhat & 4)
            for (TreeNode& n : s.nodes)
                n.checked = false;
        if (breakWhat & 8)
            s.categoryTicks = { false, false, false };
        ReportCriteria c;
        const auto failure = captureCriteria(findReport(kind).info(), s, c);
        QVERIFY(failure);
        QCOMPARE(failure->message, message);
        QCOMPARE(int(failure->focus), focus);
    }

    void equalDatesPassEverywhere()
    {
        for (ReportKind kind : { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd }) {
            FilterState s = goodState();
            s.endDate = s.startDate;
            ReportCriteria c;
            QVERIFY(!captureCriteria(findReport(kind).info(), s, c));
        }
    }

    void failedCheckKeepsEarlierCapture()
    {
        ReportCriteria c;
        QVERIFY(!captureCriteria(findReport(ReportKind::Completion).info(), goodState(), c));
        FilterState s = goodState();
        for (TreeNode& n : s.nodes)
            n.checked = false;
        s.categoryTicks = { false, false, true };
        QVERIFY(captureCriteria(findReport(ReportKind::Completion).info(), s, c));
        // the office check emptied the offices and stopped; the categories are the last run's
        QCOMPARE(c.officeCodes, QString());
        QCOMPARE(c.categoryCodes, QStringLiteral("'1','2'"));
        QCOMPARE(c.categoryNames, QStringLiteral("电，水"));
    }
};

QTEST_APPLESS_MAIN(TestCriteria)
#include "test_criteria.moc"
