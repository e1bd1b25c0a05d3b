// Faults over the real client stack against the TDS test server: a refused login, a missing
// table, a link dropped in the middle of a result and after its last row, an error after the
// last row, a command time-out (the driver's Attention), the link coming back, the optional
// settings keys and the program's name in the server's session list.

#include "AppSession.h"
#include "RecordingMessenger.h"
#include "TdsServer.h"

#include <QJsonArray>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

const QStringList kLedger { "--report", "ledger", "--from", "2026-11-01", "--to", "2026-11-30", "--region", "01" };
const QStringList kMonthEnd { "--report", "monthend", "--from", "2026-11-01", "--to", "2026-11-30", "--region", "01" };
const QStringList kCompletion { "--report", "completion", "--from", "2026-11-01", "--to", "2026-11-30", "--region", "01" };

// The small demo database of its own.
struct Scene {
    QTemporaryDir dir;
    QString db = dir.filePath(QStringLiteral("repair.db"));
    TdsServer server;
    Scene() { writeSmallDemo(db); }
    bool serve(const QJsonObject& faults = QJsonObject()) { return server.serve(db, QJsonObject { { "faults", faults } }); }
    // A fault on statement `k` (counted from 1 since the last serve; 0 every statement).
    static QJsonObject fault(const char* name, int k, QJsonObject more = QJsonObject())
    {
        more.insert("statement", k);
        return QJsonObject { { QString::fromLatin1(name), more } };
    }
    int statements() { return int(server.log().value("statements").toArray().size()); }
};

// A session connected through the settings store; the messages it gave.
struct Session {
    TdsSettings settings;
    AppSession session;
    RecordingMessenger messenger;
    bool connected = false;
    explicit Session(const TdsServer& server, const QStringList& extra = QStringList())
        : settings(server, extra)
    {
        session.settingsPath = settings.path();
        connected = ConnectFromSettings(session, messenger);
    }
    DbConnection& db() { return *session.connection; }
};

// The rows of a statement, or its error as the report windows show it.
QString rowsOf(DbConnection& db, const QString& sql)
{
    DbCursor c = db.select(sql);
    QStringList rows;
    while (c.next())
        rows << c.text(QStringLiteral("区域编号"));
    if (c.failed())
        return reportErrorText(*c.error());
    return rows.join(QLatin1Char(','));
}

const QString kRegions = QStringLiteral("Select * From 区域设置 Order By 区域编号");

} // namespace

class FaultsOverTdsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(TdsServer().valid(), "run under run_with_server.py"); }

    void refusedLogin_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("database");
        QTest::newRow("wrong password") << TdsServer::user() << "Ke;st,ra=2" << TdsServer::database();
        QTest::newRow("password cut at ;") << TdsServer::user() << "Ke" << TdsServer::database();
        QTest::newRow("wrong user") << "sa" << TdsServer::password() << TdsServer::database();
        QTest::newRow("wrong database") << TdsServer::user() << TdsServer::password() << "master2";
    }

    // The server checks what the login carries; a refusal is 18456 with the server's text.
    void refusedLogin()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, database);
        Scene s;
        QVERIFY(s.serve());
        QString problem;
        DbSettings settings;
        settings.Svr = s.server.svr();
        settings.UID = user;
        settings.PWD = password;
        settings.DBname = database;
        DbConnection db;
        const DbStatus refused = db.openOdbc(*sqlServerConnectionString(settings, &problem), 30);
        QVERIFY(refused);
        QCOMPARE(refused->number, 18456);
        QVERIFY2(refused->description.contains(QStringLiteral("Login failed for user '%1'").arg(user)),
                 qPrintable(refused->description));
        QVERIFY(!db.isOpen());
        const QJsonArray logins = s.server.log().value("logins").toArray();
        QCOMPARE(logins.size(), 1);
        QCOMPARE(logins[0].toObject().value("password").toString(), password);

        // through the settings store: the two messages of a failed connection
        TdsSettings store(s.server);
        store.write(s.server.svr(), QStringLiteral("wrong"));
        AppSession session;
        session.settingsPath = store.path();
        RecordingMessenger messenger;
        QVERIFY(!ConnectFromSettings(session, messenger));
        QCOMPARE(messenger.texts().size(), 2);
        QVERIFY(messenger.texts()[0].startsWith(QStringLiteral("错误信息：")));
        QVERIFY2(messenger.texts()[0].endsWith(QStringLiteral("Login failed for user 'trellum_ro'.")), qPrintable(messenger.texts()[0]));
        QCOMPARE(messenger.texts()[1], QStringLiteral("数据库连接失败!"));
    }

    // What the login tells the server: TDS 7.4, read-only intent, the program's name, the
    // encryption asked for; the optional keys refused by name when they hold anything else.
    void loginAsTheSettingsSay_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<bool>("connects");
        QTest::addColumn<QString>("encryption"); // what PRELOGIN asked: 00 if possible, 01 required
        QTest::addColumn<QString>("message");    // the first message, "" for none
        QTest::newRow("plain") << QStringList() << true << "00" << "";
        QTest::newRow("Encrypt=no") << QStringList { "Encrypt=no" } << true << "00" << "";
        QTest::newRow("Encrypt=NO") << QStringList { "Encrypt=NO" } << true << "00" << "";
        // the test server has no TLS: a client that demands it gives up
        QTest::newRow("Encrypt=yes") << QStringList { "Encrypt=yes" } << false << "01" << "错误信息：";
        QTest::newRow("Encrypt=maybe") << QStringList { "Encrypt=maybe" } << false << ""
                                       << "错误信息：数据库设置 Encrypt 只能是 yes 或 no，现为 \"maybe\"。";
        QTest::newRow("CommandTimeout=5") << QStringList { "CommandTimeout=5" } << true << "00" << "";
        QTest::newRow("CommandTimeout=abc") << QStringList { "CommandTimeout=abc" } << false << ""
                                            << "错误信息：数据库设置 CommandTimeout 应为 0 到 86400 的整数秒数，现为 \"abc\"。";
        QTest::newRow("CommandTimeout=-1") << QStringList { "CommandTimeout=-1" } << false << ""
                                           << "错误信息：数据库设置 CommandTimeout 应为 0 到 86400 的整数秒数，现为 \"-1\"。";
        QTest::newRow("LoginTimeout=5") << QStringList { "LoginTimeout=5" } << true << "00" << "";
        // a login that may wait for ever is refused like any value out of range
        QTest::newRow("LoginTimeout=0") << QStringList { "LoginTimeout=0" } << false << ""
                                        << "错误信息：数据库设置 LoginTimeout 应为 1 到 3600 的整数秒数，现为 \"0\"。";
        QTest::newRow("LoginTimeout=2s") << QStringList { "LoginTimeout=2s" } << false << ""
                                         << "错误信息：数据库设置 LoginTimeout 应为 1 到 3600 的整数秒数，现为 \"2s\"。";
    }

    void loginAsTheSettingsSay()
    {
        QFETCH(QStringList, extra);
        QFETCH(bool, connects);
        QFETCH(QString, encryption);
        QFETCH(QString, message);
        Scene s;
        QVERIFY(s.serve());
        Session c(s.server, extra);
        QCOMPARE(c.connected, connects);
        if (!message.isEmpty()) {
            QVERIFY2(c.messenger.texts().value(0).startsWith(message), qPrintable(c.messenger.texts().join('|')));
            QCOMPARE(c.messenger.texts().value(1), QStringLiteral("数据库连接失败!"));
        } else {
            QVERIFY2(c.messenger.texts().isEmpty(), qPrintable(c.messenger.texts().join('|')));
        }
        const QJsonArray logins = s.server.log().value("logins").toArray();
        if (encryption.isEmpty()) {
            QCOMPARE(logins.size(), 0); // refused before anything was sent
            return;
        }
        if (!connects)
            return; // no LOGIN7 after a refused encryption; the attempt was made
        QCOMPARE(logins.size(), 1);
        const QJsonObject login = logins[0].toObject();
        QCOMPARE(login.value("app").toString(), QStringLiteral("Trellum"));
        QCOMPARE(login.value("tdsVersion").toString(), QStringLiteral("0x74000004"));
        QCOMPARE(login.value("typeFlags").toInt() & 0x20, 0x20); // read-only intent
        QCOMPARE(login.value("encryption").toString(), encryption);
        QCOMPARE(login.value("database").toString(), TdsServer::database());
        QCOMPARE(c.db().commandTimeout(), extra.contains(QStringLiteral("CommandTimeout=5")) ? 5 : 30);
    }

    void encryptionDemandedIsAskedFor()
    {
        Scene s;
        QVERIFY(s.serve());
        Session c(s.server, { QStringLiteral("Encrypt=yes") });
        QVERIFY(!c.connected);
        // the PRELOGIN asked for encryption on; the server said it has none, so no login followed
        QCOMPARE(s.server.log().value("logins").toArray().size(), 0);
        QCOMPARE(s.server.log().value("prelogins").toArray().last().toString(), QStringLiteral("01"));
    }

    // Server errors keep SQL Server's numbers and texts: a missing table is 208.
    void missingTable()
    {
        Scene s;
        execOn(s.db, QStringLiteral("DROP TABLE PG派工单"));
        QVERIFY(s.serve());
        TdsSettings settings(s.server);
        const ReportProcess run = runReportProgram(kCompletion, settings.folder());
        QCOMPARE(run.exitCode, 3);
        QVERIFY2(run.err.contains(QStringLiteral("错误码: 208 错误描述: [S0002] [FreeTDS][SQL Server]Invalid object name 'PG派工单'.")),
                 qPrintable(run.err));
    }

    // A fault in the reply of one statement of a report: the run fails with the "错误码" form,
    // exit 3, wherever the fault falls. The last statement of the month-end is a one-row count.
    void faultInAReply_data()
    {
        QTest::addColumn<QStringList>("criteria");
        QTest::addColumn<QString>("fault");  // drop, error
        QTest::addColumn<int>("rows");       // drop: rows sent first (-1: every row)
        QTest::addColumn<QString>("message");
        QTest::newRow("ledger, dropped mid-result") << kLedger << "drop" << 1 << "错误码: 20017";
        QTest::newRow("ledger, dropped before the rows") << kLedger << "drop" << 0 << "错误码: 20017";
        QTest::newRow("month-end, dropped after the only row") << kMonthEnd << "drop" << -1 << "错误码: 20017";
        QTest::newRow("month-end, error after the only row") << kMonthEnd << "error" << 0
                                                             << "错误码: 1205 错误描述: [37000] [FreeTDS][SQL Server]Transaction was deadlocked";
        QTest::newRow("completion, error after the rows") << kCompletion << "error" << 0 << "错误码: 1205";
    }

    void faultInAReply()
    {
        QFETCH(QStringList, criteria);
        QFETCH(QString, fault);
        QFETCH(int, rows);
        QFETCH(QString, message);
        Scene s;
        QVERIFY(s.serve());
        TdsSettings settings(s.server);
        const ReportProcess clean = runReportProgram(criteria, settings.folder());
        QCOMPARE(clean.exitCode, 0);
        // the fault on the report's last statement (the first three load the filter panel)
        const int last = s.statements();
        QVERIFY(last > 3);
        QJsonObject more;
        if (fault == QStringLiteral("drop"))
            more.insert("rows", rows < 0 ? 1 : rows);
        QVERIFY(s.serve(Scene::fault(qPrintable(fault), last, more)));
        const ReportProcess run = runReportProgram(criteria, settings.folder());
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(run.exitCode, 3);
        QCOMPARE(s.statements(), last);
    }

    // After a lost link the failed statement reports it, the connection reads as closed, and the
    // next statement opens it again with the same settings: once the server is back, it works.
    void reconnectAfterALostLink()
    {
        Scene s;
        QVERIFY(s.serve(Scene::fault("drop", 2, QJsonObject { { "rows", 1 } })));
        Session c(s.server);
        QVERIFY(c.connected);
        QCOMPARE(rowsOf(c.db(), kRegions), QStringLiteral("01,02,03,04"));
        QVERIFY(rowsOf(c.db(), kRegions).startsWith(QStringLiteral("错误码: 20017 ")));
        QVERIFY(!c.db().isOpen());
        QCOMPARE(rowsOf(c.db(), kRegions), QStringLiteral("01,02,03,04"));
        QVERIFY(c.db().isOpen());
        QCOMPARE(s.server.log().value("logins").toArray().size(), 2);

        // the server goes away and comes back
        QVERIFY(s.server.down());
        QVERIFY(rowsOf(c.db(), kRegions).startsWith(QStringLiteral("错误码: ")));
        QVERIFY(!c.db().isOpen());
        QVERIFY(rowsOf(c.db(), kRegions).startsWith(QStringLiteral("错误码: ")));
        QVERIFY(s.server.up());
        QCOMPARE(rowsOf(c.db(), kRegions), QStringLiteral("01,02,03,04"));
        QVERIFY(c.db().isOpen());
    }

    // An error after the only row of a one-row result belongs to the statement.
    void errorAfterTheOnlyRow()
    {
        Scene s;
        QVERIFY(s.serve(Scene::fault("error", 1, QJsonObject { { "number", 8134 }, { "message", "Divide by zero error encountered." } })));
        Session c(s.server);
        DbCursor cursor = c.db().select(QStringLiteral("Select Count(*) As n From 区域设置"));
        QVERIFY(!cursor.next());
        QVERIFY(cursor.failed());
        QCOMPARE(cursor.error()->number, 8134);
        QVERIFY(cursor.error()->description.endsWith(QStringLiteral("Divide by zero error encountered.")));
        QVERIFY(c.db().isOpen()); // an error is no lost link
        QCOMPARE(rowsOf(c.db(), kRegions), QStringLiteral("01,02,03,04"));
    }

    // The command time-out: the driver sends an Attention when it passes, the server ends the
    // statement, and the run reports a time-out, told apart from other faults. Reports that set
    // the time-out to 0 wait as long as the statement takes.
    void commandTimeout_data()
    {
        QTest::addColumn<QStringList>("criteria");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("ledger keeps the time-out") << kLedger << 3;
        QTest::newRow("completion sets none") << kCompletion << 0;
    }

    void commandTimeout()
    {
        QFETCH(QStringList, criteria);
        QFETCH(int, exitCode);
        Scene s;
        // statement 4 is the report's first; the setting shortens the default of 30 s to 1 s
        QVERIFY(s.serve(Scene::fault("delay", 4, QJsonObject { { "seconds", 3 } })));
        TdsSettings settings(s.server, { QStringLiteral("CommandTimeout=1") });
        const ReportProcess run = runReportProgram(criteria, settings.folder());
        QCOMPARE(run.exitCode, exitCode);
        const QJsonObject log = s.server.log();
        if (exitCode == 0) {
            QCOMPARE(log.value("attentions").toInt(), 0);
            return;
        }
        QVERIFY2(run.err.contains(QStringLiteral("错误码: -2147217871 错误描述: [S1T00] [FreeTDS][SQL Server]Timeout expired")),
                 qPrintable(run.err));
        QCOMPARE(log.value("attentions").toInt(), 1);
        QCOMPARE(int(log.value("statements").toArray().size()), 4); // the run stopped there
    }

    // After a time-out the link is still good: the next statement runs on it.
    void timeoutKeepsTheLink()
    {
        Scene s;
        QVERIFY(s.serve(Scene::fault("delay", 2, QJsonObject { { "seconds", 3 } })));
        Session c(s.server, { QStringLiteral("CommandTimeout=1") });
        QCOMPARE(rowsOf(c.db(), kRegions), QStringLiteral("01,02,03,04"));
        QVERIFY(rowsOf(c.db(), kRegions).startsWith(QStringLiteral("错误码: -2147217871 ")));
        QVERIFY(c.db().isOpen());
        QCOMPARE(rowsOf(c.db(), kRegions), QStringLiteral("01,02,03,04"));
        QCOMPARE(s.server.log().value("logins").toArray().size(), 1);
    }

    // host\instance: FreeTDS asks the browser service on UDP port 1434 of the host for the
    // instance's port (the port is fixed by the driver, so the case is skipped if it is taken).
    void instanceThroughTheBrowser()
    {
        Scene s;
        QVERIFY(s.serve());
        const QJsonObject answer = s.server.request(QJsonObject { { "op", "browser" }, { "instance", "TRELLUMTEST" } });
        if (!answer.value("ok").toBool())
            QSKIP(qPrintable(QStringLiteral("UDP 127.0.0.1:1434 not available: ") + answer.value("error").toString()));
        TdsSettings store(s.server);
        store.write(QStringLiteral("127.0.0.1\\TRELLUMTEST"), TdsServer::password());
        AppSession session;
        session.settingsPath = store.path();
        RecordingMessenger messenger;
        QVERIFY2(ConnectFromSettings(session, messenger), qPrintable(messenger.texts().join('|')));
        QCOMPARE(rowsOf(*session.connection, kRegions), QStringLiteral("01,02,03,04"));
        QCOMPARE(s.server.log().value("browser").toArray(), QJsonArray({ QStringLiteral("TRELLUMTEST") }));
    }
};

QTEST_GUILESS_MAIN(FaultsOverTdsTest)
#include "FaultsOverTdsTest.moc"
