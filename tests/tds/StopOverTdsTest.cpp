// A report window's run over the real client stack against the TDS test server: the stop button
// cancels the statement the server is working on (the driver sends an Attention), the window is
// free again at once and the same link serves the next run; a link dropped during a run is
// reported as it always was.

#include "AppSession.h"
#include "RecordingMessenger.h"
#include "ReportWindow.h"
#include "RunWait.h"
#include "SessionInputs.h"
#include "TdsServer.h"
#include "UiFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QPushButton>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

// The completion overview's window on a small demo database served by the test server, its panel
// set for November 2026 in the first region, everything ticked.
struct Scene {
    QTemporaryDir dir;
    QString db = dir.filePath(QStringLiteral("repair.db"));
    TdsServer server;
    std::unique_ptr<TdsSettings> settings;
    AppSession session;
    RecordingMessenger messenger;
    CancellingSaveDialog dialog;
    std::unique_ptr<ReportWindow> window;

    bool open()
    {
        writeSmallDemo(db);
        if (!serve())
            return false;
        settings = std::make_unique<TdsSettings>(server);
        session.settingsPath = settings->path();
        if (!ConnectFromSettings(session, messenger))
            return false;
        window = std::make_unique<ReportWindow>(sessionInputs(session, ReportKind::Completion), messenger, dialog);
        window->show();
        window->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(QDate(2026, 11, 1));
        window->findChild<QDateEdit*>(QStringLiteral("DTPicker2"))->setDate(QDate(2026, 11, 30));
        pickEntry(window->findChild<QComboBox*>(QStringLiteral("Combo1")), 0);
        window->findChild<QCheckBox*>(QStringLiteral("Check1"))->click();
        window->findChild<QCheckBox*>(QStringLiteral("Check2"))->click();
        return messenger.messages.isEmpty();
    }
    // Serves the file again, with a fault from the next statement on (`name` empty: none).
    bool serve(const char* name = nullptr, QJsonObject fault = QJsonObject())
    {
        QJsonObject faults;
        if (name) {
            fault.insert("statement", 0);
            faults.insert(QString::fromLatin1(name), fault);
        }
        return server.serve(db, QJsonObject { { "faults", faults } });
    }
    void pressRun() const { window->findChild<QPushButton*>(QStringLiteral("Command5"))->click(); }
    int statements() { return int(server.log().value("statements").toArray().size()); }
    int resultRows() const { return window->grid().rows() - window->info().headerRows; }
    // Runs again and whether the run filled the grid without a message.
    bool runsToItsEnd()
    {
        messenger.messages.clear();
        pressRun();
        if (!waitForRun(*window))
            return false;
        if (!messenger.messages.isEmpty())
            qWarning("%s", qPrintable(messenger.texts().join('|')));
        return messenger.messages.isEmpty() && resultRows() > 1;
    }
};

} // namespace

class StopOverTdsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(TdsServer().valid(), "run under run_with_server.py"); }

    void stopReachesTheServerAndTheLinkStays()
    {
        Scene s;
        QVERIFY2(s.open(), qPrintable(s.messenger.texts().join('|')));
        // The server sits on every statement from here (the completion overview sets no time-out).
        QVERIFY(s.serve("delay", QJsonObject { { "seconds", 120 } }));
        s.pressRun();
        QTRY_VERIFY_WITH_TIMEOUT(s.statements() >= 1, 20000);
        QVERIFY(s.window->running());
        QElapsedTimer clock;
        clock.start();
        s.pressRun(); // 停止
        QVERIFY(waitForRun(*s.window, 2000));
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        qInfo("from the stop button to a usable window over TDS: %lld ms", clock.elapsed());
        QCOMPARE(s.messenger.texts(), QStringList { kStoppedMessage });
        QTRY_COMPARE(s.server.log().value("attentions").toInt(), 1);

        // The same link runs the report to its end.
        QVERIFY(s.serve());
        QVERIFY(s.runsToItsEnd());
        QCOMPARE(s.server.log().value("logins").toArray().size(), 0);
    }

    void droppedLinkDuringARunIsReported()
    {
        Scene s;
        QVERIFY2(s.open(), qPrintable(s.messenger.texts().join('|')));
        const auto before = s.window->grid().texts();
        QVERIFY(s.serve("drop", QJsonObject { { "rows", 0 } }));
        s.pressRun();
        QVERIFY(waitForRun(*s.window));
        QCOMPARE(s.messenger.texts().size(), 1);
        QVERIFY2(s.messenger.texts().front().startsWith(QStringLiteral("错误码: 20017 ")), qPrintable(s.messenger.texts().front()));
        QCOMPARE(s.window->grid().texts(), before);
        // Once the server answers again the next run opens the link afresh and completes.
        QVERIFY(s.serve());
        QVERIFY(s.runsToItsEnd());
    }
};

QTEST_MAIN(StopOverTdsTest)
#include "StopOverTdsTest.moc"
