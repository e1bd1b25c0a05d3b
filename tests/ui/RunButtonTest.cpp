// The run button of each window: the checks of the criteria in the window's order with their
// messages and focus moves, what a successful press captures, window D's emptied boxes, the
// pointer put back after the run, and a failing run reported while the window stays usable.

#include "CategoryBox.h"
#include "FilterPanel.h"
#include "ReportScene.h"
#include "RunWait.h"
#include "TypeAnalysisPanel.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

struct Scene : ReportScene<> {
    explicit Scene(ReportKind kind)
    {
        addFilterData(db);
        db.addRegion(QStringLiteral("G7"), QStringLiteral("港区"));
        db.addOffice(QStringLiteral("G7"), QStringLiteral("G701"), QStringLiteral("港湾一号"));
        db.addWorker(QStringLiteral("G7"), QStringLiteral("G071"), QStringLiteral("钱刚"), QStringLiteral("电工"));
        openFake(kind);
        activate(window.get());
    }
    // Sets the panel up: the dates, the region entry (-1: none), the ticked nodes and categories.
    void set(int startOffset, int region, const QList<int>& nodes, const QList<int>& categories)
    {
        control<QDateEdit>("DTPicker1")->setDate(QDate::currentDate().addDays(startOffset));
        if (region >= 0)
            pickEntry(control<QComboBox>("Combo1"), region);
        QTreeWidget* tree = panel()->tree();
        for (int n : nodes)
            toggle(tree, n == 0 ? tree->topLevelItem(0) : tree->topLevelItem(0)->child(n - 1));
        for (int c : categories)
            toggle(panel()->categoryBox()->list(), c);
    }
    // Presses the run button without waiting for the run.
    void click() { ReportScene::press("Command5"); }
    // Presses the run button and waits until a run it started has ended.
    void press() { QVERIFY(runToEnd()); }
    QString focusName() const
    {
        QWidget* w = QApplication::focusWidget();
        return w ? w->objectName() : QString();
    }
};

const QString kDates = QStringLiteral("开始日期不能大于结束日期,请重新设定!");
const QString kEndDate = QStringLiteral("截止日期必须大于开始日期!");
const QString kRegion = QStringLiteral("请选择区域!");
const QString kOffices = QStringLiteral("请勾选小区!");
const QString kWorkers = QStringLiteral("请勾选维修人员!");
const QString kCategories = QStringLiteral("请勾选报修类别!");

} // namespace

class RunButtonTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checksInTheWindowsOrder_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<int>("startOffset"); // start date relative to today (the end)
        QTest::addColumn<int>("region");
        QTest::addColumn<QList<int>>("nodes");
        QTest::addColumn<QList<int>>("categories");
        QTest::addColumn<QString>("message"); // "" when the run goes ahead
        QTest::addColumn<QString>("focus");

        const QList<int> none;
        const QList<int> office { 1 };
        const QList<int> cat { 0 };
        struct W {
            const char* name;
            ReportKind kind;
            QString dates;
            QString focus;
            QString nodes;
        };
        const W windows[] = {
            { "A", ReportKind::Completion, kDates, "DTPicker1", kOffices },
            { "B", ReportKind::Ledger, kEndDate, "DTPicker2", kWorkers },
            { "C", ReportKind::Performance, kEndDate, "DTPicker2", kWorkers },
            { "D", ReportKind::MonthEnd, kDates, "DTPicker1", kOffices },
        };
        for (const W& w : windows) {
            auto row = [&](const char* what) -> QTestData& { return QTest::addRow("%s: %s", w.name, what); };
            const bool regionFirst = w.kind == ReportKind::Performance;
            row("nothing set, dates reversed")
                << w.kind << 1 << -1 << none << none << (regionFirst ? kRegion : w.dates)
                << (regionFirst ? QStringLiteral("Combo1") : w.focus);
            row("no region") << w.kind << 0 << -1 << none << none << kRegion << "Combo1";
            row("dates reversed") << w.kind << 1 << 0 << office << cat << w.dates << w.focus;
            row("nothing ticked") << w.kind << 0 << 0 << none << cat << w.nodes << "";
            row("no category") << w.kind << -30 << 0 << office << none << kCategories << "";
            row("equal dates pass") << w.kind << 0 << 0 << office << cat << "" << "";
        }
    }

    void checksInTheWindowsOrder()
    {
        QFETCH(ReportKind, kind);
        QFETCH(int, startOffset);
        QFETCH(int, region);
        QFETCH(QList<int>, nodes);
        QFETCH(QList<int>, categories);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Scene s(kind);
        s.set(startOffset, region, nodes, categories);
        s.control<QPushButton>("Command5")->setFocus();
        s.press();
        QCOMPARE(s.messenger.texts(), message.isEmpty() ? QStringList() : QStringList { message });
        for (const Message& m : s.messenger.messages) {
            QCOMPARE(m.title, QStringLiteral("系统提示"));
            QCOMPARE(m.icon, MessageIcon::Information);
        }
        if (!focus.isEmpty())
            QCOMPARE(s.focusName(), focus);
        QCOMPARE(s.fake->runs.load(), message.isEmpty() ? 1 : 0);
    }

    void successfulPressCaptures_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("codes");
        QTest::addColumn<QString>("names");
        QTest::newRow("A") << ReportKind::Completion << "'0101','0103'" << "电，水";
        QTest::newRow("B") << ReportKind::Ledger << "'0011','0012'" << "电，水";
        QTest::newRow("C") << ReportKind::Performance << "'0011','0012'" << "电，水";
        QTest::newRow("D") << ReportKind::MonthEnd << "'0101','0103'" << "";
    }

    void successfulPressCaptures()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, codes);
        QFETCH(QString, names);
        Scene s(kind);
        const bool workers = findReport(kind).info().treeOfWorkers();
        s.set(-3, 0, workers ? QList<int> { 1, 2 } : QList<int> { 1, 3 }, { 0, 1 });
        s.press();
        QVERIFY(s.messenger.messages.isEmpty());
        QCOMPARE(s.fake->runs.load(), 1);
        QVERIFY(!QGuiApplication::overrideCursor());
        const ReportCriteria& c = s.fake->lastInput.criteria;
        QCOMPARE(workers ? c.workerCodes : c.officeCodes, codes);
        QCOMPARE(workers ? c.officeCodes : c.workerCodes, QString());
        QCOMPARE(c.categoryCodes, QStringLiteral("'1','2'"));
        QCOMPARE(c.categoryNames, names);
        QCOMPARE(c.regionCode, QStringLiteral("01"));
        QCOMPARE(c.regionName, QStringLiteral("东区"));
        QCOMPARE(c.startDate, QDate::currentDate().addDays(-3));
        QCOMPARE(c.endDate, QDate::currentDate());
        QCOMPARE(s.fake->lastInput.categories.size(), std::size_t(3));
        QVERIFY(s.fake->lastInput.calendarWorkingDays);
        QCOMPARE(s.window->criteria().categoryCodes, c.categoryCodes);
    }

    void rootNeverContributesACode()
    {
        // The region code holds a "G": the root node still gives no code of its own.
        Scene s(ReportKind::Completion);
        s.set(0, 2, { 0 }, { 2 });
        s.press();
        QCOMPARE(s.fake->lastInput.criteria.officeCodes, QStringLiteral("'G701'"));
        QCOMPARE(s.fake->lastInput.criteria.regionCode, QStringLiteral("G7"));
    }

    void refusedCheckKeepsWhatWasCaptured()
    {
        Scene s(ReportKind::Completion);
        s.set(0, 0, { 1 }, { 0, 2 });
        s.press();
        QCOMPARE(s.window->criteria().categoryCodes, QStringLiteral("'1','3'"));
        toggle(s.panel()->tree(), s.panel()->tree()->topLevelItem(0)->child(0)); // untick the office
        toggle(s.panel()->categoryBox()->list(), 1);
        s.press();
        QCOMPARE(s.messenger.texts(), QStringList { kOffices });
        QCOMPARE(s.window->criteria().officeCodes, QString());
        QCOMPARE(s.window->criteria().categoryCodes, QStringLiteral("'1','3'"));
        QCOMPARE(s.window->criteria().categoryNames, QStringLiteral("电，木"));
        QCOMPARE(s.fake->runs.load(), 1);
    }

    void monthEndEmptiesItsBoxesFirst()
    {
        Scene s(ReportKind::MonthEnd);
        TypeAnalysisPanel* panel = s.window->typeAnalysis();
        auto* remark = s.control<QPlainTextEdit>("Text2");
        auto* box3 = s.control<QLineEdit>("Text1(3)");
        QVERIFY(box3->isReadOnly());
        QVERIFY(!remark->isReadOnly());
        QTest::keyClicks(remark, QStringLiteral("see note"));
        box3->setText(QStringLiteral("17"));
        s.fake->boxes = { QStringLiteral("0"), QString(), QString(), QStringLiteral("3"), QStringLiteral("4"),
                           QStringLiteral("5"), QStringLiteral("6") };
        s.set(0, 0, { 0 }, { 0 });
        // While the run goes (its result comes through the event loop) the boxes and remark are empty.
        s.click();
        QCOMPARE(panel->boxes(), (std::array<QString, 7> {}));
        QCOMPARE(panel->remark(), QString());
        QVERIFY(waitForRun(*s.window));
        QCOMPARE(panel->boxes(), s.fake->boxes);
        QCOMPARE(remark->toPlainText(), QString());
        // A refused press leaves the boxes alone.
        toggle(s.panel()->categoryBox()->list(), 0);
        s.press();
        QCOMPARE(panel->boxes(), s.fake->boxes);
    }

    void failingRunIsReported()
    {
        Scene s(ReportKind::Completion);
        s.fake->failWith = DbError { 1, QStringLiteral("no such table: PG派工单") };
        s.set(0, 0, { 0 }, { 0 });
        s.press();
        QCOMPARE(s.messenger.texts(), QStringList { QStringLiteral("错误码: 1 错误描述: no such table: PG派工单") });
        QCOMPARE(s.messenger.messages.front().title, QStringLiteral("系统提示"));
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(s.window->isVisible());
        s.fake->failWith.reset();
        s.messenger.messages.clear();
        s.press();
        QVERIFY(s.messenger.messages.isEmpty());
        QCOMPARE(s.fake->runs.load(), 2);
    }
};

QTEST_MAIN(RunButtonTest)
#include "RunButtonTest.moc"
