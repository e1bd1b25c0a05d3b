// The month-end close over the real client stack against the TDS test server: two regions on two
// parallel connections give the same files as the close of the embedded file, and a link lost in
// the middle fails that one report while the others are done.

#include "TdsServer.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace trellum::test;

namespace {

const QStringList kClose = { "--close", "--from", "2026-11-01", "--to", "2026-11-30", "--today", "2026-12-01",
                             "--regions", "01,02" };

// Every file below `folder`, by its path under it.
QStringList filesUnder(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(folder).relativeFilePath(it.next());
    found.sort();
    return found;
}

} // namespace

class CloseOverTdsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_db;

private Q_SLOTS:
    void initTestCase()
    {
        m_db = writeNamesDatabase(m_dir.filePath(QStringLiteral("repair.db")), true);
        QVERIFY(!m_db.isEmpty());
    }

    void sameFilesOnTwoConnections()
    {
        TdsServer server;
        QVERIFY(server.serve(m_db, QJsonObject { { "text", "nvarchar" } }));
        TdsSettings settings(server);
        const QString tdsOut = m_dir.filePath(QStringLiteral("tds"));
        const QString embeddedOut = m_dir.filePath(QStringLiteral("embedded"));
        const ReportProcess tds = runReportProgram(kClose + QStringList { "--jobs", "2", "--out", tdsOut }, settings.folder());
        QVERIFY2(tds.exitCode == 0, qPrintable(tds.err));
        const ReportProcess embedded =
            runReportProgram(kClose + QStringList { "--out", embeddedOut, "--db", m_db }, settings.folder());
        QCOMPARE(embedded.exitCode, 0);
        // the listing's connection, then one per worker
        QCOMPARE(server.log().value("logins").toArray().size(), 3);

        const QStringList files = filesUnder(embeddedOut);
        QCOMPARE(files.size(), 2 * 5);
        QCOMPARE(filesUnder(tdsOut), files);
        for (const QString& file : files) {
            const QString a = QDir(tdsOut).filePath(file);
            const QString b = QDir(embeddedOut).filePath(file);
            if (file.endsWith(QLatin1String(".xlsx"))) {
                QVERIFY(!workbookParts(b).isEmpty());
                QVERIFY2(workbookParts(a) == workbookParts(b), qPrintable(file));
            } else {
                QFile fa(a), fb(b);
                QVERIFY(fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly));
                QVERIFY2(fa.readAll() == fb.readAll(), qPrintable(file));
            }
        }
    }

    void lostLinkFailsOneReport()
    {
        TdsServer server;
        // statement 12: inside the first region's reports (two for the listing, three for each
        // report's filter panel before its own)
        QVERIFY(server.serve(m_db, QJsonObject { { "faults", QJsonObject { { "drop", QJsonObject { { "statement", 12 }, { "rows", 0 } } } } } }));
        TdsSettings settings(server);
        const QString out = m_dir.filePath(QStringLiteral("lost"));
        const ReportProcess run = runReportProgram(kClose + QStringList { "--jobs", "1", "--out", out }, settings.folder());
        QCOMPARE(run.exitCode, 3);
        const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList failed = lines.filter(QStringLiteral("失败 "));
        QCOMPARE(failed.size(), 1);
        QVERIFY2(failed[0].contains(QStringLiteral("20017")), qPrintable(failed[0]));
        QCOMPARE(lines.filter(QStringLiteral("完成 ")).size(), 7);
        QCOMPARE(filesUnder(out).filter(QStringLiteral(".xlsx")).size(), 7);
    }
};

QTEST_GUILESS_MAIN(CloseOverTdsTest)
#include "CloseOverTdsTest.moc"
