#include "DbConnection.h"
#include "FixtureDb.h"

#include <QtTest>

#include <thread>

using namespace trellum;

namespace {

// A statement that never ends on its own: only a stop or the command time-out ends it.
const QString kEndless = QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT max(x) AS m FROM c");

} // namespace

// The connection over its two kinds of database, one after the other on the same connection.
class TestDbConnection : public QObject {
    Q_OBJECT

private slots:
    void embeddedFileOpensAfterAFailedServerLogin()
    {
        test::FixtureDb fixture;
        fixture.addRegion(QStringLiteral("01"), QStringLiteral("东区"));
        fixture.close();
        DbConnection db;
        QVERIFY(db.openOdbc(QStringLiteral("DRIVER={Trellum No Such Driver};SERVER={127.0.0.1}"), 1));
        QCOMPARE(db.backend(), DbConnection::Backend::None);
        QVERIFY(!db.isOpen());

        const DbStatus opened = db.openSqlite(fixture.path());
        QVERIFY2(!opened, qPrintable(opened ? opened->description : QString()));
        QCOMPARE(db.backend(), DbConnection::Backend::Sqlite);
        QVERIFY(db.sqliteHandle());
        DbCursor cur = db.select(QStringLiteral("Select 区域名称 From 区域设置"));
        QVERIFY(cur.next());
        QCOMPARE(cur.text(QStringLiteral("区域名称")), QStringLiteral("东区"));
    }

    void statementBeforeAnyOpenIsRefused()
    {
        DbConnection db;
        DbCursor cur = db.select(QStringLiteral("Select 1"));
        QVERIFY(!cur.next());
        QVERIFY(cur.failed());
        QCOMPARE(cur.error()->description, QStringLiteral("数据库连接未打开"));
        QCOMPARE(db.statementsSent(), 1);
    }

    void embeddedTimeOutIsToldAsATimeOut()
    {
        // Interrupted by the command time-out: the time-out's number and Chinese words, as the
        // SQL Server path tells its own, never SQLite's "interrupted".
        test::FixtureDb fixture;
        fixture.close();
        DbConnection db;
        QVERIFY(!db.openSqlite(fixture.path()));
        db.setCommandTimeout(1);
        DbCursor cur = db.select(kEndless);
        while (cur.next()) {
        }
        QVERIFY(cur.failed());
        QCOMPARE(cur.error()->number, kTimeoutError);
        QVERIFY2(cur.error()->description.contains(QStringLiteral("超时")), qPrintable(cur.error()->description));
        QVERIFY(!cur.error()->description.contains(QStringLiteral("interrupted")));
        DbCursor after = db.select(QStringLiteral("SELECT 7 AS n"));
        QVERIFY(after.next());
        QCOMPARE(after.text(QStringLiteral("n")), QStringLiteral("7"));
    }

    void interruptStopsTheStatementFromAnotherThread_data()
    {
        QTest::addColumn<int>("delayMs"); // when the other thread interrupts; -1 before the statement
        QTest::newRow("while it runs") << 200;
        QTest::newRow("before it starts") << -1;
    }

    void interruptStopsTheStatementFromAnotherThread()
    {
        QFETCH(int, delayMs);
        test::FixtureDb fixture;
        fixture.close();
        DbConnection db;
        QVERIFY(!db.openSqlite(fixture.path()));
        db.setCommandTimeout(0);
        if (delayMs < 0)
            db.interrupt();
        std::thread stopper([&db, delayMs] {
            if (delayMs >= 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                db.interrupt();
            }
        });
        DbCursor cur = db.select(kEndless);
        while (cur.next()) {
        }
        stopper.join();
        QVERIFY(cur.failed());
        QCOMPARE(cur.error()->number, kCancelledError);
        QVERIFY(db.interrupted());
        // Refused until allowed again; then the connection serves the next statement.
        QCOMPARE(db.select(QStringLiteral("SELECT 1")).error()->number, kCancelledError);
        db.allowStatements();
        DbCursor after = db.select(QStringLiteral("SELECT 7 AS n"));
        QVERIFY(after.next());
        QCOMPARE(after.text(QStringLiteral("n")), QStringLiteral("7"));
    }

    void sourceOpensTheSameDatabaseAgain()
    {
        test::FixtureDb fixture;
        fixture.addRegion(QStringLiteral("01"), QStringLiteral("东区"));
        fixture.close();
        DbConnection first;
        QCOMPARE(first.source().kind, DbConnection::Backend::None);
        QVERIFY(!first.openSqlite(fixture.path()));
        first.setCommandTimeout(12);
        DbConnection second;
        QVERIFY(!second.openSource(first.source()));
        QCOMPARE(second.source(), first.source());
        QCOMPARE(second.commandTimeout(), 12);
        DbCursor cur = second.select(QStringLiteral("Select 区域名称 From 区域设置"));
        QVERIFY(cur.next());
        QCOMPARE(cur.text(QStringLiteral("区域名称")), QStringLiteral("东区"));
    }
};

QTEST_GUILESS_MAIN(TestDbConnection)
#include "test_dbconnection.moc"
