#include "EmbeddedBackend.h"

#include "EmbeddedFile.h"
#include "OpenDatabaseFiles.h"
#include "SqlFunctions.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlResult>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>

namespace trellum {

namespace {

sqlite3* nativeSqlite(const QSqlDatabase& db)
{
    if (!db.isValid() || !db.driver())
        return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

// Interrupts an embedded statement that runs longer than its command time-out or that the user
// stops, and remembers which of the two it was.
struct Deadline {
    QElapsedTimer clock;
    qint64 limitMs = 0;
    const std::atomic<bool>* stop = nullptr;
    bool timedOut = false;
};

int deadlineHandler(void* p)
{
    auto* d = static_cast<Deadline*>(p);
    if (d->stop && d->stop->load())
        return 1;
    d->timedOut = d->limitMs > 0 && d->clock.elapsed() > d->limitMs;
    return d->timedOut ? 1 : 0;
}

thread_local Deadline t_deadline;

// The time-out in the words the SQL Server path uses for its own, with the time-out's number.
DbError timeoutError(int seconds)
{
    return DbError { kTimeoutError, QStringLiteral("查询超时：语句执行超过了命令超时时间（%1 秒），已被中止").arg(seconds) };
}

// The embedded connection reads and nothing else: a statement that would attach a file, change a
// setting or write anything is refused while it is prepared (query_only can be switched off by a
// PRAGMA, and some writes, VACUUM INTO, go to other files than the database).
int readOnlyAuthorizer(void*, int action, const char*, const char*, const char*, const char*)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

sqlite3_stmt* nativeStatement(const QSqlQuery& q)
{
    const QVariant h = q.result() ? q.result()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3_stmt*") != 0)
        return nullptr;
    return *static_cast<sqlite3_stmt* const*>(h.constData());
}

} // namespace

EmbeddedBackend::~EmbeddedBackend()
{
    setNative(nullptr);
    OpenDatabaseFiles::release(this);
}

void EmbeddedBackend::setNative(sqlite3* handle)
{
    const std::lock_guard lock(m_nativeLock);
    m_native = handle;
}

void EmbeddedBackend::cancel()
{
    // sqlite3_interrupt may be called from any thread while the handle is open.
    const std::lock_guard lock(m_nativeLock);
    if (m_native)
        sqlite3_interrupt(m_native);
}

void* EmbeddedBackend::sqliteHandle() const
{
    return m_opened ? nativeSqlite(database()) : nullptr;
}

DbStatus EmbeddedBackend::open(const QString& path)
{
    setNative(nullptr);
    m_opened = false;
    m_path = path;
    m_reopen = false;
    OpenDatabaseFiles::release(this);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return DbError { kUnspecifiedError, QStringLiteral("SQLite 数据库驱动不可用") };
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return DbError { SQLITE_CANTOPEN, QStringLiteral("数据库文件不存在: ") + path };
    if (info.isDir())
        return DbError { SQLITE_CANTOPEN, QStringLiteral("数据库路径是一个文件夹: ") + path };
    // A named pipe would hold the open for ever and a device never ends: only a file is a database.
    if (!info.isFile())
        return DbError { SQLITE_CANTOPEN, QStringLiteral("数据库路径不是普通文件 (是命名管道、设备或套接字): ") + path };
    const EmbeddedFile file = EmbeddedFile::inspect(path);
    if (DbStatus refused = file.refusal())
        return refused;
    QSqlDatabase db = databaseWithDriver(QStringLiteral("QSQLITE"));
    db.setDatabaseName(file.openName());
    db.setConnectOptions(file.connectOptions());
    if (!db.open())
        return file.explain(toDbError(db.lastError()));
    sqlite3* handle = nativeSqlite(db);
    if (!handle) {
        db.close();
        return DbError { kUnspecifiedError, QStringLiteral("无法取得 SQLite 连接句柄") };
    }
    const int rc = registerTsqlFunctions(handle);
    if (rc != SQLITE_OK) {
        db.close();
        return DbError { rc, QString::fromUtf8(sqlite3_errstr(rc)) };
    }
    m_opened = true;
    if (const DbStatus failed = finishOpen())
        return file.explain(*failed);
    OpenDatabaseFiles::hold(this, path);
    setNative(handle);
    return std::nullopt;
}

DbStatus EmbeddedBackend::finishOpen()
{
    // The embedded file is opened read-only; query_only refuses a write even before the file
    // would, and the probe finds a file that is not a database now rather than at the first report.
    QSqlDatabase db = database();
    QSqlQuery q(db);
    // SQLite's automatic indexes stay on: a file without the program's indexes (or with other
    // ones) is read in seconds only through them, and no statement of the reports makes one where
    // the file's own indexes serve.
    if (!q.exec(QStringLiteral("PRAGMA query_only = 1")) || !q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        DbError e = toDbError(q.lastError());
        q = QSqlQuery();
        db.close();
        m_opened = false;
        return e;
    }
    q = QSqlQuery();
    sqlite3_set_authorizer(nativeSqlite(db), readOnlyAuthorizer, nullptr);
    return std::nullopt;
}

DbStatus EmbeddedBackend::reopenIfNeeded()
{
    // After a failed statement the embedded file is opened afresh: a file that was emptied and
    // filled again in place would otherwise keep its empty schema on this connection for good.
    if (!m_reopen)
        return std::nullopt;
    DbStatus reopened = open(m_path);
    if (reopened)
        m_reopen = true;
    return reopened;
}

void EmbeddedBackend::run(DbCursor& cursor, const QString& sql, int commandTimeout)
{
    QSqlQuery& q = *cursor.m_query;
    sqlite3* handle = nativeSqlite(database());
    // The handler watches the command time-out and the stop switch (an interrupt that came
    // before the statement began would otherwise be lost).
    if (handle) {
        t_deadline.clock.start();
        t_deadline.limitMs = qint64(std::max(commandTimeout, 0)) * 1000;
        t_deadline.stop = m_stop;
        t_deadline.timedOut = false;
        sqlite3_progress_handler(handle, 10000, deadlineHandler, &t_deadline);
    }
    // Only a statement that leaves every file as it is runs (the authorizer refuses the rest).
    bool ok = q.prepare(sql);
    sqlite3_stmt* prepared = ok ? nativeStatement(q) : nullptr;
    if (ok && (!prepared || !sqlite3_stmt_readonly(prepared))) {
        cursor.m_query.reset();
        cursor.m_error = DbError { SQLITE_READONLY, QStringLiteral("只读连接拒绝执行会写入的语句") };
        return;
    }
    // A statement interrupted while it runs or while its rows are read says why.
    cursor.m_explain = [stop = m_stop, commandTimeout](const QSqlError& e) {
        if (stop && stop->load())
            return cancelledError();
        if (t_deadline.timedOut)
            return timeoutError(commandTimeout);
        return toDbError(e);
    };
    if (ok && !stopAsked())
        ok = q.exec();
    else if (ok)
        ok = false;
    m_reopen = !ok;
    if (!ok)
        cursor.m_error = cursor.m_explain(q.lastError());
}

} // namespace trellum
