// All four reports over the real client stack (Qt's ODBC driver, unixODBC, FreeTDS) against the
// TDS test server, each compared cell for cell with the embedded run on the same SQLite file:
// once with the texts as NVARCHAR, once as VARCHAR of a code-page-936 collation, with Chinese
// outside GB2312 in the names (and beyond the BMP where NVARCHAR can hold it). The workbooks
// exported from both runs hold the same sheet.

#include "DemoDatabase.h"
#include "TdsServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

// A small demo database whose office, worker, trade and category names carry characters of GBK
// outside GB2312 (堃 喆 赟 犇 瑄 镕), and for NVARCHAR also one beyond the BMP (𠀀) and a Latin é.
QString makeDatabase(const QTemporaryDir& dir, bool wide)
{
    DemoDatabase::Options o;
    o.outPath = dir.filePath(QStringLiteral("repair.db"));
    o.orders = 4000;
    o.offices = 12;
    o.workers = 16;
    o.categories = 6;
    DemoDatabase demo(o);
    if (!demo.write().isEmpty())
        return QString();
    execOn(o.outPath, QStringLiteral("UPDATE 设置管理处 SET gyd_name = gyd_name || '堃喆' WHERE gyd_dh LIKE '%1' OR gyd_dh LIKE '%3';"
                                     "UPDATE PG区域维修人员 SET 姓名 = '赟' || 姓名, 岗位 = 岗位 || '瑄';"
                                     "UPDATE PG报修类别设置 SET 类别名称 = 类别名称 || '犇镕';"));
    if (wide)
        execOn(o.outPath, QStringLiteral("UPDATE 设置管理处 SET gyd_name = '𠀀' || gyd_name || 'é' WHERE gyd_dh LIKE '%2';"
                                         "UPDATE PG区域维修人员 SET 姓名 = 姓名 || '𠀀' WHERE rowid % 2 = 1;"));
    return o.outPath;
}

// The parts of a workbook that hold what it shows (everything but its creation time).
QByteArray workbookParts(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            { QStringLiteral("-c"),
              QStringLiteral("import sys, zipfile\n"
                             "z = zipfile.ZipFile(sys.argv[1])\n"
                             "for n in sorted(z.namelist()):\n"
                             "    if n != 'docProps/core.xml':\n"
                             "        sys.stdout.buffer.write(n.encode() + b'\\n' + z.read(n) + b'\\n')\n"),
              path });
    if (!p.waitForFinished(30000))
        return QByteArray();
    return p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}

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
        const QString db = makeDatabase(dir, text == QStringLiteral("nvarchar"));
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
        const QString db = makeDatabase(dir, wide);
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
};

QTEST_GUILESS_MAIN(ReportsOverTdsTest)
#include "ReportsOverTdsTest.moc"
