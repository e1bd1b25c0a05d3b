// No output destroys anything: the real trellum-report (and the window's export) with outputs
// that name the database, a full disk, a closed or full standard output, device nodes and named
// pipes, and a run killed while its part file is being written.

#include "FixtureDb.h"
#include "PartFile.h"
#include "FolderSnapshot.h"
#include "ReportDriver.h"
#include "SmallDisk.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace trellum;
using namespace trellum::test;

namespace {

const QByteArray kEarlier = "an earlier output that must survive\n";

// Region 01 with one office, one category and one order closed in January 2024.
void fill(FixtureDb& db)
{
    db.addRegion(QStringLiteral("01"), QStringLiteral("东区"));
    db.addOffice(QStringLiteral("01"), QStringLiteral("0101"), QStringLiteral("阳光花园"));
    db.addCategory(QStringLiteral("1"), QStringLiteral("水电"));
    FixtureDb::Order o;
    o.office = QStringLiteral("0101");
    o.region = QStringLiteral("01");
    o.reported = QStringLiteral("2024-01-02");
    o.closed = QStringLiteral("2024-01-03");
    db.addOrder(o);
}

QStringList base(const QString& db)
{
    return { "--report", "completion", "--from", "2024-01-01", "--to", "2024-01-31", "--region", "01", "--db", db };
}

struct Outcome {
    int code = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QByteArray out;
    QString err;
};

// Runs trellum-report to its end; `prepare` may redirect its channels first.
Outcome runReport(const QStringList& args, const std::function<void(QProcess&)>& prepare = {},
                  const QString& program = QStringLiteral(TRELLUM_REPORT_BINARY))
{
    QProcess p;
    if (prepare)
        prepare(p);
    p.start(program, args);
    Outcome o;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        o.err = QStringLiteral("(did not finish)");
        return o;
    }
    o.code = p.exitCode();
    o.status = p.exitStatus();
    o.out = p.readAllStandardOutput();
    o.err = QString::fromUtf8(p.readAllStandardError());
    return o;
}

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(content), content.size());
}

QStringList partFiles(const QString& folder)
{
    return QDir(folder).entryList({ QStringLiteral(".trellum-*") }, QDir::Files | QDir::Hidden | QDir::System);
}

bool isCharacterDevice(const QString& path)
{
    struct stat s {};
    return ::lstat(QFile::encodeName(path).constData(), &s) == 0 && S_ISCHR(s.st_mode);
}

// A device node made in a test folder (1,3 null; 1,7 full); false when this system refuses.
bool makeDevice(const QString& path, unsigned minor)
{
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, minor)) == 0;
}

bool makeFifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0666) == 0;
}

// The document a run writes to a regular file, for comparison.
QByteArray documentOf(const QString& db, const QString& option, const QString& folder)
{
    const QString path = folder + QStringLiteral("/reference.") + option;
    const Outcome o = runReport(base(db) << QStringLiteral("--") + option << path);
    return o.code == 0 ? contentOf(path) : QByteArray("(no reference: ") + o.err.toUtf8() + ')';
}

// Starts trellum-report writing `target` and then a named pipe without a reader beside it: the run
// waits on the pipe with the target's part file written. False when it does not come to that.
bool startHeldRun(QProcess& p, const QString& db, const QString& target)
{
    const QString folder = QFileInfo(target).path();
    const QString pipe = folder + QStringLiteral("/pipe.csv");
    if (!makeFifo(pipe))
        return false;
    p.start(QStringLiteral(TRELLUM_REPORT_BINARY), base(db) << "--json" << target << "--csv" << pipe);
    return p.waitForStarted()
        && QTest::qWaitFor([&] { return !partFiles(folder).isEmpty() || p.state() == QProcess::NotRunning; }, 60000)
        && p.state() == QProcess::Running;
}

} // namespace

class OutputSafetyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theDatabaseIsNeverAnOutput_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("dbName");   // the database file in the folder
        QTest::addColumn<QString>("spelling"); // how the output names it
        for (const char* option : { "json", "csv" }) {
            const QString o = QString::fromLatin1(option);
            QTest::newRow(qPrintable(o + " same path")) << o << "d.db" << "d.db";
            QTest::newRow(qPrintable(o + " dot-dot")) << o << "d.db" << "x/../d.db";
            QTest::newRow(qPrintable(o + " symbolic link")) << o << "d.db" << "link.db";
            QTest::newRow(qPrintable(o + " hard link")) << o << "d.db" << "hard.db";
            // names the database library would open as the database's own, whether they exist or not
            QTest::newRow(qPrintable(o + " its journal")) << o << "d.db" << "d.db-journal";
            QTest::newRow(qPrintable(o + " its log")) << o << "d.db" << "d.db-wal";
            QTest::newRow(qPrintable(o + " its log's index")) << o << "d.db" << "d.db-shm";
            QTest::newRow(qPrintable(o + " its journal, dot-dot")) << o << "d.db" << "x/../d.db-journal";
            QTest::newRow(qPrintable(o + " its journal through the link's name")) << o << "d.db" << "link.db-journal";
            QTest::newRow(qPrintable(o + " a dangling link to its journal")) << o << "d.db" << "journal-link";
        }
        QTest::newRow("xlsx same path") << "xlsx" << "d.xlsx" << "d.xlsx";
        QTest::newRow("xlsx without extension") << "xlsx" << "d.xlsx" << "d";
        QTest::newRow("xlsx other extension") << "xlsx" << "d.xlsx" << "x/../d.xls";
        QTest::newRow("xlsx symbolic link") << "xlsx" << "d.xlsx" << "link.xlsx";
    }
    void theDatabaseIsNeverAnOutput()
    {
        QFETCH(QString, option);
        QFETCH(QString, dbName);
        QFETCH(QString, spelling);
        FixtureDb fixture;
        fill(fixture);
        fixture.close();
        QTemporaryDir dir;
        const QString db = dir.filePath(dbName);
        QVERIFY(QFile::copy(fixture.path(), db));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("x")));
        QVERIFY(QFile::link(db, dir.filePath(QStringLiteral("link.") + QFileInfo(dbName).suffix())));
        QCOMPARE(::link(QFile::encodeName(db).constData(), QFile::encodeName(dir.filePath("hard.db")).constData()), 0);
        QVERIFY(QFile::link(db + QStringLiteral("-journal"), dir.filePath(QStringLiteral("journal-link"))));
        const QByteArray before = contentOf(db);

        // the database is read through its link, so the library's names are those of the file
        const QString read = spelling == QLatin1String("link.db-journal") ? dir.filePath(QStringLiteral("link.db")) : db;
        const Outcome o = runReport(base(read) << QStringLiteral("--") + option << dir.filePath(spelling));
        QCOMPARE(o.code, 4);
        QVERIFY2(o.err.contains(QStringLiteral("正在读取的数据库文件")), qPrintable(o.err));
        QVERIFY(contentOf(db) == before);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("link.") + QFileInfo(dbName).suffix())).isSymLink());
        QCOMPARE(partFiles(dir.path()), QStringList());
        for (const char* companion : { "-journal", "-wal", "-shm" })
            QVERIFY2(!QFileInfo::exists(db + QLatin1String(companion)), companion);
        // and the database still opens for reading
        QCOMPARE(runReport(base(db)).code, 0);
    }

    void aDanglingLinkMakesItsTarget_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("link");   // the link's text
        QTest::addColumn<QString>("target"); // the file it leads to, in the test folder
        for (const char* option : { "json", "csv", "xlsx" }) {
            const QString o = QString::fromLatin1(option);
            const QString name = QStringLiteral("made.") + o;
            QTest::newRow(qPrintable(o + " absolute")) << o << "@DIR/sub/" + name << "sub/" + name;
            QTest::newRow(qPrintable(o + " relative")) << o << "sub/" + name << "sub/" + name;
            QTest::newRow(qPrintable(o + " through a second link")) << o << "second-" + name << "sub/" + name;
        }
    }
    void aDanglingLinkMakesItsTarget()
    {
        QFETCH(QString, option);
        QFETCH(QString, link);
        QFETCH(QString, target);
        FixtureDb fixture;
        fill(fixture);
        fixture.close();
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        const QString name = QStringLiteral("out.") + option;
        const QString path = dir.filePath(name);
        link.replace(QStringLiteral("@DIR"), dir.path());
        QCOMPARE(::symlink(QFile::encodeName(link).constData(), QFile::encodeName(path).constData()), 0);
        if (link.startsWith(QLatin1String("second-")))
            QCOMPARE(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(dir.filePath(link)).constData()), 0);

        const Outcome o = runReport(base(fixture.path()) << QStringLiteral("--") + option << path);
        QVERIFY2(o.code == 0, qPrintable(o.err));
        QVERIFY2(QFileInfo(path).isSymLink(), "the link stays a link");
        const QString made = dir.filePath(target);
        QVERIFY(QFileInfo(made).isFile() && !QFileInfo(made).isSymLink());
        if (option == QLatin1String("xlsx"))
            QVERIFY(contentOf(made).startsWith("PK"));
        else
            QCOMPARE(contentOf(made), documentOf(fixture.path(), option, dir.path()));
        QCOMPARE(partFiles(dir.path()), QStringList());
        QCOMPARE(partFiles(dir.filePath(QStringLiteral("sub"))), QStringList());
    }

    void aLinkLoopIsRefused()
    {
        FixtureDb fixture;
        fill(fixture);
        fixture.close();
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a.json"));
        const QString b = dir.filePath(QStringLiteral("b.json"));
        QVERIFY(QFile::link(b, a));
        QVERIFY(QFile::link(a, b));
        const Outcome o = runReport(base(fixture.path()) << "--json" << a);
        QCOMPARE(o.code, 4);
        QVERIFY2(o.err.contains(QStringLiteral("symbolic links")), qPrintable(o.err));
        QVERIFY(QFileInfo(a).isSymLink() && QFileInfo(b).isSymLink());
    }

    void aPartFileIsNeverMoreOpenThanItsTarget_data()
    {
        QTest::addColumn<int>("existing"); // the target's mode, or -1 for a new target
        QTest::addColumn<int>("mask");     // the run's file mode mask
        QTest::addColumn<int>("expected");
        QTest::newRow("owner only") << 0600 << 022 << 0600;
        QTest::newRow("group may read") << 0640 << 022 << 0640;
        QTest::newRow("read-only") << 0400 << 022 << 0400;
        QTest::newRow("new, private mask") << -1 << 077 << 0600;
        QTest::newRow("new, usual mask") << -1 << 022 << 0644;
    }
    void aPartFileIsNeverMoreOpenThanItsTarget()
    {
        QFETCH(int, existing);
        QFETCH(int, mask);
        QFETCH(int, expected);
        FixtureDb fixture;
        fill(fixture);
        fixture.close();
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("out.json"));
        if (existing >= 0) {
            writeFile(target, kEarlier);
            QCOMPARE(::chmod(QFile::encodeName(target).constData(), mode_t(existing)), 0);
        }
        QProcess p;
        const mode_t before = ::umask(mode_t(mask));
        const bool held = startHeldRun(p, fixture.path(), target);
        ::umask(before);
        QVERIFY2(held, "the part file never appeared");
        struct stat s {};
        QCOMPARE(::lstat(QFile::encodeName(dir.filePath(partFiles(dir.path()).constFirst())).constData(), &s), 0);
        ::kill(pid_t(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(int(s.st_mode & 07777), expected);
        if (existing >= 0)
            QCOMPARE(contentOf(target), kEarlier);
    }

    void stalePartFilesOfGoneProcessesAreRemoved_data()
    {
        QTest::addColumn<QString>("owner"); // whose part file it is
        QTest::addColumn<bool>("removed");
        QTest::newRow("an earlier boot") << "boot" << true;
        QTest::newRow("a process that has ended") << "ended" << true;
        QTest::newRow("a reused process id") << "reused" << true;
        QTest::newRow("a live process") << "live" << false;
        QTest::newRow("another process id namespace") << "namespace" << false;
        QTest::newRow("another target's") << "other target" << false;
        QTest::newRow("a link with such a name") << "link" << false;
        QTest::newRow("a file with a second name") << "hard link" << false;
        QTest::newRow("a name in another form") << "foreign" << false;
    }
    void stalePartFilesOfGoneProcessesAreRemoved()
    {
        QFETCH(QString, owner);
        QFETCH(bool, removed);
        const std::optional<PartOwner> self = PartFile::currentOwner();
        if (!self)
            QSKIP("/proc cannot tell this process's start");
        FixtureDb fixture;
        fill(fixture);
        fixture.close();
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("out.json"));
        PartOwner gone = *self;
        QByteArray forTarget = QFile::encodeName(target);
        if (owner == QLatin1String("boot")) {
            gone.boot = self->boot == "00000000" ? "11111111" : "00000000";
        } else if (owner == QLatin1String("ended")) {
            QProcess ended;
            ended.start(QStringLiteral("/bin/sleep"), { QStringLiteral("0") });
            QVERIFY(ended.waitForStarted());
            gone.pid = ended.processId();
            QVERIFY(ended.waitForFinished());
        } else if (owner == QLatin1String("reused")) {
            gone.start = self->start + 1;
        } else if (owner == QLatin1String("namespace")) {
            gone.pidSpace = self->pidSpace + 1;
            gone.start = self->start + 1;
        } else if (owner == QLatin1String("other target")) {
            forTarget = QFile::encodeName(dir.filePath(QStringLiteral("other.json")));
            gone.start = self->start + 1;
        } else if (owner != QLatin1String("live")) {
            gone.start = self->start + 1;
        }
        const QString stale = owner == QLatin1String("foreign")
            ? dir.filePath(QStringLiteral(".trellum-1234.part"))
            : dir.filePath(QFile::decodeName(PartFile::partName(forTarget, gone, 0xabcdu)));
        const QString kept = dir.filePath(QStringLiteral("kept"));
        writeFile(kept, kEarlier);
        if (owner == QLatin1String("link"))
            QVERIFY(QFile::link(kept, stale));
        else if (owner == QLatin1String("hard link"))
            QCOMPARE(::link(QFile::encodeName(kept).constData(), QFile::encodeName(stale).constData()), 0);
        else
            writeFile(stale, "left by a killed run");

        const Outcome o = runReport(base(fixture.path()) << "--json" << target);
        QCOMPARE(o.code, 0);
        QCOMPARE(QFileInfo::exists(stale) || QFileInfo(stale).isSymLink(), !removed);
        QCOMPARE(contentOf(kept), kEarlier);
    }

    void standardOutputIsNeverTheDatabase()
    {
        FixtureDb fixture;
        fill(fixture);
        fixture.close();
        const QByteArray before = contentOf(fixture.path());
        const Outcome o = runReport(base(fixture.path()) << "--json" << "-",
                                    [&](QProcess& p) { p.setStandardOutputFile(fixture.path(), QIODevice::Append); });
        QCOMPARE(o.code, 4);
        QVERIFY2(o.err.contains(QStringLiteral("正在读取的数据库文件")), qPrintable(o.err));
        QVERIFY(contentOf(fixture.path()) == before);
    }

    void theWindowsExportRefusesTheDatabase_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::newRow("as it is named") << "company.xlsx";
        QTest::newRow("offered name without extension") << "company";
        QTest::newRow("through a symbolic link") << "link.xls";
    }
    void theWindowsExportRefusesTheDatabase()
    {
        QFETCH(QString, chosen);
        FixtureDb fixture;
        fill(fixture);
        fixture.close();
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("company.xlsx"));
        QVERIFY(QFile::copy(fixture.path(), db));
        QVERIFY(QFile::link(db, dir.filePath(QStringLiteral("link.xlsx"))));
        const QByteArray before = contentOf(db);
        ReportDriver driver(ReportKind::Completion, db);
        driver.run(PanelChoice { QDate(2024, 1, 1), QDate(2024, 1, 31), 0, std::nullopt, std::nullopt });
        driver.messenger().messages.clear();
        driver.dialog().answer = dir.filePath(chosen);
        driver.pressExport();
        const QStringList texts = driver.messenger().texts();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^错误码: [0-9]+ 错误描述: .*正在读取的数据库文件")).match(texts[0]).hasMatch(),
                 qPrintable(texts[0]));
        QVERIFY(contentOf(db) == before);
        QCOMPARE(partFiles(dir.path()), QStringList());
        // the window goes on reading the same file
        const GridRun again = driver.runAgain();
        QCOMPARE(again.rows.back()[1], QStringLiteral("合计"));
    }

    void aFullDiskKeepsTheEarlierFile_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("json") << "json";
        QTest::newRow("csv") << "csv";
        QTest::newRow("xlsx") << "xlsx";
    }
    void aFullDiskKeepsTheEarlierFile()
    {
        QFETCH(QString, option);
        FixtureDb fixture;
        fill(fixture);
        fixture.close();
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("disk"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("disk")));
        const SmallDisk disk(folder, 256);
        if (!disk.mounted()) {
            // without a small disk, a full device: written in place, it must still fail the run
            const QString full = dir.filePath(QStringLiteral("full"));
            if (!makeDevice(full, 7))
                QSKIP(qPrintable(QStringLiteral("neither a small disk nor a device node here: ") + disk.reason()));
            const Outcome o = runReport(base(fixture.path()) << QStringLiteral("--") + option << full);
            QCOMPARE(o.code, 4);
            QVERIFY(isCharacterDevice(full));
            return;
        }
        const QString target = folder + QStringLiteral("/out.") + option;
        writeFile(target, kEarlier);
        QVERIFY(disk.fill(QStringLiteral("filler"), 0));
        const Outcome o = runReport(base(fixture.path()) << QStringLiteral("--") + option << target);
        QCOMPARE(o.code, 4);
        QVERIFY2(o.err.contains(QStringLiteral("No space left on device")), qPrintable(o.err));
        QCOMPARE(contentOf(target), kEarlier);
        QCOMPARE(partFiles(folder), QStringList());
    }

    void standardOutputFailuresAreReported_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("full, document") << "full" << QStringList { "--json", "-" };
        QTest::newRow("full, default document") << "full" << QStringList();
        QTest::newRow("full, csv") << "full" << QStringList { "--csv", "-" };
        QTest::newRow("full, help") << "full" << QStringList { "--help" };
        QTest::newRow("closed, document") << "closed" << QStringList { "--json", "-" };
        QTest::newRow("closed, help") << "closed" << QStringList { "--help" };
    }
    void standardOutputFailuresAreReported()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, extra);
        FixtureDb fixture;
        fill(fixture);
        fixture.close();
        QTemporaryDir dir;
        const QByteArray before = contentOf(fixture.path());
        Outcome o;
        if (fault == QLatin1String("full")) {
            QString full = dir.filePath(QStringLiteral("full"));
            if (!makeDevice(full, 7))
                full = QStringLiteral("/dev/full");
            o = runReport(base(fixture.path()) + extra, [&](QProcess& p) { p.setStandardOutputFile(full); });
        } else {
            // the shell hands the program over with its standard output closed
            o = runReport(QStringList { "-c", "exec \"$0\" \"$@\" >&-", QStringLiteral(TRELLUM_REPORT_BINARY) }
                              + base(fixture.path()) + extra,
                          {}, QStringLiteral("/bin/sh"));
        }
        QCOMPARE(o.status, QProcess::NormalExit);
        QCOMPARE(o.code, 4);
        QVERIFY2(o.err.contains(QStringLiteral("标准输出")), qPrintable(o.err));
        QVERIFY(contentOf(fixture.path()) == before);
    }

    void devicesAndPipesAreWrittenInPlace_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("kind"); // null, full or fifo
        QTest::addColumn<int>("code");
        for (const char* option : { "json", "csv", "xlsx" }) {
            const QString o = QString::fromLatin1(option);
            QTest::newRow(qPrintable(o + " to a null device")) << o << "null" << 0;
            QTest::newRow(qPrintable(o + " to a full device")) << o << "full" << 4;
            QTest::newRow(qPrintable(o + " to a named pipe")) << o << "fifo" << 0;
        }
    }
    void devicesAndPipesAreWrittenInPlace()
    {
        QFETCH(QString, option);
        QFETCH(QString, kind);
        QFETCH(int, code);
        FixtureDb fixture;
        fill(fixture);
        fixture.close();
        QTemporaryDir dir;
        // the workbook is given the name it was chosen under; the text outputs are written as named
        const QString node = dir.filePath(option == QLatin1String("xlsx") ? QStringLiteral("node.xlsx") : QStringLiteral("node"));
        if (kind == QLatin1String("fifo")) {
            QVERIFY(makeFifo(node));
        } else if (!makeDevice(node, kind == QLatin1String("null") ? 3 : 7)) {
            QSKIP("device nodes cannot be made here");
        }
        QProcess reader;
        if (kind == QLatin1String("fifo")) {
            reader.start(QStringLiteral("/bin/cat"), { node });
            QVERIFY(reader.waitForStarted());
        }
        const Outcome o = runReport(base(fixture.path()) << QStringLiteral("--") + option << node);
        QCOMPARE(o.code, code);
        if (code != 0)
            QVERIFY2(o.err.contains(QStringLiteral("No space left on device")), qPrintable(o.err));
        if (kind == QLatin1String("fifo")) {
            QVERIFY(reader.waitForFinished(60000));
            const QByteArray got = reader.readAllStandardOutput();
            if (option == QLatin1String("xlsx"))
                QVERIFY(got.startsWith("PK") && got.size() > 1000);
            else
                QCOMPARE(got, documentOf(fixture.path(), option, dir.path()));
            QVERIFY(QFileInfo(node).isFile() == false);
        } else {
            QVERIFY2(isCharacterDevice(node), "a device node must stay a device node");
        }
        QCOMPARE(partFiles(dir.path()), QStringList());
    }

    void aKilledRunLeavesNoPartFile_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGPIPE") << int(SIGPIPE);
        // nothing catches SIGKILL: its part file goes with the next run to the same target
        QTest::newRow("SIGKILL") << int(SIGKILL);
    }
    void aKilledRunLeavesNoPartFile()
    {
        QFETCH(int, signal);
        if (signal == SIGKILL && !PartFile::currentOwner())
            QSKIP("/proc cannot tell this process's start");
        FixtureDb fixture;
        fill(fixture);
        fixture.close();
        QTemporaryDir dir;
        const QString earlier = dir.filePath(QStringLiteral("out.json"));
        writeFile(earlier, kEarlier);
        QProcess p;
        QVERIFY2(startHeldRun(p, fixture.path(), earlier), "the part file never appeared");
        QCOMPARE(::kill(pid_t(p.processId()), signal), 0);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit); // ended by the signal itself
        QCOMPARE(contentOf(earlier), kEarlier);
        if (signal == SIGKILL) {
            QCOMPARE(partFiles(dir.path()).size(), 1);
            // a run to another target in the folder leaves it; one to the same target removes it
            QCOMPARE(runReport(base(fixture.path()) << "--json" << dir.filePath(QStringLiteral("other.json"))).code, 0);
            QCOMPARE(partFiles(dir.path()).size(), 1);
            QCOMPARE(runReport(base(fixture.path()) << "--json" << earlier).code, 0);
            QVERIFY(contentOf(earlier) != kEarlier);
        }
        QCOMPARE(partFiles(dir.path()), QStringList());
    }
};

QTEST_MAIN(OutputSafetyTest)
#include "OutputSafetyTest.moc"
