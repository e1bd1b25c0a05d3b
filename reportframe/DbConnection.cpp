#include "DbConnection.h"

#include "EmbeddedFile.h"
#include "OdbcResult.h"
#include "OpenDatabaseFiles.h"
#include "SqlFunctions.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlResult>

#include <sqlite3.h>
#include <sql.h>
#include <sqlext.h>

#include <atomic>
#include <cmath>

namespace trellum {

namespace {

// The error number shown when the driver names none (the platform's unspecified failure).
constexpr long long kUnspecifiedError = -2147467259;

DbError toDbError(const QSqlError& e)
{
    DbError out;
    bool ok = false;
    const QString code = e.nativeErrorCode().section(QLatin1Char(';'), 0, 0).trimmed();
    out.number = code.toLongLong(&ok);
    if (!ok || out.number == 0)
        out.number = kUnspecifiedError;
    out.description = e.databaseText().trimmed();
    if (out.description.isEmpty())
        out.description = e.driverText().trimmed();
    if (out.description.isEmpty())
        out.description = QStringLiteral("未知的数据库错误");
    // the embedded T-SQL functions raise the server's errors, with the server's numbers
    if (const int number = tsqlErrorNumber(out.description.toUtf8().constData()))
        out.number = number;
    return out;
}

sqlite3* nativeSqlite(const QSqlDatabase& db)
{
    if (!db.isValid() || !db.driver())
        return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

std::atomic<int> g_connectionSerial { 0 };

// Interrupts an embedded statement that runs longer than its command time-out.
struct Deadline {
    QElapsedTimer clock;
    qint64 limitMs = 0;
};

int deadlineHandler(void* p)
{
    const auto* d = static_cast<const Deadline*>(p);
    return d->limitMs > 0 && d->clock.elapsed() > d->limitMs ? 1 : 0;
}

thread_local Deadline t_deadline;

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

QString reportErrorText(const DbError& error)
{
    return QStringLiteral("错误码: ") + QString::number(error.number) + QStringLiteral(" 错误描述: ")
        + error.description;
}

// ---------------------------------------------------------------- DbCursor

DbCursor::DbCursor(DbCursor&&) noexcept = default;
DbCursor& DbCursor::operator=(DbCursor&&) noexcept = default;
DbCursor::~DbCursor() = default;

bool DbCursor::next()
{
    if (m_buffered) {
        if (m_error || m_next >= m_rows.size())
            return false;
        ++m_next;
        return true;
    }
    if (!m_query || m_error)
        return false;
    if (m_query->next())
        return true;
    const QSqlError e = m_query->lastError();
    if (e.isValid())
        m_error = toDbError(e);
    return false;
}

int DbCursor::indexOf(const QString& field) const
{
    if (m_buffered)
        return m_record.indexOf(field);
    return m_query ? m_query->record().indexOf(field) : -1;
}

QVariant DbCursor::at(const QString& field) const
{
    if (m_buffered) {
        const int i = m_record.indexOf(field);
        return i < 0 || m_next == 0 || m_next > m_rows.size() ? QVariant() : m_rows[m_next - 1].value(i);
    }
    if (!m_query)
        return {};
    const int i = m_query->record().indexOf(field);
    return i < 0 ? QVariant() : m_query->value(i);
}

bool DbCursor::isNull(const QString& field) const
{
    const QVariant v = at(field);
    return !v.isValid() || v.isNull();
}

QVariant DbCursor::value(const QString& field) const
{
    return at(field);
}

QString DbCursor::text(const QString& field) const
{
    const QVariant v = at(field);
    if (!v.isValid() || v.isNull())
        return QString();
    switch (v.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    default:
        return v.toString();
    }
}

double DbCursor::number(const QString& field) const
{
    const QVariant v = at(field);
    if (!v.isValid() || v.isNull())
        return 0.0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : 0.0;
}

// ---------------------------------------------------------------- DbConnection

DbConnection::DbConnection()
    : m_name(QStringLiteral("trellum-%1").arg(++g_connectionSerial))
{
}

DbConnection::~DbConnection()
{
    OpenDatabaseFiles::release(this);
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isValid())
            db.close();
    }
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
}

bool DbConnection::isOpen() const
{
    if (m_backend == Backend::SqlServer && m_odbcLinkLost)
        return false;
    return m_backend != Backend::None && QSqlDatabase::database(m_name, false).isOpen();
}

void* DbConnection::sqliteHandle() const
{
    return m_backend == Backend::Sqlite ? nativeSqlite(QSqlDatabase::database(m_name, false)) : nullptr;
}

DbStatus DbConnection::openSqlite(const QString& path)
{
    m_backend = Backend::None;
    m_sqlitePath = path;
    m_reopenSqlite = false;
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
    QSqlDatabase db = QSqlDatabase::contains(m_name) ? QSqlDatabase::database(m_name, false)
                                                    : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
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
    m_backend = Backend::Sqlite;
    if (const DbStatus failed = finishOpen())
        return file.explain(*failed);
    OpenDatabaseFiles::hold(this, path);
    return std::nullopt;
}

DbStatus DbConnection::openOdbc(const QString& connectionString, int loginTimeoutSeconds)
{
    m_backend = Backend::None;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        return DbError { kUnspecifiedError, QStringLiteral("ODBC 数据库驱动不可用") };
    QSqlDatabase db = QSqlDatabase::contains(m_name) ? QSqlDatabase::database(m_name, false)
                                                    : QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
    db.setDatabaseName(connectionString);
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1;"
                                        "SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY")
                             .arg(loginTimeoutSeconds));
    m_odbcLinkLost = false;
    if (!db.open())
        return toDbError(db.lastError());
    m_backend = Backend::SqlServer;
    return finishOpen();
}

DbStatus DbConnection::finishOpen()
{
    if (m_backend != Backend::Sqlite)
        return std::nullopt;
    // The embedded file is opened read-only; query_only refuses a write even before the file
    // would, and the probe finds a file that is not a database now rather than at the first report.
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    QSqlQuery q(db);
    // No automatic indexes: SQLite would otherwise build a throw-away index over all orders for the
    // ledger's outer join on every worker, where the file's own region index serves in milliseconds.
    if (!q.exec(QStringLiteral("PRAGMA query_only = 1")) || !q.exec(QStringLiteral("PRAGMA automatic_index = OFF"))
        || !q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        DbError e = toDbError(q.lastError());
        q = QSqlQuery();
        db.close();
        m_backend = Backend::None;
        return e;
    }
    q = QSqlQuery();
    sqlite3_set_authorizer(nativeSqlite(db), readOnlyAuthorizer, nullptr);
    return std::nullopt;
}

DbCursor DbConnection::select(const QString& sql)
{
    DbCursor cursor;
    ++m_statements;
    if (m_observer)
        m_observer(sql);
    // After a failed statement the embedded file is opened afresh: a file that was emptied and
    // filled again in place would otherwise keep its empty schema on this connection for good.
    if (m_reopenSqlite) {
        if (const DbStatus reopened = openSqlite(m_sqlitePath)) {
            m_reopenSqlite = true;
            cursor.m_error = reopened;
            return cursor;
        }
    }
    // After a lost link the next statement opens the connection again with the same settings.
    if (m_backend == Backend::SqlServer && m_odbcLinkLost) {
        if (const DbStatus reopened = reopenOdbc()) {
            cursor.m_error = reopened;
            return cursor;
        }
    }
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (m_backend == Backend::None || !db.isOpen()) {
        cursor.m_error = DbError { kUnspecifiedError, QStringLiteral("数据库连接未打开") };
        return cursor;
    }
    cursor.m_query = std::make_unique<QSqlQuery>(db);
    QSqlQuery& q = *cursor.m_query;
    q.setForwardOnly(true);
    bool ok = false;
    if (m_backend == Backend::Sqlite) {
        sqlite3* handle = nativeSqlite(db);
        if (handle && commandTimeout() > 0) {
            t_deadline.clock.start();
            t_deadline.limitMs = qint64(commandTimeout()) * 1000;
            sqlite3_progress_handler(handle, 10000, deadlineHandler, &t_deadline);
        } else if (handle) {
            sqlite3_progress_handler(handle, 0, nullptr, nullptr);
        }
        // Only a statement that leaves every file as it is runs (the authorizer refuses the rest).
        ok = q.prepare(sql);
        sqlite3_stmt* prepared = ok ? nativeStatement(q) : nullptr;
        if (ok && (!prepared || !sqlite3_stmt_readonly(prepared))) {
            cursor.m_query.reset();
            cursor.m_error = DbError { SQLITE_READONLY, QStringLiteral("只读连接拒绝执行会写入的语句") };
            return cursor;
        }
        if (ok)
            ok = q.exec();
        m_reopenSqlite = !ok;
    } else {
        runOdbc(cursor, sql);
        return cursor;
    }
    if (!ok)
        cursor.m_error = toDbError(q.lastError());
    return cursor;
}

void DbConnection::runOdbc(DbCursor& cursor, const QString& sql)
{
    QSqlQuery& q = *cursor.m_query;
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    const QVariant dbc = db.driver() ? db.driver()->handle() : QVariant();
    void* connection = dbc.isValid() ? *static_cast<void* const*>(dbc.constData()) : nullptr;
    auto failed = [&](void* statement) {
        bool lost = false;
        DbStatus e = odbcDiagnostic(SQL_HANDLE_STMT, statement, &lost);
        if (!e)
            e = toDbError(q.lastError());
        m_odbcLinkLost = lost || odbcConnectionDead(connection);
        cursor.m_query.reset();
        cursor.m_error = e;
    };
    // The time-out belongs to the statement handle: prepare, set it there, then execute.
    if (!q.prepare(sql)) {
        failed(nullptr);
        return;
    }
    const QVariant h = q.result() ? q.result()->handle() : QVariant();
    void* statement = h.isValid() ? *static_cast<void* const*>(h.constData()) : nullptr;
    if (statement)
        SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(commandTimeout())), 0);
    if (!q.exec() || !statement) {
        failed(statement);
        return;
    }
    // Read to the end now: an error or a lost link after the last row is part of this statement.
    OdbcResult result = readOdbcResult(statement, q.record());
    cursor.m_buffered = true;
    cursor.m_record = q.record();
    cursor.m_rows = std::move(result.rows);
    if (result.error) {
        m_odbcLinkLost = result.linkLost || odbcConnectionDead(connection);
        cursor.m_error = result.error;
        cursor.m_rows.clear();
    }
    cursor.m_query.reset();
}

DbStatus DbConnection::reopenOdbc()
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    db.close();
    if (!db.open())
        return toDbError(db.lastError());
    m_odbcLinkLost = false;
    return std::nullopt;
}

} // namespace trellum
