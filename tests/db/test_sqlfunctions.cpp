#include "DbConnection.h"
#include "FixtureDb.h"
#include "SqlFunctions.h"

#include <QtTest>

#include <sqlite3.h>

using namespace trellum;

namespace {

// Evaluates one expression on a bare connection with the functions registered; "NULL" for NULL.
QString eval(const QString& expression)
{
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    registerTsqlFunctions(db);
    sqlite3_stmt* st = nullptr;
    QString out;
    const QByteArray sql = ("SELECT " + expression).toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
        out = QStringLiteral("ERROR: ") + QString::fromUtf8(sqlite3_errmsg(db));
    } else if (sqlite3_step(st) == SQLITE_ROW) {
        out = sqlite3_column_type(st, 0) == SQLITE_NULL
            ? QStringLiteral("NULL")
            : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    } else {
        out = QStringLiteral("ERROR: ") + QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

} // namespace

class TestSqlFunctions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tsqlMeaning_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("result");
        // CONVERT(type, date-time, 112): the day as yyyymmdd text
        QTest::newRow("convert date") << "CONVERT(char(8),'2024-01-31',112)" << "20240131";
        QTest::newRow("convert date time") << "CONVERT(char(8),'2024-01-31 23:59:59',112)" << "20240131";
        QTest::newRow("convert T and fraction") << "CONVERT(char(8),'2024-02-29T08:05:01.250',112)" << "20240229";
        QTest::newRow("convert minutes only") << "CONVERT(char(8),'2024-03-01 08:05',112)" << "20240301";
        QTest::newRow("convert char81") << "CONVERT(char(81),'2023-12-31 00:00:00',112)" << "20231231";
        QTest::newRow("convert null") << "CONVERT(char(8),NULL,112)" << "NULL";
        // every form SQLite's date functions read, and the slash form; the day is the one written
        QTest::newRow("convert T and Z") << "CONVERT(char(8),'2026-11-13T08:30:00Z',112)" << "20261113";
        QTest::newRow("convert offset keeps the written day") << "CONVERT(char(8),'2026-11-13T02:00:00+08:00',112)" << "20261113";
        QTest::newRow("convert blank and offset") << "CONVERT(char(8),'2026-11-13 23:30 -05:00',112)" << "20261113";
        QTest::newRow("convert slashes") << "CONVERT(char(8),'2026/11/13',112)" << "20261113";
        QTest::newRow("convert slashes and time") << "CONVERT(char(8),'2026/11/13 10:00:00',112)" << "20261113";
        QTest::newRow("convert yyyymmdd") << "CONVERT(char(8),'20261113',112)" << "20261113";
        QTest::newRow("convert yyyymmdd number") << "CONVERT(char(8),20261113,112)" << "20261113";
        QTest::newRow("convert julian day") << "CONVERT(char(8),2461357.5,112)" << "20261113";
        QTest::newRow("convert julian day text") << "CONVERT(char(8),'2461358',112)" << "20261113";
        QTest::newRow("convert trailing blank") << "CONVERT(char(8),'2026-11-13 ',112)" << "20261113";
        QTest::newRow("convert blanks around") << "CONVERT(char(8),'  2026-11-13 10:00  ',112)" << "20261113";
        QTest::newRow("convert long fraction") << "CONVERT(char(8),'2026-11-13 10:00:00.1234567',112)" << "20261113";
        QTest::newRow("convert leap day") << "CONVERT(char(8),'2024-02-29',112)" << "20240229";
        // the stored form "YYYY-MM-DD HH:MM:SS" at the calendar's and the clock's edges
        QTest::newRow("convert stored form, leap day") << "CONVERT(char(8),'2024-02-29 23:59:59',112)" << "20240229";
        QTest::newRow("convert stored form, leap century") << "CONVERT(char(8),'2000-02-29 00:00:00',112)" << "20000229";
        QTest::newRow("convert stored form, year's last second") << "CONVERT(char(8),'9999-12-31 23:59:59',112)" << "99991231";
        // a time alone or a blank text: the server's 1900-01-01
        QTest::newRow("convert time alone") << "CONVERT(char(8),'10:30',112)" << "19000101";
        QTest::newRow("convert empty text") << "CONVERT(char(8),'',112)" << "19000101";
        // anything else is the server's conversion error, never a silent NULL
        const QString failed = QStringLiteral("ERROR: Conversion failed when converting date and/or time from character string.");
        QTest::newRow("convert not a date") << "CONVERT(char(8),'soon',112)" << failed;
        QTest::newRow("convert bad month") << "CONVERT(char(8),'2024-13-01',112)" << failed;
        QTest::newRow("convert no such day") << "CONVERT(char(8),'2026-02-29',112)" << failed;
        QTest::newRow("convert trailing junk") << "CONVERT(char(8),'2024-01-01 xx',112)" << failed;
        QTest::newRow("convert mixed separators") << "CONVERT(char(8),'2026-11/13',112)" << failed;
        QTest::newRow("convert bad hour") << "CONVERT(char(8),'2026-11-13 25:00',112)" << failed;
        QTest::newRow("convert stored form, no such day") << "CONVERT(char(8),'1900-02-29 10:00:00',112)" << failed;
        QTest::newRow("convert stored form, day 0") << "CONVERT(char(8),'2026-11-00 10:00:00',112)" << failed;
        QTest::newRow("convert stored form, month 0") << "CONVERT(char(8),'2026-00-13 10:00:00',112)" << failed;
        QTest::newRow("convert stored form, bad second") << "CONVERT(char(8),'2026-11-13 10:00:60',112)" << failed;
        QTest::newRow("convert stored form, bad minute") << "CONVERT(char(8),'2026-11-13 10:60:00',112)" << failed;
        QTest::newRow("convert stored form, hour 24") << "CONVERT(char(8),'2026-11-13 24:00:00',112)" << failed;
        QTest::newRow("convert julian day out of range") << "CONVERT(char(8),99999999.5,112)" << failed;
        QTest::newRow("convert compares by day") << "CONVERT(char(8),'2024-01-31 18:00',112) Between '20240101' And '20240131'" << "1";
        QTest::newRow("convert other style") << "CONVERT(char(8),'2024-01-31',120)" << "ERROR: CONVERT supports style 112 only";
        // CHARINDEX(needle, haystack): 1-based position, 0 when absent
        QTest::newRow("charindex first") << "CHARINDEX('12','12,5')" << "1";
        QTest::newRow("charindex contained") << "CHARINDEX('12','112,5')" << "2";
        QTest::newRow("charindex absent") << "CHARINDEX('7','112,5')" << "0";
        QTest::newRow("charindex chinese positions") << "CHARINDEX('计划','转计划单')" << "2";
        QTest::newRow("charindex empty needle") << "CHARINDEX('','abc')" << "0";
        QTest::newRow("charindex null") << "CHARINDEX('a',NULL)" << "NULL";
        QTest::newRow("charindex start") << "CHARINDEX('a','abca',2)" << "4";
        QTest::newRow("charindex whole item") << "CHARINDEX(CONCAT(',','12',','), CONCAT(',',REPLACE('112, 12',' ',''),','))" << "5";
        QTest::newRow("charindex whole item absent") << "CHARINDEX(CONCAT(',','12',','), CONCAT(',',REPLACE('112,5120',' ',''),','))" << "0";
        // LEN: characters without trailing blanks
        QTest::newRow("len") << "LEN('0012,0031')" << "9";
        QTest::newRow("len trailing blanks") << "LEN('ab  ')" << "2";
        QTest::newRow("len leading blanks kept") << "LEN('  ab')" << "4";
        QTest::newRow("len chinese") << "LEN('水电工')" << "3";
        QTest::newRow("len null") << "LEN(NULL)" << "NULL";
        QTest::newRow("len number") << "LEN(123)" << "3";
        QTest::newRow("worker count") << "len('0012,0031,0045')-LEN(replace('0012,0031,0045',',',''))+1" << "3";
        // CONCAT: NULL as empty
        QTest::newRow("concat") << "CONCAT('a','b','c')" << "abc";
        QTest::newRow("concat null") << "CONCAT('a',NULL,'c')" << "ac";
        QTest::newRow("concat number") << "CONCAT(',',12,',')" << ",12,";
        // SUM as the server adds up a numeric column
        QTest::newRow("sum reals") << "SUM(x) FROM (SELECT 1.5 AS x UNION ALL SELECT 2.25)" << "3.75";
        QTest::newRow("sum whole numbers") << "SUM(x) FROM (SELECT 2 AS x UNION ALL SELECT 3)" << "5";
        QTest::newRow("sum leaves out NULL") << "SUM(x) FROM (SELECT 2 AS x UNION ALL SELECT NULL)" << "2";
        QTest::newRow("sum of NULL only") << "SUM(x) FROM (SELECT NULL AS x)" << "NULL";
        QTest::newRow("sum of no rows") << "SUM(x) FROM (SELECT 1 AS x) WHERE x = 2" << "NULL";
        QTest::newRow("sum numeric text") << "SUM(x) FROM (SELECT ' 12.5 ' AS x UNION ALL SELECT 1)" << "13.5";
        const QString notNumber = QStringLiteral("ERROR: Error converting data type varchar to numeric.");
        QTest::newRow("sum text with a comma") << "SUM(x) FROM (SELECT 1 AS x UNION ALL SELECT '1,150')" << notNumber;
        QTest::newRow("sum text with a number in front") << "SUM(x) FROM (SELECT '12abc' AS x)" << notNumber;
        QTest::newRow("sum text without a number") << "SUM(x) FROM (SELECT 'abc' AS x)" << notNumber;
        QTest::newRow("sum empty text") << "SUM(x) FROM (SELECT '' AS x)" << notNumber;
        QTest::newRow("sum overflow") << "SUM(x) FROM (SELECT 1.7e308 AS x UNION ALL SELECT 1.7e308)"
                                      << "ERROR: Arithmetic overflow error converting expression to data type float.";
        QTest::newRow("sum whole overflow") << "SUM(x) FROM (SELECT 9223372036854775807 AS x UNION ALL SELECT 1)"
                                            << "ERROR: Arithmetic overflow error converting expression to data type bigint.";
        QTest::newRow("sum grouped") << "group_concat(s) FROM (SELECT SUM(v) AS s FROM (SELECT 1 AS g, 2 AS v UNION ALL "
                                        "SELECT 1, 3 UNION ALL SELECT 2, 7) GROUP BY g)" << "5,7";
        // identifiers and keywords as the statements write them
        QTest::newRow("case of function names") << "charindex('b','abc') + Len('x')" << "3";
    }
    void tsqlMeaning()
    {
        QFETCH(QString, expression);
        QFETCH(QString, result);
        QCOMPARE(eval(expression), result);
    }

    void functionsBelongToEveryOpenedConnection()
    {
        test::FixtureDb fixture;
        fixture.addRegion(QStringLiteral("01"), QStringLiteral("东区"));
        fixture.close();
        for (int i = 0; i < 2; ++i) {
            DbConnection db;
            QVERIFY(!db.openSqlite(fixture.path()));
            DbCursor cur = db.select(QStringLiteral("Select CONVERT(char(8),'2024-05-06 10:00',112) as d, "
                                                    "CHARINDEX('东', 区域名称) as p From 区域设置"));
            QVERIFY(cur.next());
            QCOMPARE(cur.text(QStringLiteral("D")), QStringLiteral("20240506"));
            QCOMPARE(cur.text(QStringLiteral("p")), QStringLiteral("1"));
        }
    }

    void embeddedConnectionIsReadOnly()
    {
        test::FixtureDb fixture;
        fixture.addRegion(QStringLiteral("01"), QStringLiteral("东区"));
        fixture.close();
        QFile file(fixture.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        {
            DbConnection db;
            QVERIFY(!db.openSqlite(fixture.path()));
            for (const char* write : { "Delete From 区域设置", "Insert Into 区域设置 Values ('9','x')",
                                       "Create Table t (a)", "Update 区域设置 Set 区域名称 = 'y'" }) {
                DbCursor cur = db.select(QString::fromUtf8(write));
                QVERIFY2(cur.failed(), write);
            }
            DbCursor still = db.select(QStringLiteral("Select count(*) as n From 区域设置"));
            QVERIFY(still.next());
            QCOMPARE(still.text(QStringLiteral("n")), QStringLiteral("1"));
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void openingFaults_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<bool>("directory");
        QTest::newRow("missing file") << QByteArray() << false;
        QTest::newRow("not a database") << QByteArray("this is a text file, not a database\n").repeated(200) << false;
        QTest::newRow("a folder") << QByteArray() << true;
    }
    void openingFaults()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, directory);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("company.db"));
        if (directory) {
            QVERIFY(QDir().mkdir(path));
        } else if (!content.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        DbConnection db;
        const DbStatus status = db.openSqlite(path);
        QVERIFY(status.has_value());
        QVERIFY(!status->description.isEmpty());
        QVERIFY(!db.isOpen());
        if (content.isEmpty() && !directory)
            QVERIFY2(!QFile::exists(path), "a missing database file must not be created");
        DbCursor cur = db.select(QStringLiteral("Select 1"));
        QVERIFY(cur.failed());
    }

    void nullsAndNumbersAreReadAsTheyAre()
    {
        test::FixtureDb fixture;
        fixture.close();
        DbConnection db;
        QVERIFY(!db.openSqlite(fixture.path()));
        DbCursor cur = db.select(QStringLiteral("Select NULL as n, 3.0 as whole, 2.5 as half, 7 as i, '0012' as code"));
        QVERIFY(cur.next());
        QVERIFY(cur.isNull(QStringLiteral("n")));
        QCOMPARE(cur.text(QStringLiteral("n")), QString());
        QCOMPARE(cur.text(QStringLiteral("whole")), QStringLiteral("3"));
        QCOMPARE(cur.text(QStringLiteral("half")), QStringLiteral("2.5"));
        QCOMPARE(cur.number(QStringLiteral("i")), 7.0);
        QCOMPARE(cur.text(QStringLiteral("code")), QStringLiteral("0012"));
        QVERIFY(!cur.isNull(QStringLiteral("code")));
        QVERIFY(!cur.next());
        QVERIFY(!cur.failed());
        QCOMPARE(db.statementsSent(), 1);
    }

    void failingStatementCarriesNumberAndDescription()
    {
        test::FixtureDb fixture;
        fixture.close();
        DbConnection db;
        QVERIFY(!db.openSqlite(fixture.path()));
        DbCursor cur = db.select(QStringLiteral("Select * From 不存在的表"));
        QVERIFY(cur.failed());
        QVERIFY(cur.error()->number != 0);
        QVERIFY(cur.error()->description.contains(QStringLiteral("不存在的表")));
        QVERIFY(reportErrorText(*cur.error()).startsWith(QStringLiteral("错误码: ")));
        QVERIFY(reportErrorText(*cur.error()).contains(QStringLiteral(" 错误描述: ")));
    }
};

QTEST_GUILESS_MAIN(TestSqlFunctions)
#include "test_sqlfunctions.moc"
