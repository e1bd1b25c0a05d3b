#include "DbConnection.h"
#include "FixtureDb.h"

#include <QtTest>

using namespace trellum;

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
};

QTEST_GUILESS_MAIN(TestDbConnection)
#include "test_dbconnection.moc"
