#include "CloseFixture.h"
#include "CloseJob.h"
#include "HeadlessRunner.h"
#include "RecordingMessenger.h"
#include "SmallDisk.h"
#include "WorkbookReader.h"

#include <QtTest>

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace trellum;

namespace {

const QStringList kReports = { "completion", "ledger", "performance", "monthend" };
const QStringList kFolders = { QStringLiteral("01 东区"), QStringLiteral("02 西区"), QStringLiteral("03 南_区__"),
                               QStringLiteral("04 空区") };

QJsonArray recordItems(const QString& folder)
{
    QFile file(QDir(folder).filePath(QStringLiteral("close.json")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object()["items"].toArray();
}

// The files in a folder tree whose names begin with a dot: part files left behind.
QStringList leftovers(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (it.nextFileInfo().fileName().startsWith(QLatin1Char('.')))
            found << it.filePath();
    return found;
}

} // namespace

class TestClose : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_database;
    QString m_sameOut; // the close the export is compared with

    // The options of a close of every report of November 2026 on `database` into `out`.
    CloseOptions options(const QString& database, const QString& out) const
    {
        CloseOptions o;
        o.settings.Svr = QStringLiteral("sqlite:") + database;
        o.startDate = QDate(2026, 11, 1);
        o.endDate = QDate(2026, 11, 30);
        o.today = QDate(2026, 12, 1);
        o.reports = { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd };
        o.outputFolder = out;
        o.jobs = 2;
        return o;
    }

    // A copy of the demo database that the test may change.
    QString copy(const QString& name) const
    {
        const QString path = m_dir.filePath(name);
        QFile::remove(path);
        return QFile::copy(m_database, path) ? path : QString();
    }

    int runCli(const QStringList& arguments, test::RecordingMessenger& messenger) const
    {
        QBuffer nothing;
        nothing.open(QIODevice::WriteOnly);
        return runHeadless(QStringList { QStringLiteral("trellum-report") } + arguments, nothing, messenger);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_database = m_dir.filePath(QStringLiteral("demo.db"));
        QCOMPARE(test::writeCloseDatabase(m_database), QString());
        m_sameOut = m_dir.filePath(QStringLiteral("same"));
        CloseJob job(options(m_database, m_sameOut));
        QVERIFY(!job.run());
    }

    void workbooksEqualTheExport_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("region");
        for (const QString& report : kReports)
            for (const char* region : { "01", "02", "03" })
                QTest::newRow(qPrintable(report + QLatin1Char(' ') + QLatin1String(region)))
                    << report << QString::fromLatin1(region);
    }

    // Each workbook of the close is the one the export of the same criteria writes.
    void workbooksEqualTheExport()
    {
        QFETCH(QString, report);
        QFETCH(QString, region);
        const QString exported = m_dir.filePath(QStringLiteral("exported-%1-%2.xlsx").arg(report, region));
        test::RecordingMessenger messenger;
        QCOMPARE(runCli({ "--report", report, "--from", "2026-11-01", "--to", "2026-11-30", "--region", region, "--db",
                          m_database, "--today", "2026-12-01", "--xlsx", exported },
                        messenger),
                 0);
        const QString folder = QDir(m_sameOut).filePath(kFolders[region.toInt() - 1]);
        QJsonObject item;
        for (const QJsonValue v : recordItems(folder))
            if (v["report"].toString() == report)
                item = v.toObject();
        QCOMPARE(item["status"].toString(), QStringLiteral("done"));
        QCOMPARE(item["files"].toArray().size(), 1);
        const QString written = QDir(folder).filePath(item["files"].toArray()[0].toString());
        const QByteArray parts = test::workbookParts(written);
        QVERIFY(parts.contains("xl/worksheets/sheet1.xml"));
        QVERIFY(parts == test::workbookParts(exported));
    }

    // One folder per region, its name made safe; close.json names each file with its figures.
    void foldersAndRecords()
    {
        QCOMPARE(QDir(m_sameOut).entryList(QDir::Dirs | QDir::NoDotAndDotDot), kFolders);
        const QJsonArray items = recordItems(QDir(m_sameOut).filePath(kFolders[0]));
        QCOMPARE(items.size(), 4);
        const QJsonObject completion = items[0].toObject();
        QCOMPARE(completion["report"].toString(), QStringLiteral("completion"));
        QCOMPARE(completion["region"].toString(), QStringLiteral("01 东区"));
        QCOMPARE(completion["from"].toString(), QStringLiteral("2026-11-01"));
        QCOMPARE(completion["to"].toString(), QStringLiteral("2026-11-30"));
        QCOMPARE(completion["categories"].toString(), QStringLiteral("all"));
        QCOMPARE(completion["files"].toArray()[0].toString(), QStringLiteral("维修完成情况一览表_20261101_20261130.xlsx"));
        QVERIFY(completion["rows"].toInt() > 0);
        QCOMPARE(completion["totals"].toArray()[1].toString(), QStringLiteral("合计"));
        QCOMPARE(items[1].toObject()["files"].toArray()[0].toString(), QStringLiteral("班组核算台账_20261201.xlsx"));
        // a region without offices or workers: done, with nothing to write
        const QJsonArray empty = recordItems(QDir(m_sameOut).filePath(kFolders[3]));
        QCOMPARE(empty.size(), 4);
        for (const QJsonValue v : empty) {
            QCOMPARE(v["status"].toString(), QStringLiteral("done"));
            QVERIFY(v["files"].toArray().isEmpty());
        }
        QCOMPARE(QDir(QDir(m_sameOut).filePath(kFolders[3])).entryList(QDir::Files), QStringList { "close.json" });
        QVERIFY(leftovers(m_sameOut).isEmpty());
    }

    void safeNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("safe");
        QTest::newRow("plain") << QStringLiteral("01 东区") << QStringLiteral("01 东区");
        QTest::newRow("slash and backslash") << QStringLiteral("01 东/西\\区") << QStringLiteral("01 东_西_区");
        QTest::newRow("NUL and controls") << QStringLiteral("01 a") + QChar(0) + QStringLiteral("b\tc\x7f")
                                          << QStringLiteral("01 a_b_c_");
        QTest::newRow("share characters") << QStringLiteral("a:b*c?d\"e<f>g|h") << QStringLiteral("a_b_c_d_e_f_g_h");
        QTest::newRow("dots and blanks at the ends") << QStringLiteral(" ..区. ") << QStringLiteral("区");
        QTest::newRow("parent folder") << QStringLiteral("..") << QStringLiteral("_");
        QTest::newRow("empty") << QString() << QStringLiteral("_");
        QTest::newRow("long") << QString(100, QChar(u'区')) << QString(66, QChar(u'区'));
        QTest::newRow("long, a pair not split") << QStringLiteral("a") + QString::fromUtf8("𠀀").repeated(60)
                                                << QStringLiteral("a") + QString::fromUtf8("𠀀").repeated(49);
    }

    void safeNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, safe);
        QCOMPARE(safeFileName(name), safe);
    }

    // A region whose statement fails is reported; the other regions are done all the same.
    void failingRegionGoesOn()
    {
        const QString database = copy(QStringLiteral("failing.db"));
        QVERIFY(test::changeDatabase(database, QStringLiteral("UPDATE PG派工单 SET 材料费 = '12abc' WHERE 区域DH = '02'")));
        const QString out = m_dir.filePath(QStringLiteral("failing"));
        test::RecordingMessenger messenger;
        const int code = runCli({ "--close", "--from", "2026-11-01", "--to", "2026-11-30", "--out", out, "--db", database,
                                  "--today", "2026-12-01", "--regions", "01,02,03" },
                                messenger);
        QCOMPARE(code, int(kExitDatabase));
        const QStringList lines = messenger.texts();
        const QStringList failed = lines.filter(QStringLiteral("失败 "));
        QVERIFY2(!failed.isEmpty(), qPrintable(lines.join(QLatin1Char('\n'))));
        for (const QString& line : failed) {
            QVERIFY2(line.startsWith(QStringLiteral("失败 02 西区 ")), qPrintable(line));
            QVERIFY2(line.contains(QStringLiteral("8114")), qPrintable(line));
        }
        QCOMPARE(lines.filter(QStringLiteral("完成 ")).size() + failed.size(), 12);
        for (const QString& folder : { kFolders[0], kFolders[2] })
            for (const QJsonValue v : recordItems(QDir(out).filePath(folder)))
                QCOMPARE(v["status"].toString(), QStringLiteral("done"));
        for (const QJsonValue v : recordItems(QDir(out).filePath(kFolders[1])))
            if (v["status"].toString() == QStringLiteral("failed"))
                QVERIFY(v["message"].toString().contains(QStringLiteral("8114")));
    }

    // A folder that cannot be made stops the close with one message; what was done stays.
    void unwritableFolderStops()
    {
        const QString out = m_dir.filePath(QStringLiteral("unwritable"));
        QVERIFY(QDir().mkpath(out));
        QFile blocker(QDir(out).filePath(kFolders[1])); // a file where region 02's folder would be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        CloseOptions o = options(m_database, out);
        o.jobs = 1;
        o.regionCodes = QStringList { "01", "02", "03" };
        CloseJob job(o);
        const std::optional<CloseStop> stop = job.run();
        QVERIFY(stop);
        QCOMPARE(stop->kind, CloseStop::Kind::Output);
        QVERIFY2(stop->message.contains(kFolders[1]), qPrintable(stop->message));
        const std::vector<CloseItem> items = job.items();
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(items[std::size_t(i)].state, CloseItemState::Done);
            for (const QString& file : items[std::size_t(i)].files)
                QVERIFY(!test::workbookParts(file).isEmpty());
        }
        QCOMPARE(items[4].state, CloseItemState::Failed);
        for (std::size_t i = 5; i < items.size(); ++i)
            QCOMPARE(items[i].state, CloseItemState::NotDone);
        QVERIFY(!QFileInfo::exists(QDir(out).filePath(kFolders[2])) || recordItems(QDir(out).filePath(kFolders[2])).size() == 4);
        QVERIFY(leftovers(out).isEmpty());

        // an output folder that cannot be made at all: nothing is run
        CloseJob none(options(m_database, blocker.fileName() + QStringLiteral("/month")));
        const std::optional<CloseStop> refused = none.run();
        QVERIFY(refused);
        QCOMPARE(refused->kind, CloseStop::Kind::Output);
        QVERIFY(none.items().empty());
    }

    // A full disk stops the close with one message; every completed file is whole, no part file stays.
    void fullDiskStops()
    {
        const QString out = m_dir.filePath(QStringLiteral("small"));
        QVERIFY(QDir().mkpath(out));
        test::SmallDisk disk(out, 96);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.reason()));
        CloseOptions o = options(m_database, out);
        o.jobs = 1;
        CloseJob job(o);
        const std::optional<CloseStop> stop = job.run();
        QVERIFY(stop);
        QCOMPARE(stop->kind, CloseStop::Kind::Output);
        const std::vector<CloseItem> items = job.items();
        int done = 0;
        for (const CloseItem& item : items) {
            if (item.state == CloseItemState::Done && !item.files.isEmpty()) {
                ++done;
                QVERIFY(!test::workbookParts(item.files[0]).isEmpty());
            }
        }
        QVERIFY(done > 0);
        QCOMPARE(items.back().state, CloseItemState::NotDone);
        QVERIFY(leftovers(out).isEmpty());
    }

    // Stopping lets no further item start: what was done stays, the rest is listed as not done.
    void stopKeepsCompletedFiles()
    {
        const QString out = m_dir.filePath(QStringLiteral("stopped"));
        CloseOptions o = options(m_database, out);
        o.jobs = 1;
        CloseJob job(o);
        CloseCallbacks callbacks;
        callbacks.changed = [&](int, const CloseItem& item) {
            if (item.state == CloseItemState::Done)
                job.stop();
        };
        QVERIFY(!job.run(callbacks));
        const std::vector<CloseItem> items = job.items();
        QCOMPARE(items[0].state, CloseItemState::Done);
        QVERIFY(QFileInfo(items[0].files.value(0)).isFile());
        for (std::size_t i = 1; i < items.size(); ++i)
            QCOMPARE(items[i].state, CloseItemState::NotDone);
        const QJsonArray record = recordItems(QDir(out).filePath(kFolders[0]));
        QCOMPARE(record[0]["status"].toString(), QStringLiteral("done"));
        QCOMPARE(record[1]["status"].toString(), QStringLiteral("not done"));
        QCOMPARE(QDir(QDir(out).filePath(kFolders[0])).entryList(QDir::Files).size(), 2); // the workbook and close.json
        QVERIFY(leftovers(out).isEmpty());
    }

    // Stopping while a report runs stops its statements: it ends as not done, without a file.
    void stopInterruptsTheRunningReport()
    {
        const QString out = m_dir.filePath(QStringLiteral("interrupted"));
        CloseOptions o = options(m_database, out);
        o.jobs = 1;
        CloseJob job(o);
        CloseCallbacks callbacks;
        callbacks.changed = [&](int index, const CloseItem& item) {
            if (index == 0 && item.state == CloseItemState::Running)
                job.stop();
        };
        QVERIFY(!job.run(callbacks));
        for (const CloseItem& item : job.items()) {
            QCOMPARE(item.state, CloseItemState::NotDone);
            QVERIFY(item.files.isEmpty());
        }
        QCOMPARE(QDir(QDir(out).filePath(kFolders[0])).entryList(QDir::Files), QStringList { "close.json" });
        QVERIFY(leftovers(out).isEmpty());
    }

    // A second close of the month replaces each file with the new one.
    void secondCloseReplaces()
    {
        const QString out = m_dir.filePath(QStringLiteral("twice"));
        CloseOptions o = options(m_database, out);
        o.regionCodes = QStringList { "01" };
        o.reports = { ReportKind::Completion };
        QVERIFY(!CloseJob(o).run());
        const QString book = QDir(out).filePath(kFolders[0] + QStringLiteral("/维修完成情况一览表_20261101_20261130.xlsx"));
        const QByteArray first = test::workbookParts(book);
        QVERIFY(!first.isEmpty());
        QFile old(book);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an earlier workbook");
        old.close();
        QVERIFY(!CloseJob(o).run());
        QCOMPARE(test::workbookParts(book), first);
        QCOMPARE(QDir(QDir(out).filePath(kFolders[0])).entryList(QDir::Files).size(), 2);
    }

    // The PDF beside each workbook when asked for.
    void pdfBesideTheWorkbook()
    {
        const QString out = m_dir.filePath(QStringLiteral("pdf"));
        test::RecordingMessenger messenger;
        QCOMPARE(runCli({ "--close", "--from", "2026-11-01", "--to", "2026-11-30", "--out", out, "--db", m_database,
                          "--today", "2026-12-01", "--regions", "01", "--reports", "completion,monthend", "--pdf",
                          "--jobs", "2" },
                        messenger),
                 0);
        QCOMPARE(messenger.texts().size(), 4); // one line per file
        QFile pdf(QDir(out).filePath(kFolders[0] + QStringLiteral("/报修簿月底汇总表_20261101_20261130.pdf")));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("no folder") << QStringList { "--from", "2026-11-01", "--to", "2026-11-30" } << 2 << "--out";
        QTest::newRow("unknown region") << QStringList { "--regions", "09" } << 2 << "09";
        QTest::newRow("unknown report") << QStringList { "--reports", "weekly" } << 2 << "weekly";
        QTest::newRow("unknown category") << QStringList { "--categories", "99" } << 2 << "99";
        QTest::newRow("no jobs") << QStringList { "--jobs", "0" } << 2 << "--jobs";
        QTest::newRow("bad date") << QStringList { "--to", "2026-11-31" } << 2 << "YYYY-MM-DD";
        QTest::newRow("end before start") << QStringList { "--to", "2026-10-31" } << 2 << "开始日期不能大于结束日期";
        QTest::newRow("missing database") << QStringList { "--db", "/nonexistent/repair.db" } << 3 << "repair.db";
    }

    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, message);
        QStringList all = { "--close", "--from", "2026-11-01", "--to", "2026-11-30", "--db", m_database, "--out",
                            m_dir.filePath(QStringLiteral("refused")) };
        if (!arguments.contains(QStringLiteral("--from")))
            all += arguments;
        else
            all = QStringList { "--close", "--db", m_database } + arguments;
        test::RecordingMessenger messenger;
        QCOMPARE(runCli(all, messenger), code);
        QCOMPARE(messenger.texts().size(), 1);
        QVERIFY2(messenger.texts()[0].contains(message), qPrintable(messenger.texts()[0]));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("refused/01 东区"))));
    }

    void helpNamesTheClose()
    {
        QByteArray text;
        QBuffer out(&text);
        out.open(QIODevice::WriteOnly);
        test::RecordingMessenger messenger;
        QCOMPARE(runHeadless({ "trellum-report", "--help" }, out, messenger), 0);
        QVERIFY(text.contains("--close"));
        QVERIFY(text.contains("close.json"));
    }
};

QTEST_MAIN(TestClose)
#include "test_close.moc"
