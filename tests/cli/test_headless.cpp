#include "FixtureDb.h"
#include "HeadlessRunner.h"
#include "RecordingMessenger.h"

#include <QtTest>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

using namespace trellum;

namespace {

// Region 01 (offices 0101, 0102; 0103 ended) and region 02; categories 1 and 2 (3 ended).
void fill(test::FixtureDb& db)
{
    db.addRegion(QStringLiteral("01"), QStringLiteral("东区"));
    db.addRegion(QStringLiteral("02"), QStringLiteral("西区"));
    db.addOffice(QStringLiteral("01"), QStringLiteral("0101"), QStringLiteral("阳光花园"));
    db.addOffice(QStringLiteral("01"), QStringLiteral("0102"), QStringLiteral("明月, \"小区\""));
    db.addOffice(QStringLiteral("01"), QStringLiteral("0103"), QStringLiteral("旧城"), QStringLiteral("2020-01-01"));
    db.addCategory(QStringLiteral("1"), QStringLiteral("水电"));
    db.addCategory(QStringLiteral("2"), QStringLiteral("土建"));
    db.addCategory(QStringLiteral("3"), QStringLiteral("旧类"), QStringLiteral("2020-01-01"));
    test::FixtureDb::Order o;
    o.office = QStringLiteral("0101");
    o.region = QStringLiteral("01");
    o.reported = QStringLiteral("2024-01-02");
    o.closed = QStringLiteral("2024-01-03");
    o.revisited = 1;
    o.accepted = 1;
    db.addOrder(o);
    o.category = QStringLiteral("2");
    o.accepted = 0;
    db.addOrder(o);
}

struct Run {
    int code = -1;
    QByteArray out;
    test::RecordingMessenger messenger;
};

std::unique_ptr<Run> run(const QStringList& args)
{
    auto r = std::make_unique<Run>();
    QBuffer buffer(&r->out);
    buffer.open(QIODevice::WriteOnly);
    r->code = runHeadless(QStringList { QStringLiteral("trellum-report") } + args, buffer, r->messenger);
    return r;
}

QStringList base(const QString& db)
{
    return { "--report", "completion", "--from", "2024-01-01", "--to", "2024-01-31", "--region", "01", "--db", db };
}

} // namespace

class TestHeadless : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void jsonHoldsTheWholeGrid()
    {
        test::FixtureDb db;
        fill(db);
        db.close();
        const auto r = run(base(db.path()) << "--json" << "-");
        QCOMPARE(r->code, 0);
        QVERIFY(r->messenger.messages.isEmpty());
        QJsonParseError error;
        const QJsonObject doc = QJsonDocument::fromJson(r->out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(doc["report"].toString(), QStringLiteral("completion"));
        QCOMPARE(doc["fixedRows"].toInt(), 2);
        const QJsonArray rows = doc["rows"].toArray();
        QCOMPARE(rows.size(), 2 + 3 + 1); // every office mapped to the region, ended one included
        QCOMPARE(rows[0].toArray().size(), 9);
        QCOMPARE(rows[0].toArray()[2].toString(), QStringLiteral("回访率"));
        const QJsonArray total = rows[5].toArray();
        QCOMPARE(total[1].toString(), QStringLiteral("合计"));
        QCOMPARE(total[2].toString(), QStringLiteral("2")); // all categories ticked
        QCOMPARE(total[7].toString(), QStringLiteral("50.00"));
        const QJsonArray backgrounds = doc["backgrounds"].toArray();
        QCOMPARE(backgrounds[5].toArray()[0].toString(), QString());
        QCOMPARE(backgrounds[5].toArray()[1].toString(), QStringLiteral("FFC0C0"));
        QCOMPARE(backgrounds[2].toArray()[1].toString(), QString());
        QVERIFY(!doc.contains("typeAnalysis"));
    }

    // The totals row's count of completed orders lists both orders, as JSON and as CSV.
    void detailsListTheOrdersOfACell()
    {
        test::FixtureDb db;
        fill(db);
        db.close();
        const auto r = run(base(db.path()) << "--details" << "5,2");
        QCOMPARE(r->code, 0);
        const QJsonObject doc = QJsonDocument::fromJson(r->out).object();
        QCOMPARE(doc["figure"].toString(), QStringLiteral("2"));
        QVERIFY2(doc["title"].toString().contains(QStringLiteral("合计")), qPrintable(doc["title"].toString()));
        QCOMPARE(doc["columns"].toArray()[0].toString(), QStringLiteral("编号"));
        const QJsonArray orders = doc["orders"].toArray();
        QCOMPARE(orders.size(), 2);
        QCOMPARE(orders[0].toArray()[1].toString(), QStringLiteral("阳光花园"));
        QCOMPARE(orders[1].toArray()[4].toString(), QStringLiteral("土建"));

        const auto accepted = run(base(db.path()) << "--details" << "2,6" << "--csv" << "-");
        QCOMPARE(accepted->code, 0);
        const QList<QByteArray> lines = accepted->out.split('\n');
        QCOMPARE(lines.size(), 1 + 1 + 1 + 1); // captions, the order, the closing line, the end
        QVERIFY(lines[2].startsWith(QByteArray("合计,1 张")));
    }

    void listedCodesNarrowTheRun()
    {
        test::FixtureDb db;
        fill(db);
        db.close();
        const auto r = run(base(db.path()) << "--offices" << "0102" << "--categories" << "1");
        QCOMPARE(r->code, 0);
        const QJsonArray rows = QJsonDocument::fromJson(r->out).object()["rows"].toArray();
        QCOMPARE(rows.last().toArray()[2].toString(), QStringLiteral("0"));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("change");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("end before start") << QStringList { "--to", "2023-12-31" } << 2
                                          << QStringLiteral("开始日期不能大于结束日期,请重新设定!");
        QTest::newRow("unknown office") << QStringList { "--offices", "0199" } << 2 << QStringLiteral("0199");
        QTest::newRow("ended office is not in the tree") << QStringList { "--offices", "0103" } << 2 << QStringLiteral("0103");
        QTest::newRow("empty office code") << QStringList { "--offices", "" } << 2 << QStringLiteral("不在区域");
        QTest::newRow("ended category") << QStringList { "--categories", "3" } << 2 << QStringLiteral("3");
        QTest::newRow("unknown region") << QStringList { "--region", "09" } << 2 << QStringLiteral("09");
        QTest::newRow("workers on an office report") << QStringList { "--workers", "all" } << 2 << QStringLiteral("--workers");
        QTest::newRow("bad date") << QStringList { "--from", "2024-02-30" } << 2 << QStringLiteral("YYYY-MM-DD");
        QTest::newRow("unknown report") << QStringList { "--report", "weekly" } << 2 << QStringLiteral("weekly");
        QTest::newRow("unknown option") << QStringList { "--colour" } << 2 << QStringLiteral("colour");
        QTest::newRow("missing database") << QStringList { "--db", "/nonexistent/trellum.db" } << 3 << QStringLiteral("错误信息：");
        QTest::newRow("region without offices") << QStringList { "--region", "02" } << 2 << QStringLiteral("请勾选小区!");
        QTest::newRow("time-out not a number") << QStringList { "--timeout", "soon" } << 2 << QStringLiteral("--timeout");
        QTest::newRow("time-out negative") << QStringList { "--timeout", "-1" } << 2 << QStringLiteral("--timeout");
        QTest::newRow("details not a cell") << QStringList { "--details", "2" } << 2 << QStringLiteral("--details");
        QTest::newRow("details of a name cell") << QStringList { "--details", "2,1" } << 2 << QStringLiteral("没有明细");
        QTest::newRow("details of a rate") << QStringList { "--details", "2,4" } << 2 << QStringLiteral("没有明细");
        QTest::newRow("details into a workbook") << QStringList { "--details", "2,2", "--xlsx", "/tmp/x" } << 2
                                                 << QStringLiteral("JSON 或 CSV");
        QTest::newRow("time-out over a day") << QStringList { "--timeout", "86401" } << 2 << QStringLiteral("--timeout");
    }
    void refusals()
    {
        QFETCH(QStringList, change);
        QFETCH(int, code);
        QFETCH(QString, message);
        test::FixtureDb db;
        fill(db);
        db.close();
        QStringList args = base(db.path());
        for (int i = 0; i < change.size(); ++i) {
            const qsizetype at = args.indexOf(change[i]);
            if (at >= 0 && i + 1 < change.size() && !change[i + 1].startsWith("--")) {
                args[at + 1] = change[++i];
            } else if (at >= 0) {
                args[at] = change[i];
            } else {
                args << change[i];
                if (i + 1 < change.size() && !change[i + 1].startsWith("--"))
                    args << change[++i];
            }
        }
        const auto r = run(args);
        QCOMPARE(r->code, code);
        QVERIFY(r->out.isEmpty());
        QVERIFY2(r->messenger.texts().join('\n').contains(message), qPrintable(r->messenger.texts().join('\n')));
    }

    void databaseErrorUsesTheReportForm()
    {
        test::FixtureDb db;
        fill(db);
        db.exec(QStringLiteral("DROP TABLE PG派工单"));
        db.close();
        const auto r = run(base(db.path()));
        QCOMPARE(r->code, 3);
        QVERIFY(r->messenger.texts().join('\n').startsWith(QStringLiteral("错误码: ")));
    }

    void csvIsRfc4180()
    {
        test::FixtureDb db;
        fill(db);
        db.close();
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("grid.csv"));
        const auto r = run(base(db.path()) << "--csv" << csv);
        QCOMPARE(r->code, 0);
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.startsWith("\xEF\xBB\xBF序,小区名称,回访率,回访率,回访率,质量合格率,质量合格率,质量合格率,备注\r\n"));
        QVERIFY(text.contains(",\"明月, \"\"小区\"\"\","));
        QVERIFY(r->out.isEmpty()); // a named file, nothing on standard output
    }

    void standardOutputCarriesTheDocumentAlone()
    {
        test::FixtureDb db;
        fill(db);
        db.close();
        QProcess p;
        p.start(QStringLiteral(TRELLUM_REPORT_BINARY), base(db.path()) << "--json" << "-" << "--region" << "01");
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QJsonParseError error;
        QJsonDocument::fromJson(p.readAllStandardOutput(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QProcess refused;
        refused.start(QStringLiteral(TRELLUM_REPORT_BINARY), base(db.path()) << "--region" << "09");
        QVERIFY(refused.waitForFinished(60000));
        QCOMPARE(refused.exitCode(), 2);
        QVERIFY(refused.readAllStandardOutput().isEmpty());
        QVERIFY(QString::fromUtf8(refused.readAllStandardError()).contains(QStringLiteral("区域 09 不存在")));
    }

    void csvTextThatLooksLikeAFormulaIsNeutralised_data()
    {
        QTest::addColumn<QString>("name"); // an office's name, shown in the grid's second column
        QTest::addColumn<QByteArray>("cell");
        QTest::newRow("equals") << "=HYPERLINK(\"http://x\")" << QByteArray("\"'=HYPERLINK(\"\"http://x\"\")\"");
        QTest::newRow("plus") << "+86 电话" << QByteArray("'+86 电话");
        QTest::newRow("minus alone") << "-" << QByteArray("'-");
        QTest::newRow("at") << "@SUM(A1)" << QByteArray("'@SUM(A1)");
        QTest::newRow("tab") << "\t制表" << QByteArray("'\t制表");
        QTest::newRow("carriage return") << "\r回车" << QByteArray("\"'\r回车\"");
        QTest::newRow("a negative number") << "-12" << QByteArray("-12");
        QTest::newRow("a signed decimal") << "+3.5" << QByteArray("+3.5");
        QTest::newRow("a negative rate") << "-12.50%" << QByteArray("-12.50%");
        QTest::newRow("equals inside") << "中=文" << QByteArray("中=文");
    }
    void csvTextThatLooksLikeAFormulaIsNeutralised()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, cell);
        test::FixtureDb db;
        fill(db);
        db.addOffice(QStringLiteral("01"), QStringLiteral("0104"), name);
        db.close();
        const auto r = run(base(db.path()) << "--csv" << "-");
        QCOMPARE(r->code, 0);
        QVERIFY2(r->out.contains("," + cell + ","), r->out.constData());
    }

    void csvFilesBeginWithAByteOrderMark_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<bool>("toFile");
        QTest::addColumn<bool>("marked");
        QTest::newRow("file") << QStringList() << true << true;
        QTest::newRow("standard output") << QStringList() << false << false;
        QTest::newRow("standard output, asked") << QStringList { "--bom" } << false << true;
    }
    void csvFilesBeginWithAByteOrderMark()
    {
        QFETCH(QStringList, extra);
        QFETCH(bool, toFile);
        QFETCH(bool, marked);
        test::FixtureDb db;
        fill(db);
        db.close();
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("grid.csv"));
        const auto r = run(base(db.path()) << "--csv" << (toFile ? csv : QStringLiteral("-")) << extra);
        QCOMPARE(r->code, 0);
        QByteArray text = r->out;
        if (toFile) {
            QFile f(csv);
            QVERIFY(f.open(QIODevice::ReadOnly));
            text = f.readAll();
        }
        QCOMPARE(text.startsWith("\xEF\xBB\xBF序,"), marked);
        QCOMPARE(text.count("\xEF\xBB\xBF"), marked ? 1 : 0);
    }

    void twoOutputsToOneFileAreRefused_data()
    {
        QTest::addColumn<QStringList>("outputs"); // "@" stands for the test folder
        QTest::newRow("json and csv") << QStringList { "--json", "@/x", "--csv", "@/x" };
        QTest::newRow("json and workbook") << QStringList { "--json", "@/x.xlsx", "--xlsx", "@/x.xlsx" };
        QTest::newRow("csv and the workbook's offered name") << QStringList { "--csv", "@/x.xlsx", "--xlsx", "@/x" };
        QTest::newRow("another spelling") << QStringList { "--json", "@/x", "--csv", "@/sub/../x" };
        QTest::newRow("a link to it") << QStringList { "--json", "@/x", "--csv", "@/link" };
        QTest::newRow("a hard link to it") << QStringList { "--json", "@/old", "--csv", "@/hard" };
        QTest::newRow("both to standard output") << QStringList { "--json", "-", "--csv", "-" };
    }
    void twoOutputsToOneFileAreRefused()
    {
        QFETCH(QStringList, outputs);
        test::FixtureDb db;
        fill(db);
        db.close();
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("x")), dir.filePath(QStringLiteral("link"))));
        {
            QFile old(dir.filePath(QStringLiteral("old")));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("earlier");
        }
        QCOMPARE(::link(QFile::encodeName(dir.filePath(QStringLiteral("old"))).constData(),
                        QFile::encodeName(dir.filePath(QStringLiteral("hard"))).constData()),
                 0);
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        for (QString& o : outputs)
            o.replace(QStringLiteral("@"), dir.path());
        // refused before the database is opened: a missing one is never reached
        for (const QString& database : { db.path(), dir.filePath(QStringLiteral("missing.db")) }) {
            QStringList args = base(database);
            const auto r = run(args << outputs);
            QCOMPARE(r->code, 2);
            QVERIFY(r->out.isEmpty());
            QVERIFY2(r->messenger.texts().join('\n').contains(QStringLiteral("同")), qPrintable(r->messenger.texts().join('\n')));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System), before);
        QFile old(dir.filePath(QStringLiteral("old")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("earlier"));
    }

    void onlyARegularFileIsADatabase_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a named pipe") << "fifo";
        QTest::newRow("a link to an endless device") << "zero";
    }
    void onlyARegularFileIsADatabase()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("company.db"));
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        const auto r = run(base(path));
        QCOMPARE(r->code, 3);
        QVERIFY2(r->messenger.texts().join('\n').contains(QStringLiteral("不是普通文件")), qPrintable(r->messenger.texts().join('\n')));
    }

    void theTimeOutHoldsForEveryStatement()
    {
        // The orders are read through a view that takes far longer than a second to compute; the
        // completion overview sets no time-out of its own, so only --timeout ends it.
        test::FixtureDb db;
        fill(db);
        db.exec(QStringLiteral("ALTER TABLE PG派工单 RENAME TO PG派工单行"));
        db.exec(QStringLiteral("CREATE VIEW PG派工单 AS SELECT r.* FROM PG派工单行 r,"
                               " (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000000000)"
                               " SELECT max(i) AS m FROM n) slow"));
        db.close();
        QElapsedTimer clock;
        clock.start();
        const auto r = run(base(db.path()) << "--timeout" << "1");
        QCOMPARE(r->code, 3);
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(r->out.isEmpty());
    }

    void qtsOwnWarningsOnlyWhenAsked_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QString>("rules");
        QTest::addColumn<bool>("shown");
        QTest::newRow("plain") << QStringList() << "" << false;
        QTest::newRow("--verbose") << QStringList { "--verbose" } << "" << true;
        QTest::newRow("logging rules") << QStringList() << "default.warning=true" << true;
    }
    void qtsOwnWarningsOnlyWhenAsked()
    {
        QFETCH(QStringList, extra);
        QFETCH(QString, rules);
        QFETCH(bool, shown);
        // A NUL in the settings' database path makes Qt's file layer warn.
        QTemporaryDir dir;
        QFile store(dir.filePath(QStringLiteral("Quorvel2011.conf")));
        QVERIFY(store.open(QIODevice::WriteOnly));
        store.write("[DBConfig]\nSvr=\"sqlite:/tmp/a\\x0000b.db\"\n");
        store.close();
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
        env.remove(QStringLiteral("QT_LOGGING_RULES"));
        if (!rules.isEmpty())
            env.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TRELLUM_REPORT_BINARY),
                QStringList { "--report", "completion", "--from", "2024-01-01", "--to", "2024-01-31", "--region", "01" } + extra);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 3);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        const QStringList lines = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        // the program's own lines, and Qt's each on a line of its own marked as Qt's
        QVERIFY2(!lines.isEmpty() && lines.last() == QStringLiteral("数据库连接失败!"), qPrintable(err));
        const QStringList qt = lines.filter(QRegularExpression(QStringLiteral("^Qt: ")));
        QCOMPARE(!qt.isEmpty(), shown);
        for (const QString& line : lines)
            QVERIFY2(line.startsWith(QLatin1String("Qt: ")) || !line.contains(QLatin1String("Broken filename")), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestHeadless)
#include "test_headless.moc"
