// A report window's run on a thread of its own, as the user meets it: the run completes into the
// grid while the window stays alive; while it goes the window shows it, keeps its criteria and
// turns the run button into 停止; a failed, stopped or timed-out run leaves the last result as it
// was; closing the window or the program during a run stops it; two windows run at once.

#include "CategoryBox.h"
#include "FilterPanel.h"
#include "FlexGrid.h"
#include "MainWindow.h"
#include "ReportScene.h"
#include "ReportStatusBar.h"
#include "ReportWindow.h"
#include "RunWait.h"
#include "TypeAnalysisPanel.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

// Never ends on its own: only the stop button, the command time-out or closing ends it.
const QString kEndless = QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT max(x) AS m FROM c");

struct Scene : ReportScene<> {
    explicit Scene(ReportKind kind = ReportKind::Completion)
    {
        addFilterData(db);
        openFake(kind);
        activate(window.get());
        tickFirstOfEach();
    }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }
    void click(const char* name) { press(name); }
    // The grid's data rows with the totals row.
    int resultRows() const { return window->grid().rows() - window->info().headerRows; }
};

// Whether the event loop runs: a timer of the window's thread fires within `ms`.
bool eventLoopAnswers(int ms)
{
    bool fired = false;
    QTimer::singleShot(0, [&fired] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    while (!fired && clock.elapsed() < ms)
        QTest::qWait(5);
    return fired;
}

enum class Ending { Fails, Stopped, TimedOut };

} // namespace

Q_DECLARE_METATYPE(Ending)

class RunStopTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runCompletesIntoTheGrid()
    {
        Scene s;
        s.fake->dataRows = 5;
        const int before = s.resultRows();
        s.click("Command5");
        // The result comes through the event loop: nothing of it shows before the run has ended.
        QVERIFY(s.window->running());
        QCOMPARE(s.resultRows(), before);
        QVERIFY(waitForRun(*s.window));
        QCOMPARE(s.resultRows(), 6);
        QCOMPARE(s.window->grid().text(s.window->info().headerRows, 1), QStringLiteral("名称1"));
        QVERIFY(s.window->lastRun().has_value());
        QVERIFY(s.messenger.messages.isEmpty());
        QCOMPARE(s.button("Command5")->text(), s.window->info().runButton);
        QVERIFY(s.window->filterPanel()->isEnabled());
        QCOMPARE(s.window->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(s.window->statusBar()->message().isEmpty());
    }

    void whileRunningTheWindowShowsIt()
    {
        Scene s;
        s.fake->statements = { kEndless };
        s.click("Command5");
        QTRY_COMPARE(s.fake->runs.load(), 1);
        QVERIFY(s.window->running());
        QVERIFY(eventLoopAnswers(2000));
        // The run button is the stop button, in place, and the only way to change the run.
        QCOMPARE(s.button("Command5")->text(), kStopCaption);
        QVERIFY(s.button("Command5")->isEnabled());
        QVERIFY(!s.window->filterPanel()->isEnabled());
        for (const char* name : { "Command2", "Command3", "Command4" })
            QVERIFY2(!s.button(name)->isEnabled(), name);
        QVERIFY(s.button("Command1")->isEnabled());
        QCOMPARE(s.window->cursor().shape(), Qt::BusyCursor);
        QCOMPARE(s.button("Command5")->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!QGuiApplication::overrideCursor()); // the other windows keep their pointer
        QVERIFY(s.window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->isVisible());
        QVERIFY2(s.window->statusBar()->message().contains(QStringLiteral("正在统计")), qPrintable(s.window->statusBar()->message()));
        // The context menu's export answers rather than exporting a grid about to change.
        s.window->gridView()->exportRequested();
        QCOMPARE(s.messenger.texts(), QStringList { kRunGoingMessage });
        s.click("Command5");
        QVERIFY(waitForRun(*s.window, 1000));
    }

    void progressCountsTheStatements()
    {
        // The first run tells how many statements a run sends; the next shows which is under way.
        Scene s;
        s.fake->statements = { QStringLiteral("SELECT 1"), QStringLiteral("SELECT 2"), QStringLiteral("SELECT 3") };
        s.click("Command5");
        QVERIFY(waitForRun(*s.window));
        s.fake->statements = { QStringLiteral("SELECT 1"), kEndless, QStringLiteral("SELECT 3") };
        s.click("Command5");
        auto* progress = s.window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
        QTRY_COMPARE(s.window->statusBar()->message(), QStringLiteral("正在统计：第 2 条语句，共 3 条… 按“停止”可中止。"));
        QCOMPARE(progress->maximum(), 3);
        QCOMPARE(progress->value(), 1);
        s.click("Command5");
        QVERIFY(waitForRun(*s.window, 1000));
        QVERIFY(progress->isHidden());
    }

    void unfinishedRunLeavesTheLastResult_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<QString>("message");
        const QString timedOut = QStringLiteral("错误码: %1 错误描述: 查询超时：语句执行超过了命令超时时间（1 秒），已被中止").arg(kTimeoutError);
        QTest::newRow("A fails") << ReportKind::Completion << Ending::Fails << QStringLiteral("错误码: 1 错误描述: no such table: PG派工单");
        QTest::newRow("A stopped") << ReportKind::Completion << Ending::Stopped << kStoppedMessage;
        QTest::newRow("A timed out") << ReportKind::Completion << Ending::TimedOut << timedOut;
        QTest::newRow("B stopped") << ReportKind::Ledger << Ending::Stopped << kStoppedMessage;
        QTest::newRow("D fails") << ReportKind::MonthEnd << Ending::Fails << QStringLiteral("错误码: 1 错误描述: no such table: PG派工单");
        QTest::newRow("D stopped") << ReportKind::MonthEnd << Ending::Stopped << kStoppedMessage;
    }

    void unfinishedRunLeavesTheLastResult()
    {
        QFETCH(ReportKind, kind);
        QFETCH(Ending, ending);
        QFETCH(QString, message);
        Scene s(kind);
        s.fake->dataRows = 4;
        s.fake->boxes = { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                           QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7") };
        s.click("Command5");
        QVERIFY(waitForRun(*s.window));
        const auto cells = s.window->grid().texts();
        const QDate ranFrom = s.window->lastRun()->startDate;

        s.window->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(ranFrom.addDays(-9));
        s.fake->dataRows = 1;
        s.fake->boxes = {};
        if (ending == Ending::Fails)
            s.fake->failWith = DbError { 1, QStringLiteral("no such table: PG派工单") };
        else
            s.fake->statements = { kEndless };
        if (ending == Ending::TimedOut)
            s.session.connection->setCommandTimeout(1);
        s.click("Command5");
        if (ending == Ending::Stopped) {
            QTRY_COMPARE(s.fake->runs.load(), 2);
            s.click("Command5");
            QVERIFY(waitForRun(*s.window, 1000));
        } else {
            QVERIFY(waitForRun(*s.window));
        }
        QCOMPARE(s.messenger.texts(), QStringList { message });
        QCOMPARE(s.messenger.messages.front().title, kReportMessageTitle);
        QCOMPARE(s.window->grid().texts(), cells);
        QCOMPARE(s.window->lastRun()->startDate, ranFrom);
        if (s.window->typeAnalysis())
            QCOMPARE(s.window->typeAnalysis()->boxes()[3], QStringLiteral("4"));
        QCOMPARE(s.button("Command5")->text(), s.window->info().runButton);
        QVERIFY(s.window->filterPanel()->isEnabled());

        // The window and its connection serve the next run.
        s.messenger.messages.clear();
        s.fake->failWith.reset();
        s.fake->statements.clear();
        s.click("Command5");
        QVERIFY(waitForRun(*s.window));
        QVERIFY2(s.messenger.messages.isEmpty(), qPrintable(s.messenger.texts().join('|')));
        QCOMPARE(s.resultRows(), 2);
        QCOMPARE(s.window->lastRun()->startDate, ranFrom.addDays(-9));
    }

    void closingTheWindowStopsItsRun()
    {
        Scene s;
        s.fake->statements = { kEndless };
        s.click("Command5");
        QTRY_COMPARE(s.fake->runs.load(), 1);
        QElapsedTimer clock;
        clock.start();
        s.click("Command1");
        QVERIFY(!s.window->isVisible());
        QVERIFY(!s.window->running());
        s.window.reset();
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(s.messenger.messages.isEmpty());
        QVERIFY(eventLoopAnswers(1000));
    }

    void twoWindowsRunAtOnce()
    {
        Scene first;
        Scene second(ReportKind::Ledger);
        first.fake->statements = { kEndless };
        second.fake->statements = { kEndless };
        first.click("Command5");
        second.click("Command5");
        QTRY_COMPARE(first.fake->runs.load(), 1);
        QTRY_COMPARE(second.fake->runs.load(), 1);
        QVERIFY(first.window->running());
        QVERIFY(second.window->running());
        first.click("Command5");
        QVERIFY(waitForRun(*first.window, 1000));
        QCOMPARE(first.messenger.texts(), QStringList { kStoppedMessage });
        QVERIFY(second.window->running());
        // The first window runs again, to its end, while the second still goes.
        first.fake->statements.clear();
        first.click("Command5");
        QVERIFY(waitForRun(*first.window));
        QCOMPARE(first.messenger.texts(), QStringList { kStoppedMessage });
        QCOMPARE(first.resultRows(), 9);
        QVERIFY(second.window->running());
        second.click("Command5");
        QVERIFY(waitForRun(*second.window, 1000));
        QCOMPARE(second.messenger.texts(), QStringList { kStoppedMessage });
    }

    void closingTheProgramDuringARunAsksThenStops()
    {
        FixtureDb db;
        addFilterData(db);
        AppSession session;
        openSession(session, db);
        RecordingMessenger messenger;
        CancellingSaveDialog dialog;
        int ended = 0;
        QTemporaryDir folder;
        auto main = std::make_unique<MainWindow>(session, messenger, dialog, [&ended] { ++ended; }, folder.path());
        activate(main.get());
        FakeReport report(ReportKind::Completion);
        report.statements = { kEndless };
        auto* window = new ReportWindow(sessionInputs(session, &report), messenger, dialog);
        QMdiSubWindow* frame = main->clientArea()->addSubWindow(window);
        frame->show();
        pickEntry(window->findChild<QComboBox*>(QStringLiteral("Combo1")), 0);
        toggle(window->filterPanel()->tree(), window->filterPanel()->tree()->topLevelItem(0));
        toggle(window->filterPanel()->categoryBox()->list(), 0);
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Command5")), Qt::LeftButton);
        QTRY_COMPARE(report.runs.load(), 1);

        messenger.answers.push_back(MessageAnswer::No);
        main->close();
        QCOMPARE(messenger.texts(), QStringList { QStringLiteral("确认要退出系统吗？") });
        QVERIFY(window->running());
        QCOMPARE(ended, 0);
        messenger.answers.push_back(MessageAnswer::Yes);
        main->close();
        QCOMPARE(ended, 1);
        QElapsedTimer clock;
        clock.start();
        main.reset(); // the program's windows go as the program ends
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_MAIN(RunStopTest)
#include "RunStopTest.moc"
