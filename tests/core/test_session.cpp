#include "AppSession.h"
#include "FixtureDb.h"
#include "RecordingMessenger.h"

#include <QtTest>

#include <QTcpServer>

using namespace trellum;

namespace {

// Writes a settings store with the given keys into `dir` and returns its path.
QString writeSettings(const QTemporaryDir& dir, const QList<std::pair<QString, QString>>& keys)
{
    const QString path = dir.filePath(QStringLiteral("Quorvel2011.conf"));
    QSettings s(path, QSettings::IniFormat);
    s.beginGroup(QStringLiteral("DBConfig"));
    for (const auto& [k, v] : keys)
        s.setValue(k, v);
    s.endGroup();
    s.sync();
    return path;
}

} // namespace

class TestSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void handOffSplit_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("fields");
        const QStringList ten = { "1001", "张伟", "D1", "维修部", "P1", "水电工", "C1", "职能", "K1", "管理岗" };
        QTest::newRow("ten fields") << ten.join(',') << true << ten;
        QTest::newRow("twelve fields") << (ten + QStringList { "x", "y" }).join(',') << true << ten;
        QStringList blanks = ten;
        blanks[1] = " 张伟 ";
        QTest::newRow("blanks kept") << blanks.join(',') << true << blanks;
        QStringList empty = ten;
        empty[3] = QString();
        QTest::newRow("two commas give an empty field") << empty.join(',') << true << empty;
        QTest::newRow("nine fields") << ten.mid(0, 9).join(',') << false << QStringList();
        QTest::newRow("blanks only") << "   " << false << QStringList();
        QTest::newRow("quotes are text") << QStringLiteral("\"a,b\",c,d,e,f,g,h,i,j,k") << true
                                         << QStringList { "\"a", "b\"", "c", "d", "e", "f", "g", "h", "i", "j" };
    }
    void handOffSplit()
    {
        QFETCH(QString, line);
        QFETCH(bool, accepted);
        QFETCH(QStringList, fields);
        const auto s = splitHandOff(line);
        QCOMPARE(s.has_value(), accepted);
        if (!accepted)
            return;
        for (int i = 0; i < SessionState::kFieldCount; ++i)
            QCOMPARE(s->field(i), fields[i]);
    }

    void settingsStoreWithMissingKeys()
    {
        QTemporaryDir dir;
        const QString path = writeSettings(dir, { { "Svr", "sqlite:/x.db" }, { "UID", "sa" } });
        const DbSettings s = readDbSettings(path);
        QCOMPARE(s.Svr, QStringLiteral("sqlite:/x.db"));
        QCOMPARE(s.UID, QStringLiteral("sa"));
        QCOMPARE(s.PWD, QString());
        QCOMPARE(s.DBname, QString());
        const DbSettings none = readDbSettings(dir.filePath(QStringLiteral("absent.conf")));
        QVERIFY(none.Svr.isEmpty() && none.UID.isEmpty() && none.PWD.isEmpty() && none.DBname.isEmpty());
        QVERIFY2(!QFile::exists(dir.filePath(QStringLiteral("absent.conf"))), "reading never writes the store");
    }

    void connectionStringBracesEveryValue_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << "secret" << true;
        QTest::newRow("semicolon") << "a;b" << true;
        QTest::newRow("attribute smuggling") << "x;DATABASE=master" << true;
        QTest::newRow("apostrophe") << "o'neil" << true;
        QTest::newRow("equals") << "a=b" << true;
        QTest::newRow("open brace") << "{abc" << true;
        QTest::newRow("close brace at end") << "abc}" << true;
        QTest::newRow("close brace inside") << "a}b" << true;
        QTest::newRow("chinese") << "密码" << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("brace semicolon") << "a};b" << false;
    }
    void connectionStringBracesEveryValue()
    {
        QFETCH(QString, value);
        QFETCH(bool, accepted);
        for (int which = 0; which < 4; ++which) {
            DbSettings s { "srv", "user", "pwd", "db", QString() };
            QString* target[] = { &s.Svr, &s.UID, &s.PWD, &s.DBname };
            *target[which] = value;
            QString problem;
            const auto text = sqlServerConnectionString(s, &problem);
            QCOMPARE(text.has_value(), accepted);
            if (!accepted) {
                QVERIFY(problem.contains(QStringLiteral("};")));
                continue;
            }
            const char* keys[] = { "SERVER", "UID", "PWD", "DATABASE" };
            QVERIFY2(text->contains(QString::fromLatin1(keys[which]) + "={" + value + "};"), qPrintable(*text));
            QVERIFY(text->startsWith(QStringLiteral("DRIVER={FreeTDS};")));
            QVERIFY(text->contains(QStringLiteral("ClientCharset=UTF-8")));
        }
    }

    void driverNameCanBeOverridden()
    {
        const auto text = sqlServerConnectionString(DbSettings { "s", "u", "p", "d", "ODBC Driver 18 for SQL Server" }, nullptr);
        QVERIFY(text->startsWith(QStringLiteral("DRIVER={ODBC Driver 18 for SQL Server};")));
    }

    void unreachableServerGivesBothMessages()
    {
        // a closed port on loopback: the driver refuses at once
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        QTemporaryDir dir;
        AppSession session;
        session.settingsPath = writeSettings(dir, { { "Svr", QStringLiteral("127.0.0.1,%1").arg(port) }, { "UID", "sa" },
                                                    { "PWD", "x" }, { "DBname", "repair" } });
        test::RecordingMessenger messenger;
        QVERIFY(!ConnectFromSettings(session, messenger));
        QCOMPARE(messenger.messages.size(), 2);
        QCOMPARE(messenger.messages[0].title, QStringLiteral("信息文本"));
        QVERIFY(messenger.messages[0].text.startsWith(QStringLiteral("错误信息：")));
        QVERIFY(messenger.messages[0].text.size() > QStringLiteral("错误信息：").size());
        QCOMPARE(messenger.messages[1].title, QStringLiteral("连接提示"));
        QCOMPARE(messenger.messages[1].text, QStringLiteral("数据库连接失败!"));
        QVERIFY(!session.connection->isOpen());
    }

    void startup_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<int>("path");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("name");
        const QString ten = QStringLiteral("1001, 张伟,D1,维修部,P1,水电工,C1,职能,K1,管理岗");
        QTest::newRow("empty line: login, no database") << QString() << true << int(StartupPath::Login) << 0 << QString();
        QTest::newRow("hand-off") << ten << true << int(StartupPath::MainWindow) << 0 << " 张伟";
        QTest::newRow("hand-off, twelve fields") << ten + ",x,y" << true << int(StartupPath::MainWindow) << 0 << " 张伟";
        QTest::newRow("hand-off fails: login keeps values") << ten << false << int(StartupPath::Login) << 2 << " 张伟";
        QTest::newRow("too few fields") << QStringLiteral("1001,张伟") << true << int(StartupPath::Login) << 1 << QString();
    }
    void startup()
    {
        QFETCH(QString, line);
        QFETCH(bool, reachable);
        QFETCH(int, path);
        QFETCH(int, messages);
        QFETCH(QString, name);
        test::FixtureDb fixture;
        fixture.close();
        QTemporaryDir dir;
        AppSession session;
        session.settingsPath = writeSettings(
            dir, { { "Svr", reachable ? fixture.svr() : QStringLiteral("sqlite:") + dir.filePath("missing.db") } });
        test::RecordingMessenger messenger;
        QCOMPARE(int(decideStartup(line, session, messenger)), path);
        QCOMPARE(messenger.messages.size(), messages);
        QCOMPARE(session.state.EmployeeName, name);
        if (line.isEmpty())
            QVERIFY2(!session.connection->isOpen(), "an empty line does not touch the database");
    }

    void versionLabelReadsLikeTheForm()
    {
        QCOMPARE(versionLabel(), QStringLiteral("V1.0版"));
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "test_session.moc"
