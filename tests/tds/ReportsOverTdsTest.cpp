// All four reports over the real client stack (Qt's ODBC driver, unixODBC, FreeTDS) against the
// TDS test server, each compared cell for cell with the embedded run on the same SQLite file:
// once with the texts as NVARCHAR, once as VARCHAR of a code-page-936 collation, with Chinese
// outside GB2312 in the names (and beyond the BMP where NVARCHAR can hold it). The workbooks
// exported from both runs hold the same sheet.

#include "AppSession.h"
#include "RecordingMessenger.h"
#include "TdsServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

// The first row where two grids differ, for the failure message.
QString firstDifference(const QByteArray& a, const QByteArray& b)
{
    const QJsonArray ra = QJsonDocument::fromJson(a).object().value("rows").toArray();
    const QJsonArray rb = QJsonDocument::fromJson(b).object().value("rows").toArray();
    for (qsizetype i = 0; i < std::max(ra.size(), rb.size()); ++i)
        if (ra.at(i) != rb.at(i))
            return QStringLiteral("row %1: TDS %2 / embedded %3")
                .arg(i)
                .arg(QString::fromUtf8(QJsonDocument(ra.at(i).toArray()).toJson(QJsonDocument::Compact)),
                     QString::fromUtf8(QJsonDocument(rb.at(i).toArray()).toJson(QJsonDocument::Compact)));
    return QStringLiteral("rows equal, other keys differ");
}

} // namespace

class ReportsOverTdsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(TdsServer().valid(), "run under run_with_server.py"); }

    void sameAsEmbedded_data()
    {
        QTest::addColumn<QString>("text");      // how the server declares the texts
        QTest::addColumn<QStringList>("criteria");
        const QStringList modes[] = { { QStringLiteral("nvarchar") }, { QStringLiteral("varchar") } };
        for (const QStringList& m : modes) {
            const QString t = m.first();
            auto row = [&](const char* name, const QStringList& criteria) {
                QTest::newRow(qPrintable(t + QLatin1Char(' ') + QLatin1String(name))) << t << criteria;
            };
            row("completion month", { "--report", "completion", "--from", "2026-11-01", "--to", "2026-11-30", "--region", "01" });
            row("completion year, some", { "--report", "completion", "--from", "2025-12-01", "--to", "2026-11-30", "--region", "02",
                                           "--offices", "0201,0203", "--categories", "01,03" });
            row("ledger month", { "--report", "ledger", "--from", "2026-11-01", "--to", "2026-11-30", "--region", "01" });
            row("ledger half year, some", { "--report", "ledger", "--from", "2026-06-01", "--to", "2026-11-30", "--region", "03",
                                            "--workers", "0013,0021,0025", "--categories", "02,04,05" });
            row("performance month", { "--report", "performance", "--from", "2026-11-01", "--to", "2026-11-30", "--region", "02" });
            row("performance year", { "--report", "performance", "--from", "2025-12-01", "--to", "2026-11-30", "--region", "04" });
            row("monthend month", { "--report", "monthend", "--from", "2026-11-01", "--to", "2026-11-30", "--region", "01",
                                    "--remark", "月底" });
            row("monthend quarter, some", { "--report", "monthend", "--from", "2026-09-01", "--to", "2026-11-30", "--region", "04",
                                            "--offices", "0401,0402", "--categories", "01,02,05" });
        }
    }

    void sameAsEmbedded()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, criteria);
        QTemporaryDir dir;
        const QString db = writeNamesDatabase(dir.filePath(QStringLiteral("repair.db")), text == QStringLiteral("nvarchar"));
        QVERIFY(!db.isEmpty());
        TdsServer server;
        QVERIFY(server.serve(db, QJsonObject { { "text", text }, { "collation", "Chinese_PRC_CI_AS" } }));
        TdsSettings settings(server);
        const QStringList today { QStringLiteral("--today"), QStringLiteral("2026-11-30") };

        const QString tdsBook = dir.filePath(QStringLiteral("tds.xlsx"));
        const QString embeddedBook = dir.filePath(QStringLiteral("embedded.xlsx"));
        const ReportProcess tds = runReportProgram(criteria + today + QStringList { "--json", "-", "--xlsx", tdsBook },
                                                   settings.folder());
        const ReportProcess embedded = runReportProgram(
            criteria + today + QStringList { "--json", "-", "--xlsx", embeddedBook, "--db", db }, settings.folder());
        QCOMPARE(embedded.exitCode, 0);
        QVERIFY2(tds.exitCode == 0, qPrintable(tds.err));
        QVERIFY(QJsonDocument::fromJson(embedded.out).object().value("rows").toArray().size() > 3);
        QVERIFY2(tds.out == embedded.out, qPrintable(firstDifference(tds.out, embedded.out)));
        const QByteArray tdsParts = workbookParts(tdsBook);
        QVERIFY(!tdsParts.isEmpty());
        QVERIFY(tdsParts == workbookParts(embeddedBook));

        // the statements did go over TDS, as prepared statements, under the program's name
        const QJsonObject log = server.log();
        QVERIFY(log.value("statements").toArray().size() >= 4);
        QCOMPARE(log.value("statements").toArray().first().toObject().value("kind").toString(), QStringLiteral("sp_prepexec"));
        QCOMPARE(log.value("logins").toArray().size(), 1);
    }

    void namesOutsideGb2312ComeThrough_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("nvarchar") << "nvarchar";
        QTest::newRow("varchar cp936") << "varchar";
    }

    // The office names as the server sent them: GBK-only characters intact in both forms, the
    // character beyond the BMP intact where NVARCHAR carries it.
    void namesOutsideGb2312ComeThrough()
    {
        QFETCH(QString, text);
        QTemporaryDir dir;
        const bool wide = text == QStringLiteral("nvarchar");
        const QString db = writeNamesDatabase(dir.filePath(QStringLiteral("repair.db")), wide);
        TdsServer server;
        QVERIFY(server.serve(db, QJsonObject { { "text", text }, { "collation", "Chinese_PRC_CI_AS" } }));
        TdsSettings settings(server);
        const ReportProcess run = runReportProgram({ "--report", "completion", "--from", "2026-11-01", "--to", "2026-11-30",
                                                     "--region", "01", "--json", "-" },
                                                   settings.folder());
        QCOMPARE(run.exitCode, 0);
        const QString doc = QString::fromUtf8(run.out);
        QVERIFY2(doc.contains(QStringLiteral("堃喆")), qPrintable(doc));
        QCOMPARE(doc.contains(QStringLiteral("𠀀")), wide);
        QCOMPARE(doc.contains(QStringLiteral("é")), wide);
        QVERIFY(!doc.contains(QStringLiteral("?")));
    }

    // The server declares each column as the file's schema types it: INT, FLOAT, DECIMAL,
    // DATETIME and texts; the program reads each as the embedded connection gives it.
    void columnTypes_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("type"); // the value's type over TDS
        QTest::addColumn<QString>("text");
        QTest::newRow("INTEGER") << "整数" << int(QMetaType::Int) << "7";
        QTest::newRow("REAL") << "小数" << int(QMetaType::Double) << "2.5";
        QTest::newRow("REAL whole") << "整小数" << int(QMetaType::Double) << "3";
        QTest::newRow("DECIMAL(10,2)") << "金额" << int(QMetaType::Double) << "12.34";
        QTest::newRow("DATETIME") << "时间" << int(QMetaType::QDateTime) << "2026-11-30 08:15:00";
        QTest::newRow("TEXT") << "名称" << int(QMetaType::QString) << "堃";
        QTest::newRow("computed count") << "n" << int(QMetaType::Int) << "1";
        QTest::newRow("computed text") << "拼接" << int(QMetaType::QString) << "7-堃";
    }

    void columnTypes()
    {
        QFETCH(QString, column);
        QFETCH(int, type);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString db = writeNamesDatabase(dir.filePath(QStringLiteral("repair.db")), false);
        execOn(db, QStringLiteral("CREATE TABLE 类型表 (整数 INTEGER, 小数 REAL, 整小数 REAL, 金额 DECIMAL(10,2), 时间 DATETIME, 名称 TEXT);"
                                  "INSERT INTO 类型表 VALUES (7, 2.5, 3.0, 12.34, '2026-11-30 08:15:00', '堃');"
                                  "INSERT INTO 类型表 VALUES (NULL, NULL, NULL, NULL, NULL, NULL);"));
        TdsServer server;
        QVERIFY(server.serve(db, QJsonObject { { "text", "varchar" } }));
        TdsSettings settings(server);
        const QString sql = QStringLiteral("Select *, (Select Count(*) From 类型表 t Where t.整数 = 类型表.整数) As n,"
                                           " CONCAT(整数, '-', 名称) As 拼接 From 类型表 Order By 整数 Desc");
        QStringList texts[2];
        for (int side = 0; side < 2; ++side) {
            AppSession session;
            RecordingMessenger messenger;
            TdsSettings store(server);
            if (side == 1)
                store.write(QStringLiteral("sqlite:") + db, TdsServer::password());
            session.settingsPath = store.path();
            QVERIFY(ConnectFromSettings(session, messenger));
            DbCursor c = session.connection->select(sql);
            while (c.next()) {
                texts[side] << c.text(column);
                if (side == 0 && texts[side].size() == 1)
                    QCOMPARE(c.value(column).metaType().id(), type);
                if (side == 0 && texts[side].size() == 2 && column != QStringLiteral("n") && column != QStringLiteral("拼接"))
                    QVERIFY(c.isNull(column));
            }
            QVERIFY(!c.failed());
        }
        QCOMPARE(texts[0].value(0), text);
        QCOMPARE(texts[0], texts[1]);
    }

    // A statement sent directly (not prepared) arrives as an SQL batch and is answered the same.
    void directStatementIsABatch()
    {
        QTemporaryDir dir;
        const QString db = writeNamesDatabase(dir.filePath(QStringLiteral("repair.db")), false);
        TdsServer server;
        QVERIFY(server.serve(db));
        DbSettings settings;
        settings.Svr = server.svr();
        settings.UID = TdsServer::user();
        settings.PWD = TdsServer::password();
        settings.DBname = TdsServer::database();
        QStringList regions;
        {
            QSqlDatabase odbc = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("direct"));
            odbc.setDatabaseName(*sqlServerConnectionString(settings, nullptr));
            QVERIFY2(odbc.open(), qPrintable(odbc.lastError().text()));
            QSqlQuery q(odbc);
            q.setForwardOnly(true); // as the program reads (a scrollable result would ask for a server cursor)
            QVERIFY2(q.exec(QStringLiteral("Select 区域编号, 区域名称 From 区域设置 Order By 区域编号")), qPrintable(q.lastError().text() + QString::fromUtf8(QJsonDocument(server.log()).toJson())));
            while (q.next())
                regions << q.value(0).toString() + q.value(1).toString();
            QVERIFY(!q.exec(QStringLiteral("Select * From 没有的表")));
            QVERIFY2(q.lastError().databaseText().contains(QStringLiteral("Invalid object name '没有的表'")),
                     qPrintable(q.lastError().databaseText()));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("direct"));
        QCOMPARE(regions, QStringList({ "01东区", "02西区", "03南区", "04北区" }));
        const QJsonArray statements = server.log().value("statements").toArray();
        QCOMPARE(statements.size(), 2);
        QCOMPARE(statements[0].toObject().value("kind").toString(), QStringLiteral("batch"));
    }
};

QTEST_GUILESS_MAIN(ReportsOverTdsTest)
#include "ReportsOverTdsTest.moc"
