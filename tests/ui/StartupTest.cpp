// The start-up: a hand-off command line goes straight to the main window; an empty one, a short
// one or a hand-off whose connection fails opens the login window.

#include "FixtureDb.h"
#include "LoginWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "ReportStatusBar.h"
#include "ReportWindow.h"
#include "ReportScene.h"

#include <QLabel>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

class StartupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void handOff_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<QString>("path");         // main or login
        QTest::addColumn<QStringList>("fields");   // SessionState afterwards
        QTest::addColumn<int>("messages");

        const QStringList ten { "1001", "李娜", "D01", "维修部", "P01", "水电工", "BM", "职能部门", "GL", "管理岗" };
        const QStringList none(10);
        QTest::newRow("empty line") << "" << true << "login" << none << 0;
        QTest::newRow("ten fields") << ten.join(',') << true << "main" << ten << 0;
        QTest::newRow("twelve fields") << (ten + QStringList { "x", "y" }).join(',') << true << "main" << ten << 0;
        QStringList blanks = ten;
        blanks[0] = " 1001";
        blanks[1] = "李娜 ";
        blanks[5] = "  ";
        QTest::newRow("blanks kept") << blanks.join(',') << true << "main" << blanks << 0;
        QStringList gap = ten;
        gap[2] = "";
        QTest::newRow("empty field") << gap.join(',') << true << "main" << gap << 0;
        QTest::newRow("line of blanks") << "   " << true << "login" << none << 1;
        QTest::newRow("too few fields") << "1001,李娜,D01" << true << "login" << none << 1;
        QTest::newRow("connection fails") << ten.join(',') << false << "login" << ten << 2;
    }

    void handOff()
    {
        QFETCH(QString, line);
        QFETCH(bool, reachable);
        QFETCH(QString, path);
        QFETCH(QStringList, fields);
        QFETCH(int, messages);
        ProgramScene s;
        if (!reachable)
            s.settings.setSvr(QStringLiteral("sqlite:") + s.folder.filePath(QStringLiteral("no.db")));
        const Program& program = s.program;
        const RecordingMessenger& messenger = s.messenger;

        const StartupPath started = s.program.start(line);
        const bool toMain = path == QLatin1String("main");
        QCOMPARE(started, toMain ? StartupPath::MainWindow : StartupPath::Login);
        QCOMPARE(int(messenger.messages.size()), messages);
        QCOMPARE(s.ended, 0);
        for (int i = 0; i < SessionState::kFieldCount; ++i)
            QCOMPARE(s.session.state.field(i), fields[i]);
        QCOMPARE(program.mainWindow() != nullptr, toMain);
        if (toMain)
            QVERIFY(program.mainWindow()->isVisible());
        QCOMPARE(program.loginWindow()->isVisible(), !toMain);
        // The version label belongs to the interactive start only.
        const QString label = program.loginWindow()->findChild<QLabel*>(QStringLiteral("Label1"))->text();
        QCOMPARE(label, toMain ? QString() : QStringLiteral("V1.0版"));
        if (messages == 2) {
            QVERIFY(messenger.messages[0].text.startsWith(QStringLiteral("错误信息：")));
            QCOMPARE(messenger.messages[1].text, QStringLiteral("数据库连接失败!"));
        }
        if (messages == 1)
            QCOMPARE(messenger.messages[0].title, QStringLiteral("Trellum"));
    }

    void handedSessionShowsInTheReportWindows()
    {
        ProgramScene s;
        addFilterData(s.db);
        s.program.start(QStringLiteral("1001,李娜,D01,维修部,P01,水电工,BM,职能部门,GL,管理岗"));
        ReportWindow* window = s.program.mainWindow()->openReport(ReportKind::Completion);
        QCOMPARE(window->statusBar()->panelText(2), QStringLiteral("李娜"));
        QCOMPARE(window->statusBar()->panelText(4), QStringLiteral("维修部"));
        QCOMPARE(window->statusBar()->panelText(6), QStringLiteral("水电工"));
        QVERIFY(s.messenger.messages.isEmpty());
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
