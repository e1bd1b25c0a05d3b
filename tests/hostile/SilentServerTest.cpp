// A SQL Server address on loopback that accepts the connection and never answers: the login
// gives up after the connection's login time-out with the connection's two messages, and the
// program ends as a failed login does. (This one case waits for the driver's time-out.)

#include "LoginWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "RecordingMessenger.h"
#include "UiFixture.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

class SilentServerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loginGivesUpOnASilentServer()
    {
        // listening without ever reading: the kernel completes each handshake, nobody answers
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        QTemporaryDir dir;
        const QString store = dir.filePath(QStringLiteral("Quorvel2011.conf"));
        QFile f(store);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[DBConfig]\nSvr=127.0.0.1,%1\nUID=sa\nPWD=secret\nDBname=repair\nLoginTimeout=2\n").arg(silent.serverPort()).toUtf8());
        f.close();

        AppSession session;
        session.settingsPath = store;
        RecordingMessenger messenger;
        CancellingSaveDialog dialog;
        int ended = 0;
        Program program(session, messenger, dialog, [&] { ++ended; }, dir.path());
        program.start(QString());
        program.loginWindow()->findChild<QLineEdit*>(QStringLiteral("TxtUser"))->setText(QStringLiteral("1001"));
        program.loginWindow()->findChild<QLineEdit*>(QStringLiteral("txtPassword"))->setText(QStringLiteral("1234"));
        program.loginWindow()->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();

        QCOMPARE(messenger.messages.size(), 2);
        QVERIFY(messenger.messages[0].text.startsWith(QStringLiteral("错误信息：")));
        QVERIFY2(messenger.messages[0].text.contains(QStringLiteral("Timeout")), qPrintable(messenger.messages[0].text));
        QCOMPARE(messenger.messages[0].title, QStringLiteral("信息文本"));
        QCOMPARE(messenger.messages[1].text, QStringLiteral("数据库连接失败!"));
        QCOMPARE(ended, 1);
        QVERIFY(!program.mainWindow());
        QVERIFY(!session.connection->isOpen());
    }
};

QTEST_MAIN(SilentServerTest)
#include "SilentServerTest.moc"
