#include "CompletionReport.h"
#include "ExportDoubles.h"
#include "WorkbookReader.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace trellum;
using namespace trellum::test;

namespace {

// Report A's grid with `offices` office rows and the totals row.
ReportGrid completionGrid(int offices)
{
    ReportGrid grid;
    CompletionReport().layoutGrid(grid, {});
    for (int i = 0; i < offices; ++i) {
        const int r = grid.appendRow();
        grid.setText(r, 0, QString::number(r - 1));
        grid.setText(r, 1, QStringLiteral("小区%1").arg(i + 1));
        grid.setText(r, 2, QStringLiteral("1"));
    }
    const int t = grid.appendRow();
    grid.setText(t, 0, QString::number(t - 1));
    grid.setText(t, 1, QStringLiteral("合计"));
    grid.setText(t, 2, QString::number(offices));
    return grid;
}

ExportContext contextFor(const ReportGrid& grid)
{
    ExportContext c;
    c.grid = &grid;
    c.startDate = QDate(2024, 1, 1);
    c.endDate = QDate(2024, 1, 31);
    c.today = QDate(2024, 2, 2);
    c.regionName = QStringLiteral("东区");
    c.title = QStringLiteral("维修完成情况一览表");
    return c;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Makes a folder refuse new files for the test's lifetime: by its permissions, or, where they do
// not stop the user (root), by the file system's immutable flag.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path) : m_path(QFile::encodeName(path))
    {
        if (::chmod(m_path.constData(), 0555) == 0 && !writable())
            m_ok = true;
        else if (setImmutable(true))
            m_ok = !writable();
    }
    ~ReadOnlyFolder()
    {
        if (m_immutable)
            setImmutable(false);
        ::chmod(m_path.constData(), 0755);
    }
    bool ok() const { return m_ok; }

private:
    bool writable() const
    {
        const QByteArray probe = m_path + "/probe";
        const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0)
            return false;
        ::close(fd);
        ::unlink(probe.constData());
        return true;
    }
    bool setImmutable(bool on)
    {
        const int fd = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        if (done)
            m_immutable = on;
        return done;
    }
    QByteArray m_path;
    bool m_ok = false;
    bool m_immutable = false;
};

const QRegularExpression kErrorForm(QStringLiteral("^错误码: -?\\d+ 错误描述: .+$"));

} // namespace

class TestExportFrame : public QObject {
    Q_OBJECT

private slots:
    void basePath_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("base");
        QTest::newRow("typed x.xls") << "x.xls" << "x";
        QTest::newRow("offered name, no dot") << "/home/u/维修完成情况一览表_20240101_20240131"
                                              << "/home/u/维修完成情况一览表_20240101_20240131";
        QTest::newRow("dot in a folder, none in the name") << "/data/folder.with.dot/name" << "/data/folder.with.dot/name";
        QTest::newRow("dot in a folder and the name") << "/data/报表.2024/班组核算台账_20240105.xlsx"
                                                      << "/data/报表.2024/班组核算台账_20240105";
        QTest::newRow("backslash folders") << "D:\\报表.2024\\班组核算台账_20240105.xlsx" << "D:\\报表.2024\\班组核算台账_20240105";
        QTest::newRow("backslash folder, no dot") << "D:\\报表.2024\\x" << "D:\\报表.2024\\x";
        QTest::newRow("only an extension") << ".xlsx" << "";
        QTest::newRow("only an extension in a folder") << "/data/.xlsx" << "/data/";
        QTest::newRow("trailing dot") << "/data/name." << "/data/name";
        QTest::newRow("last dot cuts") << "a.b.c" << "a.b";
    }
    void basePath()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, base);
        QCOMPARE(exportBasePath(chosen), base);
    }

    // Report A's grid holding only its totals row: no dialog, no message, nothing touched.
    void guardRowCountDoesNothing()
    {
        const ReportGrid grid = completionGrid(0);
        QCOMPARE(grid.rows(), 3);
        ExportLog log;
        RecordingHost host(log);
        LoggingMessenger messenger(log);
        ScriptedDialog dialog(QStringLiteral("/tmp/never.xlsx"));
        ExportCommand(CompletionReport().exportLayout(), contextFor(grid), host, dialog, messenger);
        QCOMPARE(dialog.asked, 0);
        QVERIFY(log.events.isEmpty());
    }

    void cancelledDialog()
    {
        const ReportGrid grid = completionGrid(2);
        ExportLog log;
        RecordingHost host(log);
        LoggingMessenger messenger(log);
        ScriptedDialog dialog(std::nullopt);
        ExportCommand(CompletionReport().exportLayout(), contextFor(grid), host, dialog, messenger);
        QCOMPARE(dialog.offeredName, QStringLiteral("维修完成情况一览表_20240101_20240131"));
        QCOMPARE(dialog.offeredFilter, QStringLiteral("电子表|*.xls;*.xlsx"));
        QCOMPARE(log.events, QStringList({ "buttons hidden", "message 您取消了导出操作！", "buttons shown" }));
        QCOMPARE(messenger.messages.at(0).title, QStringLiteral("系统提示"));
        QCOMPARE(messenger.messages.at(0).icon, MessageIcon::Information);
    }

    // A typed x.xls is written as x.xlsx; the progress bar reaches its end before the success
    // message, which comes before the bar goes; the buttons return last. Report A before any run
    // (no data rows) exports too.
    void successfulExport_data()
    {
        QTest::addColumn<int>("offices");
        QTest::addColumn<QStringList>("progress");
        QTest::newRow("before any run") << -1 << QStringList { "progress 0..2", "repaint", "progress=2" };
        QTest::newRow("two offices") << 2
                                     << QStringList { "progress 0..5", "repaint", "progress=0", "progress=1", "progress=2", "progress=5" };
    }
    void successfulExport()
    {
        QFETCH(int, offices);
        QFETCH(QStringList, progress);
        ReportGrid grid;
        if (offices < 0)
            CompletionReport().layoutGrid(grid, {});
        else
            grid = completionGrid(offices);
        QTemporaryDir dir;
        ExportLog log;
        RecordingHost host(log);
        LoggingMessenger messenger(log);
        ScriptedDialog dialog(dir.filePath(QStringLiteral("x.xls")));
        ExportCommand(CompletionReport().exportLayout(), contextFor(grid), host, dialog, messenger);
        const QStringList expected = QStringList { "buttons hidden" } + progress
            + QStringList { "message 维修完成情况一览表导出成功!", "progress hidden", "buttons shown" };
        QCOMPARE(log.events, expected);
        QCOMPARE(messenger.messages.at(0).title, QStringLiteral("系统提示"));
        QCOMPARE(entries(dir.path()), QStringList { "x.xlsx" });
        QVERIFY(WorkbookReader(dir.filePath(QStringLiteral("x.xlsx"))).ok());
    }

    // A failed export says so in the report windows' form, resets the pointer, leaves the
    // progress bar, gives the buttons back, keeps what was there and leaves no temporary file.
    void failedExport_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("missing folder") << "missing";
        QTest::newRow("read-only folder") << "readonly";
        QTest::newRow("folder without files (/proc)") << "proc";
        QTest::newRow("target is a folder") << "directory";
        QTest::newRow("cell text too long") << "toolong";
    }
    void failedExport()
    {
        QFETCH(QString, situation);
        QTemporaryDir dir;
        ReportGrid grid = completionGrid(2);
        QString folder = dir.path();
        QString chosen = dir.filePath(QStringLiteral("x.xls"));
        const QString existing = dir.filePath(QStringLiteral("x.xlsx"));
        const QByteArray oldBytes("an older workbook, byte for byte");
        QVERIFY(writeFile(existing, oldBytes));
        std::unique_ptr<ReadOnlyFolder> readOnly;
        if (situation == QLatin1String("missing")) {
            chosen = dir.filePath(QStringLiteral("missing/x.xls"));
        } else if (situation == QLatin1String("readonly")) {
            readOnly = std::make_unique<ReadOnlyFolder>(dir.path());
            if (!readOnly->ok())
                QSKIP("no way to make a folder read-only here");
        } else if (situation == QLatin1String("proc")) {
            folder = QStringLiteral("/proc");
            chosen = QStringLiteral("/proc/trellum-export-test.xls");
        } else if (situation == QLatin1String("directory")) {
            QVERIFY(QFile::remove(existing));
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("x.xlsx")));
            QVERIFY(writeFile(existing + QStringLiteral("/inside"), oldBytes));
        } else if (situation == QLatin1String("toolong")) {
            grid.setText(2, 1, QString(40000, QLatin1Char('a')));
        }
        const QStringList before = entries(folder);

        ExportLog log;
        RecordingHost host(log);
        LoggingMessenger messenger(log);
        QVERIFY(!WriteWorkbook(CompletionReport().exportLayout(), contextFor(grid), chosen, host, messenger));

        QCOMPARE(messenger.messages.size(), 1);
        QCOMPARE(messenger.messages.at(0).title, QStringLiteral("系统提示"));
        QVERIFY2(kErrorForm.match(messenger.messages.at(0).text).hasMatch(), qPrintable(messenger.messages.at(0).text));
        QVERIFY(log.events.contains(QStringLiteral("pointer reset")));
        QVERIFY(!log.events.contains(QStringLiteral("progress hidden")));
        readOnly.reset();
        if (situation == QLatin1String("proc")) {
            QVERIFY(!QFile::exists(QStringLiteral("/proc/trellum-export-test.xlsx")));
            QVERIFY(entries(folder).filter(QStringLiteral(".part")).isEmpty());
        } else {
            QCOMPARE(entries(folder), before);
        }
        if (situation == QLatin1String("directory"))
            QCOMPARE(contents(existing + QStringLiteral("/inside")), oldBytes);
        else if (situation != QLatin1String("proc"))
            QCOMPARE(contents(existing), oldBytes);
    }

    // The error path through the button: the buttons come back after the message.
    void failedExportGivesButtonsBack()
    {
        const ReportGrid grid = completionGrid(1);
        QTemporaryDir dir;
        ExportLog log;
        RecordingHost host(log);
        LoggingMessenger messenger(log);
        ScriptedDialog dialog(dir.filePath(QStringLiteral("missing/x.xls")));
        ExportCommand(CompletionReport().exportLayout(), contextFor(grid), host, dialog, messenger);
        QCOMPARE(log.events.first(), QStringLiteral("buttons hidden"));
        QCOMPARE(log.events.last(), QStringLiteral("buttons shown"));
        QVERIFY(log.events.at(log.events.size() - 3).startsWith(QStringLiteral("message 错误码: ")));
        QCOMPARE(log.events.at(log.events.size() - 2), QStringLiteral("pointer reset"));
    }
};

QTEST_GUILESS_MAIN(TestExportFrame)
#include "test_exportframe.moc"
