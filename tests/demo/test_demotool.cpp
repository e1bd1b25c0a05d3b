// trellum-demo-db as a program: its options, exit codes and the file it leaves behind.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the tool to its end; "@DIR" in an argument stands for the given folder.
Run runTool(const QStringList& args, const QString& dir)
{
    QStringList expanded;
    for (QString a : args)
        expanded << a.replace(QStringLiteral("@DIR"), dir);
    QProcess p;
    p.start(QStringLiteral(TRELLUM_DEMO_TOOL), expanded);
    Run r;
    if (!p.waitForStarted(-1) || !p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

bool isSqlite(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3\0", 16);
}

} // namespace

class TestDemoTool : public QObject {
    Q_OBJECT

private slots:
    void refusesBadOptions_data();
    void refusesBadOptions();
    void writesAndReplaces();
    void acceptsInlineValues();
    void followsLinksAndKeepsDevices_data();
    void followsLinksAndKeepsDevices();
    void help();
};

void TestDemoTool::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString out = QStringLiteral("@DIR/demo.db");
    const auto row = [&](const char* name, QStringList args, const char* message) {
        QTest::newRow(name) << args << QString::fromUtf8(message);
    };
    row("no arguments", {}, "--out FILE is required");
    row("no --out", { "--orders", "10" }, "--out FILE is required");
    row("empty --out", { "--out", "" }, "--out FILE is required");
    row("--out a folder", { "--out", "@DIR" }, "--out names a folder");
    row("--out in a missing folder", { "--out", "@DIR/missing/demo.db" }, "the folder of --out does not exist");
    row("unknown option", { "--out", out, "--colour", "red" }, "unknown option --colour");
    row("stray argument", { "--out", out, "extra" }, "unexpected argument \"extra\"");
    row("missing value", { "--out", out, "--orders" }, "--orders needs a value");
    row("orders not a number", { "--out", out, "--orders", "many" }, "--orders needs a whole number, not \"many\"");
    row("orders negative", { "--out", out, "--orders", "-5" }, "--orders needs a whole number, not \"-5\"");
    row("orders with a sign", { "--out", out, "--orders", "+5" }, "--orders needs a whole number");
    row("orders fractional", { "--out", out, "--orders", "2.5" }, "--orders needs a whole number");
    row("orders zero", { "--out", out, "--orders", "0" }, "--orders must be between 1 and 20000000, not 0");
    row("orders too many", { "--out", out, "--orders", "99999999999" }, "--orders must be between 1 and 20000000");
    row("orders beyond 64 bits", { "--out", out, "--orders", "99999999999999999999" }, "--orders needs a whole number");
    row("regions zero", { "--out", out, "--regions", "0" }, "--regions must be between 1 and 99");
    row("regions too many", { "--out", out, "--regions", "100" }, "--regions must be between 1 and 99");
    row("fewer offices than regions", { "--out", out, "--regions", "4", "--offices", "3" },
        "--offices must be between 4 and 396, not 3");
    row("offices too many", { "--out", out, "--regions", "1", "--offices", "100" }, "--offices must be between 1 and 99");
    row("fewer workers than regions", { "--out", out, "--regions", "5", "--offices", "5", "--workers", "4" },
        "--workers must be between 5 and 989");
    row("workers too many", { "--out", out, "--workers", "990" }, "--workers must be between 4 and 989");
    row("one category", { "--out", out, "--categories", "1" }, "--categories must be between 2 and 99");
    row("years zero", { "--out", out, "--years", "0" }, "--years must be between 1 and 30");
    row("years too many", { "--out", out, "--years", "31" }, "--years must be between 1 and 30");
    row("end not a day", { "--out", out, "--end", "2026-02-30" }, "--end needs a date YYYY-MM-DD, not \"2026-02-30\"");
    row("end short form", { "--out", out, "--end", "2026-1-5" }, "--end needs a date YYYY-MM-DD");
    row("end a word", { "--out", out, "--end", "tomorrow" }, "--end needs a date YYYY-MM-DD");
    row("end too early", { "--out", out, "--end", "1900-01-01" }, "--end must be a day between 1950 and 2200");
    row("seed negative", { "--out", out, "--seed", "-1" }, "--seed needs a whole number");
    row("seed beyond 64 bits", { "--out", out, "--seed", "18446744073709551616" }, "--seed needs a whole number");
    row("given twice", { "--out", out, "--orders", "10", "--orders", "20" }, "--orders is given twice");
    row("flag with a value", { "--out", out, "--no-indexes=1" }, "--no-indexes takes no value");
}

void TestDemoTool::refusesBadOptions()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Run r = runTool(args, dir.path());
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.err.contains(QLatin1String("--help")));
    QCOMPARE(r.out, QString());
    QCOMPARE(entries(dir.path()), QStringList());
}

void TestDemoTool::writesAndReplaces()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("demo.db"));
    for (const QString& stale : { path, path + QStringLiteral(".tmp") }) {
        QFile f(stale);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database");
    }
    const Run r = runTool({ QStringLiteral("--out"), path, QStringLiteral("--orders"), QStringLiteral("500"),
                            QStringLiteral("--seed"), QStringLiteral("18446744073709551615") },
                          dir.path());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QString());
    QVERIFY(isSqlite(path));
    // a file of the same name with .tmp is someone else's: it stays as it was
    QCOMPARE(entries(dir.path()), (QStringList{ QStringLiteral("demo.db"), QStringLiteral("demo.db.tmp") }));
    QFile other(path + QStringLiteral(".tmp"));
    QVERIFY(other.open(QIODevice::ReadOnly));
    QCOMPARE(other.readAll(), QByteArray("not a database"));
    // the logins are named first, then what was written
    QVERIFY2(r.out.startsWith(QStringLiteral("Demo logins")), qPrintable(r.out));
    for (const char* text : { "1001 / 1234  张伟", "1002 / 1234  李娜", "1003 / 1234  王强", "500 orders" })
        QVERIFY2(r.out.contains(QString::fromUtf8(text)), text);
}

void TestDemoTool::acceptsInlineValues()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("inline.db"));
    const Run r = runTool({ QStringLiteral("--out=") + path, QStringLiteral("--orders=200"), QStringLiteral("--regions=2"),
                            QStringLiteral("--offices=2"), QStringLiteral("--workers=2"), QStringLiteral("--categories=2"),
                            QStringLiteral("--years=1"), QStringLiteral("--end=2024-02-29"), QStringLiteral("--no-indexes") },
                          dir.path());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(isSqlite(path));
    QVERIFY2(r.out.contains(QLatin1String("200 orders reported 2023-03-01 to 2024-02-29")), qPrintable(r.out));
}

void TestDemoTool::followsLinksAndKeepsDevices_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("null device") << "null";
    QTest::newRow("named pipe") << "fifo";
    QTest::newRow("live link") << "link";
    QTest::newRow("dangling link") << "dangling";
    QTest::newRow("dangling link, relative, through another link") << "chain";
}

void TestDemoTool::followsLinksAndKeepsDevices()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("real")));
    const QString out = dir.filePath(QStringLiteral("demo.db"));
    const QString target = dir.filePath(QStringLiteral("real/target.db"));
    const QByteArray node = QFile::encodeName(out);
    QProcess reader;
    if (kind == QLatin1String("null")) {
        if (::mknod(node.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("device nodes cannot be made here");
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(node.constData(), 0666), 0);
        reader.setStandardOutputFile(dir.filePath(QStringLiteral("real/received")));
        reader.start(QStringLiteral("/bin/cat"), { out });
        QVERIFY(reader.waitForStarted());
    } else if (kind == QLatin1String("link")) {
        QFile earlier(target);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier file");
        earlier.close();
        QVERIFY(QFile::link(target, out));
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(target, out));
    } else {
        QCOMPARE(::symlink("middle.db", node.constData()), 0);
        QCOMPARE(::symlink("real/target.db", QFile::encodeName(dir.filePath(QStringLiteral("middle.db"))).constData()), 0);
    }
    const Run r = runTool({ QStringLiteral("--out"), out, QStringLiteral("--orders"), QStringLiteral("200") }, dir.path());
    QCOMPARE(r.exitCode, 0);
    struct stat s {};
    QCOMPARE(::lstat(node.constData(), &s), 0);
    if (kind == QLatin1String("null")) {
        QVERIFY2(S_ISCHR(s.st_mode), "a device stays a device");
    } else if (kind == QLatin1String("fifo")) {
        QVERIFY(S_ISFIFO(s.st_mode));
        QVERIFY(reader.waitForFinished(60000));
        QVERIFY(isSqlite(dir.filePath(QStringLiteral("real/received"))));
    } else {
        QVERIFY2(S_ISLNK(s.st_mode), "a link stays a link");
        QVERIFY(isSqlite(target));
    }
    QCOMPARE(entries(dir.path()).filter(QStringLiteral(".part")), QStringList());
    QCOMPARE(entries(dir.filePath(QStringLiteral("real"))).filter(QStringLiteral(".part")), QStringList());
}

void TestDemoTool::help()
{
    QTemporaryDir dir;
    const Run r = runTool({ QStringLiteral("--help") }, dir.path());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.startsWith(QLatin1String("Usage: trellum-demo-db --out FILE")));
    for (const char* option : { "--orders", "--regions", "--offices", "--workers", "--categories", "--years", "--end",
                                "--seed", "--no-indexes" })
        QVERIFY2(r.out.contains(QLatin1String(option)), option);
    QCOMPARE(entries(dir.path()), QStringList());
}

QTEST_GUILESS_MAIN(TestDemoTool)
#include "test_demotool.moc"
