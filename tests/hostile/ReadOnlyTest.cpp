// The database is never written: every report and every export, in the windows and in the
// headless runner, on the demo database and on the hostile fixture, leaves the database's folder
// byte for byte as it was; the embedded connection refuses any statement that would write, and
// the SQL Server connection asks for read-only intent.

#include "AppSession.h"
#include "DemoDatabase.h"
#include "FixtureDb.h"
#include "FolderSnapshot.h"
#include "ReportDriver.h"
#include "SpliceScene.h"

#include <QFile>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

const ReportKind kKinds[] = { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd };

// A database alone in a folder of its own.
struct Database {
    QTemporaryDir folder;
    QString path;
    QString region; // the code of the first region
    QDate from;
    QDate to;
};

std::unique_ptr<Database> makeDatabase(bool demo)
{
    auto d = std::make_unique<Database>();
    if (demo) {
        d->path = d->folder.filePath(QStringLiteral("demo.db"));
        DemoDatabase::Options options;
        options.outPath = d->path;
        options.orders = 4000;
        options.years = 1;
        if (!DemoDatabase(options).write().isEmpty())
            return nullptr;
        d->region = QStringLiteral("01");
        d->from = QDate(2026, 10, 1);
        d->to = QDate(2026, 11, 30);
        return d;
    }
    const SpliceScene scene(SpliceScene::Spelling::Hostile);
    FixtureDb fixture;
    scene.fill(fixture);
    fixture.close();
    d->path = d->folder.filePath(QStringLiteral("hostile.db"));
    if (!QFile::copy(fixture.path(), d->path))
        return nullptr;
    d->region = scene.regions()[0].code;
    d->from = QDate(2024, 3, 1);
    d->to = QDate(2024, 3, 31);
    return d;
}

} // namespace

class ReadOnlyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reportsAndExportsLeaveTheFileAlone_data()
    {
        QTest::addColumn<bool>("demo");
        QTest::newRow("demo database") << true;
        QTest::newRow("hostile fixture") << false;
    }

    void reportsAndExportsLeaveTheFileAlone()
    {
        QFETCH(bool, demo);
        const auto db = makeDatabase(demo);
        QVERIFY(db);
        const FolderSnapshot before = FolderSnapshot::of(db->folder.path());
        QTemporaryDir out;
        int written = 0;
        for (ReportKind kind : kKinds) {
            const QString name = reportName(kind);
            {
                ReportDriver driver(kind, db->path);
                const GridRun run = driver.run(PanelChoice { db->from, db->to, 0, std::nullopt, std::nullopt });
                QVERIFY2(run.messages.isEmpty(), qPrintable(run.messages.join('\n')));
                QVERIFY(run.rows.size() > 3);
                driver.dialog().answer = out.filePath(name + QStringLiteral("-window.xlsx"));
                driver.pressExport();
                QCOMPARE(driver.messenger().messages.size(), 1);
                QVERIFY(driver.messenger().messages[0].text.endsWith(QStringLiteral("导出成功!")));
            }
            const GridRun headless = ReportDriver::headless(
                { "--report", name, "--from", db->from.toString(Qt::ISODate), "--to", db->to.toString(Qt::ISODate),
                  "--region", db->region, "--db", db->path, "--json", out.filePath(name + ".json"), "--csv",
                  out.filePath(name + ".csv"), "--xlsx", out.filePath(name + "-headless.xlsx") });
            QCOMPARE(headless.exitCode, 0);
            for (const char* suffix : { "-window.xlsx", "-headless.xlsx", ".json", ".csv" })
                written += QFile::exists(out.filePath(name + QString::fromLatin1(suffix))) ? 1 : 0;
        }
        QCOMPARE(written, 16);
        const QString changes = FolderSnapshot::of(db->folder.path()).changesSince(before);
        QVERIFY2(changes.isEmpty(), qPrintable(changes));
    }

    void embeddedConnectionRefusesWrites_data()
    {
        QTest::addColumn<QString>("statement"); // "@" stands for the database's folder
        const char* const writes[] = {
            "DELETE FROM 区域设置",
            "INSERT INTO 区域设置 VALUES ('09', '北区')",
            "UPDATE 区域设置 SET 区域名称 = 'x'",
            "REPLACE INTO 区域设置 VALUES ('01', 'x')",
            "WITH r AS (SELECT 1) DELETE FROM 区域设置",
            "DROP TABLE PG派工单",
            "CREATE TABLE t (a)",
            "CREATE TEMP TABLE t (a)",
            "CREATE INDEX ix ON 区域设置 (区域名称)",
            "ALTER TABLE 区域设置 ADD COLUMN x",
            "ATTACH DATABASE '@/attached.db' AS a",
            "ATTACH DATABASE ':memory:' AS m",
            "VACUUM INTO '@/copy.db'",
            "VACUUM",
            "REINDEX",
            "ANALYZE",
            "PRAGMA query_only = 0",
            "PRAGMA journal_mode = WAL",
            "PRAGMA user_version = 7",
            "BEGIN IMMEDIATE",
            "SELECT 1; DELETE FROM 区域设置",
            "SELECT load_extension('@/none.so')",
        };
        for (const char* w : writes)
            QTest::newRow(w) << QString::fromUtf8(w);
    }

    void embeddedConnectionRefusesWrites()
    {
        QFETCH(QString, statement);
        const auto db = makeDatabase(false);
        QVERIFY(db);
        const FolderSnapshot before = FolderSnapshot::of(db->folder.path());
        {
            DbConnection connection;
            QVERIFY(!connection.openSqlite(db->path));
            DbCursor refused = connection.select(statement.replace(QLatin1Char('@'), db->folder.path()));
            QVERIFY(refused.failed());
            QVERIFY(!refused.error()->description.isEmpty());
            // after a refused PRAGMA the connection still refuses, and still reads
            QVERIFY(connection.select(QStringLiteral("DELETE FROM 区域设置")).failed());
            DbCursor still = connection.select(QStringLiteral("Select count(*) as n From 区域设置"));
            QVERIFY(still.next());
            QCOMPARE(still.text(QStringLiteral("n")), QStringLiteral("2"));
        }
        const QString changes = FolderSnapshot::of(db->folder.path()).changesSince(before);
        QVERIFY2(changes.isEmpty(), qPrintable(changes));
    }

    void sqlServerAsksForReadOnlyIntent()
    {
        const auto text = sqlServerConnectionString(DbSettings { "db01,1433", "sa", "pw", "repair", QString() }, nullptr);
        QVERIFY(text);
        QVERIFY(text->contains(QStringLiteral(";ApplicationIntent=ReadOnly")));
        QVERIFY(text->contains(QStringLiteral(";SERVER={db01,1433};")));
    }
};

QTEST_MAIN(ReadOnlyTest)
#include "ReadOnlyTest.moc"
