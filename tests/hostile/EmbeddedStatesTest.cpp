// The embedded database however another program left it: in WAL mode without its -shm file on
// read-only media or in a folder this program cannot write, with a hot rollback journal, under a
// path longer than SQLite takes; and values the server would refuse (dates in other forms, text in
// summed columns, sums out of range), as every report then shows them.

#include "AppSession.h"
#include "FixtureDb.h"
#include "ImmutableFlag.h"
#include "RecordingMessenger.h"
#include "ReportDriver.h"

#include <QDir>
#include <QtTest>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>

using namespace trellum;
using namespace trellum::test;

namespace {

// Region 01 with one office, categories 1 and 2, one worker 0012, and `orders` orders closed
// on 2024-01-03 by that worker.
void fill(FixtureDb& db, int orders = 1)
{
    db.addRegion(QStringLiteral("01"), QStringLiteral("东区"));
    db.addOffice(QStringLiteral("01"), QStringLiteral("0101"), QStringLiteral("阳光花园"));
    db.addCategory(QStringLiteral("1"), QStringLiteral("水电"));
    db.addCategory(QStringLiteral("2"), QStringLiteral("土建"));
    db.addWorker(QStringLiteral("01"), QStringLiteral("0012"), QStringLiteral("王强"), QStringLiteral("水电工"));
    FixtureDb::Order o;
    o.office = QStringLiteral("0101");
    o.region = QStringLiteral("01");
    o.reported = QStringLiteral("2024-01-02");
    o.closed = QStringLiteral("2024-01-03");
    o.workers = QStringLiteral("0012");
    o.labour = 100;
    o.material = 10;
    for (int i = 0; i < orders; ++i)
        db.addOrder(o);
}

QStringList completion(const QString& db)
{
    return { "--report", "completion", "--from", "2024-01-01", "--to", "2024-01-31", "--region", "01", "--db", db };
}

QStringList ledger(const QString& db)
{
    return { "--report", "ledger", "--from", "2024-01-01", "--to", "2024-01-31", "--region", "01", "--db", db };
}

// Runs statements on a file through a connection of the test's own (another program writing).
bool run(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    const bool ok = sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK;
    if (!ok)
        qWarning("%s: %s", sql, error ? error : "?");
    sqlite3_free(error);
    return ok;
}

// A tmpfs on a folder that is made read-only after it was filled: read-only media.
class ReadOnlyMedia {
public:
    explicit ReadOnlyMedia(const QString& folder)
        : m_folder(QFile::encodeName(folder))
    {
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=4m") == 0;
        if (!m_mounted)
            m_reason = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~ReadOnlyMedia()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    ReadOnlyMedia(const ReadOnlyMedia&) = delete;
    ReadOnlyMedia& operator=(const ReadOnlyMedia&) = delete;
    bool mounted() const { return m_mounted; }
    const QString& reason() const { return m_reason; }
    // Remounts it read-only.
    bool seal()
    {
        return ::mount("tmpfs", m_folder.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, "size=4m") == 0;
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
    QString m_reason;
};

// The total of the completion overview's first count (completed orders) in a run's grid.
QString completedTotal(const GridRun& run)
{
    return run.rows.empty() ? QStringLiteral("(no grid)") : run.rows.back()[2];
}

} // namespace

class EmbeddedStatesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void walWithoutShmInAFolderNoOneCanWrite_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("walContent"); // a -wal file with committed pages beside the file
        QTest::newRow("read-only media") << "media" << false;
        QTest::newRow("immutable folder") << "immutable" << false;
        QTest::newRow("read-only media, pages in the -wal") << "media" << true;
        QTest::newRow("immutable folder, pages in the -wal") << "immutable" << true;
    }
    void walWithoutShmInAFolderNoOneCanWrite()
    {
        QFETCH(QString, how);
        QFETCH(bool, walContent);
        FixtureDb fixture;
        fill(fixture);
        fixture.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        fixture.close();
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("share"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("share")));
        std::unique_ptr<ReadOnlyMedia> media;
        if (how == QLatin1String("media")) {
            media = std::make_unique<ReadOnlyMedia>(folder);
            if (!media->mounted())
                QSKIP(qPrintable(QStringLiteral("no file system can be mounted here: ") + media->reason()));
        }
        const QString db = folder + QStringLiteral("/company.db");
        QVERIFY(QFile::copy(fixture.path(), db));
        if (walContent) {
            // another program's committed order, still only in the -wal (it never checkpointed)
            sqlite3* writer = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(fixture.path()).constData(), &writer), SQLITE_OK);
            QVERIFY(run(writer, "PRAGMA wal_autocheckpoint=0; INSERT INTO 区域设置 VALUES ('09', '新区')"));
            QVERIFY(QFile::copy(fixture.path() + QStringLiteral("-wal"), db + QStringLiteral("-wal")));
            QFile::remove(db);
            QVERIFY(QFile::copy(fixture.path(), db));
            sqlite3_close(writer);
        }
        QVERIFY(!QFile::exists(db + QStringLiteral("-shm")));
        std::unique_ptr<ImmutableFlag> flag;
        if (media) {
            QVERIFY(media->seal());
        } else {
            flag = std::make_unique<ImmutableFlag>(folder);
            if (!flag->set())
                QSKIP(qPrintable(QStringLiteral("the immutable attribute cannot be set here: ") + flag->reason()));
        }

        const GridRun r = ReportDriver::headless(completion(db));
        if (walContent) {
            // the -wal's pages cannot be read without a -shm file: said so, not read without them
            QCOMPARE(r.exitCode, 3);
            QCOMPARE(r.messages.size(), 1);
            QVERIFY2(r.messages[0].startsWith(QStringLiteral("错误信息：")) && r.messages[0].contains(QStringLiteral("-wal"))
                         && r.messages[0].contains(QStringLiteral("-shm")),
                     qPrintable(r.messages.join('|')));
        } else {
            QVERIFY2(r.exitCode == 0, qPrintable(r.messages.join('|')));
            QCOMPARE(completedTotal(r), QStringLiteral("1"));
        }
        QVERIFY(!QFile::exists(db + QStringLiteral("-shm")));
    }

    void aHotJournalAsksForRecovery()
    {
        FixtureDb fixture(false);
        fill(fixture, 400);
        fixture.close();
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("company.db"));
        {
            // a writer stopped in the middle of a transaction: its pages half in the file, the
            // original ones in the journal
            sqlite3* writer = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(fixture.path()).constData(), &writer), SQLITE_OK);
            QVERIFY(run(writer, "PRAGMA journal_mode=DELETE; PRAGMA cache_size=2; BEGIN;"
                                "UPDATE PG派工单 SET 维修情况 = hex(randomblob(200));"));
            QVERIFY(QFileInfo(fixture.path() + QStringLiteral("-journal")).size() > 0);
            QVERIFY(QFile::copy(fixture.path(), db));
            QVERIFY(QFile::copy(fixture.path() + QStringLiteral("-journal"), db + QStringLiteral("-journal")));
            run(writer, "ROLLBACK");
            sqlite3_close(writer);
        }
        const QByteArray journalBefore = [&] {
            QFile f(db + QStringLiteral("-journal"));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        AppSession session;
        RecordingMessenger messenger;
        QVERIFY(!OpenDatabase(session, messenger, QString(), QString(), QString(), QStringLiteral("sqlite:") + db));
        QCOMPARE(messenger.messages.size(), 1);
        const QString text = messenger.messages[0].text;
        QVERIFY2(text.startsWith(QStringLiteral("错误信息：")) && text.contains(QStringLiteral("恢复"))
                     && text.contains(QStringLiteral("company.db-journal")),
                 qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("readonly")));
        // the journal stays for the program that may recover it
        QFile journal(db + QStringLiteral("-journal"));
        QVERIFY(journal.open(QIODevice::ReadOnly));
        QVERIFY(journal.readAll() == journalBefore);
    }

    void longPaths_data()
    {
        QTest::addColumn<int>("bytes"); // of the database file's full path
        QTest::addColumn<QString>("left"); // what lies beside the file
        QTest::addColumn<bool>("opens");
        QTest::newRow("500 bytes") << 500 << "" << true;
        QTest::newRow("504 bytes, the platform's longest") << 504 << "" << true;
        QTest::newRow("505 bytes") << 505 << "" << true;
        QTest::newRow("168 Chinese characters and more") << 700 << "" << true;
        QTest::newRow("3000 bytes") << 3000 << "" << true;
        QTest::newRow("700 bytes in WAL mode") << 700 << "wal" << false;
        QTest::newRow("700 bytes with a journal left behind") << 700 << "journal" << false;
        QTest::newRow("504 bytes in WAL mode") << 504 << "wal" << true;
    }
    void longPaths()
    {
        QFETCH(int, bytes);
        QFETCH(QString, left);
        QFETCH(bool, opens);
        FixtureDb fixture;
        fill(fixture);
        if (left == QLatin1String("wal"))
            fixture.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        fixture.close();
        QTemporaryDir dir;
        // folders of Chinese names (3 bytes a character), then ASCII to the exact length
        QString path = QDir(dir.path()).canonicalPath();
        const QString fileName = QStringLiteral("/报修.db");
        const int fileBytes = int(fileName.toUtf8().size());
        while (path.toUtf8().size() + fileBytes + 1 + 60 * 3 < bytes)
            path += QLatin1Char('/') + QString(60, QChar(0x62A5));
        const int rest = bytes - int(path.toUtf8().size()) - fileBytes - 1;
        QVERIFY(rest > 0);
        path += QLatin1Char('/') + QString(rest, QLatin1Char('d'));
        QVERIFY(QDir().mkpath(path));
        const QString db = path + fileName;
        QCOMPARE(int(db.toUtf8().size()), bytes);
        QVERIFY(QFile::copy(fixture.path(), db));
        if (left == QLatin1String("journal")) {
            // a journal with no valid header (not hot): still one the long-path reading cannot open
            QFile journal(db + QStringLiteral("-journal"));
            QVERIFY(journal.open(QIODevice::WriteOnly));
            journal.write(QByteArray(512, '\0'));
        }
        const QByteArray before = [&] {
            QFile f(db);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        const GridRun r = ReportDriver::headless(completion(db));
        QFile after(db);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QVERIFY(after.readAll() == before);
        if (opens) {
            QVERIFY2(r.exitCode == 0, qPrintable(r.messages.join('|')));
            QCOMPARE(completedTotal(r), QStringLiteral("1"));
        } else {
            QCOMPARE(r.exitCode, 3);
            QCOMPARE(r.messages.size(), 1);
            QVERIFY2(r.messages[0].startsWith(QStringLiteral("错误信息：")) && r.messages[0].contains(QStringLiteral("路径太长")),
                     qPrintable(r.messages[0]));
        }
    }

    void datesInEveryFormAreCounted_data()
    {
        QTest::addColumn<QString>("closed"); // 销单日期 as another program wrote it
        QTest::newRow("T and offset") << "2024-01-03T10:00:00+08:00";
        QTest::newRow("T and Z") << "2024-01-03T02:00:00Z";
        QTest::newRow("slashes") << "2024/01/03";
        QTest::newRow("yyyymmdd") << "20240103";
        QTest::newRow("julian day") << "2460312.5";
        QTest::newRow("trailing blank") << "2024-01-03 ";
    }
    void datesInEveryFormAreCounted()
    {
        QFETCH(QString, closed);
        FixtureDb fixture(false);
        fill(fixture);
        fixture.exec(QStringLiteral("UPDATE PG派工单 SET 销单日期 = ?1"), { closed });
        fixture.close();
        const GridRun r = ReportDriver::headless(completion(fixture.path()));
        QVERIFY2(r.exitCode == 0, qPrintable(r.messages.join('|')));
        QCOMPARE(completedTotal(r), QStringLiteral("1"));
    }

    void valuesTheServerRefusesAreReported_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("change");   // applied to the orders
        QTest::addColumn<QString>("expected"); // the run's one message
        const QString date = QStringLiteral("错误码: 241 错误描述: Conversion failed when converting date and/or time from character string.");
        const QString text = QStringLiteral("错误码: 8114 错误描述: Error converting data type varchar to numeric.");
        const QString overflow = QStringLiteral("错误码: 8115 错误描述: Arithmetic overflow error converting expression to data type float.");
        QTest::newRow("unreadable date") << "completion" << "UPDATE PG派工单 SET 销单日期 = '2024-01-3x'" << date;
        QTest::newRow("no such day") << "ledger" << "UPDATE PG派工单 SET 销单日期 = '2024-02-30'" << date;
        QTest::newRow("labour with a thousands comma") << "ledger" << "UPDATE PG派工单 SET 人工费 = '1,150'" << text;
        QTest::newRow("labour with letters after") << "ledger" << "UPDATE PG派工单 SET 人工费 = '12abc'" << text;
        QTest::newRow("labour without a number") << "ledger" << "UPDATE PG派工单 SET 人工费 = 'abc'" << text;
        QTest::newRow("labour empty") << "ledger" << "UPDATE PG派工单 SET 人工费 = ''" << text;
        QTest::newRow("material empty") << "ledger" << "UPDATE PG派工单 SET 材料费 = ''" << text;
        QTest::newRow("labour beyond range") << "ledger" << "UPDATE PG派工单 SET 人工费 = 1.7e308" << overflow;
    }
    void valuesTheServerRefusesAreReported()
    {
        QFETCH(QString, report);
        QFETCH(QString, change);
        QFETCH(QString, expected);
        FixtureDb fixture(false);
        fill(fixture, 2);
        fixture.exec(change);
        fixture.close();
        const GridRun r = ReportDriver::headless(report == QLatin1String("ledger") ? ledger(fixture.path())
                                                                                   : completion(fixture.path()));
        QCOMPARE(r.exitCode, 3);
        QCOMPARE(r.messages, QStringList { expected });
    }

    void numericTextIsSummedAsTheNumberItIs()
    {
        FixtureDb fixture(false);
        fill(fixture, 2);
        fixture.exec(QStringLiteral("UPDATE PG派工单 SET 人工费 = ' 1150.5 '"));
        fixture.close();
        const GridRun r = ReportDriver::headless(ledger(fixture.path()));
        QVERIFY2(r.exitCode == 0, qPrintable(r.messages.join('|')));
        bool found = false;
        for (const QStringList& row : r.rows)
            found = found || row.contains(QStringLiteral("2301.00"));
        QVERIFY2(found, "the labour of both orders, 2 × 1150.5");
    }
};

QTEST_MAIN(EmbeddedStatesTest)
#include "EmbeddedStatesTest.moc"
