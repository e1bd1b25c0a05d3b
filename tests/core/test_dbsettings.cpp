#include "AppSession.h"
#include "DbSettings.h"
#include "FixtureDb.h"
#include "Login.h"
#include "RecordingMessenger.h"

#include <QtTest>

#include <QStringEncoder>

#include <sys/stat.h>
#include <unistd.h>

using namespace trellum;

namespace {

// The settings file as a Windows tool or an installer may leave it, in `encoding` (with its mark).
QByteArray encoded(const QString& text, QStringConverter::Encoding encoding)
{
    QStringEncoder encode(encoding, QStringConverter::Flag::WriteBom);
    return encode(text);
}

QString writeStore(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath(QStringLiteral("Quorvel2011.conf"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

} // namespace

class TestDbSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void namesInAnyCaseAndMarkedEncodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString plain = QStringLiteral("[DBConfig]\r\nSvr=db01,1433\r\nUID=报修\r\nPWD=p;w\r\nDBname=Repair\r\n");
        const QString lower = QStringLiteral("[dbconfig]\r\nsvr=db01,1433\r\nuid=报修\r\npwd=p;w\r\ndbname=Repair\r\n");
        const QString mixed = QStringLiteral("[ DBCONFIG ]\nSVR = db01,1433\nUid=报修\nPwd=p;w\nDbName=Repair\n");
        QTest::newRow("as written by the installer") << plain.toUtf8();
        QTest::newRow("lower case") << lower.toUtf8();
        QTest::newRow("mixed case") << mixed.toUtf8();
        QTest::newRow("UTF-8 with a mark") << encoded(plain, QStringConverter::Utf8);
        QTest::newRow("UTF-16 little-endian with a mark") << encoded(lower, QStringConverter::Utf16LE);
        QTest::newRow("UTF-16 big-endian with a mark") << encoded(mixed, QStringConverter::Utf16BE);
    }
    void namesInAnyCaseAndMarkedEncodings()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const DbSettings s = readDbSettings(writeStore(dir, bytes));
        QCOMPARE(s.Svr, QStringLiteral("db01,1433"));
        QCOMPARE(s.UID, QStringLiteral("报修"));
        QCOMPARE(s.PWD, QStringLiteral("p;w"));
        QCOMPARE(s.DBname, QStringLiteral("Repair"));
    }

    void otherSectionsStayUnread_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("another section in any case") << QByteArray("[dbconfig2]\nSvr=x\n[other]\nsvr=y\n");
        QTest::newRow("UTF-16 without the section") << encoded(QStringLiteral("[Other]\r\nSvr=x\r\n"), QStringConverter::Utf16LE);
    }
    void otherSectionsStayUnread()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        QCOMPARE(readDbSettings(writeStore(dir, bytes)).Svr, QString());
    }

    void anEmptyServerIsSaidSo_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Svr empty") << QByteArray("[DBConfig]\nSvr=\nUID=sa\nPWD=x\nDBname=Repair\n");
        QTest::newRow("Svr blank") << QByteArray("[DBConfig]\nSvr=   \nUID=sa\n");
        QTest::newRow("Svr missing") << QByteArray("[DBConfig]\nUID=sa\n");
        QTest::newRow("no store at all") << QByteArray();
    }
    void anEmptyServerIsSaidSo()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        AppSession session;
        session.settingsPath = bytes.isEmpty() ? dir.filePath(QStringLiteral("absent.conf")) : writeStore(dir, bytes);
        test::RecordingMessenger messenger;
        QVERIFY(!ConnectFromSettings(session, messenger));
        const QStringList texts = messenger.texts();
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts[0].startsWith(QStringLiteral("错误信息：没有设置数据库服务器")) && texts[0].contains(QStringLiteral("Svr")),
                 qPrintable(texts[0]));
        // the message says which file to mend
        QVERIFY2(texts[0].endsWith(QStringLiteral("\n数据库设置文件：") + session.settingsPath), qPrintable(texts[0]));
        QCOMPARE(messenger.messages[0].title, QStringLiteral("信息文本"));
        QCOMPARE(texts[1], QStringLiteral("数据库连接失败!"));
        QVERIFY(!session.connection->isOpen());
    }

    void aStoreThatCannotBeReadIsNamed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a folder") << "folder" << QStringLiteral("文件夹");
        QTest::newRow("a named pipe") << "fifo" << QStringLiteral("不是普通文件");
        QTest::newRow("a link to an endless device") << "zero" << QStringLiteral("不是普通文件");
        QTest::newRow("over 1 MB") << "large" << QStringLiteral("1 MB");
        QTest::newRow("unreadable") << "unreadable" << QStringLiteral("Permission denied");
    }
    void aStoreThatCannotBeReadIsNamed()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Quorvel2011.conf"));
        const QByteArray name = QFile::encodeName(path);
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Quorvel2011.conf")));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        } else if (kind == QLatin1String("zero")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else if (kind == QLatin1String("large")) {
            // a whole section at the start, then more than any settings need
            QVERIFY(!writeStore(dir, "[DBConfig]\nSvr=sqlite:/x.db\n" + QByteArray(1024 * 1024, ';')).isEmpty());
        } else {
            QVERIFY(!writeStore(dir, "[DBConfig]\nSvr=sqlite:/x.db\n").isEmpty());
            QCOMPARE(::chmod(name.constData(), 0), 0);
            if (::access(name.constData(), R_OK) == 0)
                QSKIP("this user reads every file");
        }
        QString problem;
        const DbSettings s = readDbSettings(path, &problem);
        QCOMPARE(s.Svr, QString());
        QVERIFY2(problem.contains(path) && problem.contains(reason), qPrintable(problem));

        AppSession session;
        session.settingsPath = path;
        test::RecordingMessenger messenger;
        QVERIFY(!ConnectFromSettings(session, messenger));
        const QStringList texts = messenger.texts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0], QStringLiteral("错误信息：") + problem);
        QCOMPARE(texts[1], QStringLiteral("数据库连接失败!"));
    }

    void aStoreUpToTheCapIsRead()
    {
        QTemporaryDir dir;
        const QByteArray head = "[DBConfig]\nSvr=db01\n";
        const QString path = writeStore(dir, head + QByteArray(1024 * 1024 - head.size(), ';'));
        QString problem;
        QCOMPARE(readDbSettings(path, &problem).Svr, QStringLiteral("db01"));
        QCOMPARE(problem, QString());
    }

    void theBuiltInAccountCanBeTurnedOff_data()
    {
        QTest::addColumn<QString>("setting"); // the BuiltInAccount line, or none
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("message");
        QTest::newRow("not set: on") << "" << int(LoginOutcome::Step::BuiltInAccount) << "";
        QTest::newRow("yes") << "BuiltInAccount=yes" << int(LoginOutcome::Step::BuiltInAccount) << "";
        QTest::newRow("no") << "BuiltInAccount=no" << int(LoginOutcome::Step::Stay) << "用户名或密码不正确,请重新输入!";
        QTest::newRow("No, any case") << "builtinaccount = No" << int(LoginOutcome::Step::Stay) << "用户名或密码不正确,请重新输入!";
        QTest::newRow("something else") << "BuiltInAccount=off" << int(LoginOutcome::Step::EndProgram) << "BuiltInAccount";
    }
    void theBuiltInAccountCanBeTurnedOff()
    {
        QFETCH(QString, setting);
        QFETCH(int, step);
        QFETCH(QString, message);
        test::FixtureDb db;
        db.close();
        QTemporaryDir dir;
        AppSession session;
        session.settingsPath =
            writeStore(dir, (QStringLiteral("[DBConfig]\nSvr=") + db.svr() + QLatin1Char('\n') + setting + QLatin1Char('\n')).toUtf8());
        test::RecordingMessenger messenger;
        const LoginOutcome outcome = attemptLogin(session, messenger, kBuiltInAccount, kBuiltInPassword);
        QCOMPARE(int(outcome.step), step);
        if (message.isEmpty())
            QCOMPARE(messenger.texts(), QStringList());
        else
            QVERIFY2(messenger.texts().join('\n').contains(message), qPrintable(messenger.texts().join('\n')));
        QCOMPARE(session.state.EmployeeId, step == int(LoginOutcome::Step::BuiltInAccount) ? kBuiltInEmployeeId : QString());
    }
};

QTEST_GUILESS_MAIN(TestDbSettings)
#include "test_dbsettings.moc"
