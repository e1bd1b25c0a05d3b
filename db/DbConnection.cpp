#include "DbConnection.h"

#include "DbBackend.h"
#include "EmbeddedBackend.h"
#include "OdbcBackend.h"

#include <QDateTime>
#include <QSqlQuery>

#include <atomic>
#include <cmath>

namespace trellum {

namespace {

std::atomic<int> g_connectionSerial { 0 };

} // namespace

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
        m_error = m_explain ? m_explain(e) : toDbError(e);
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
    {
        const std::lock_guard lock(m_backendLock);
        m_backend.reset();
    }
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isValid())
            db.close();
    }
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
}

DbConnection::Backend DbConnection::backend() const
{
    return m_backend && m_backend->opened() ? m_backend->kind() : Backend::None;
}

bool DbConnection::isOpen() const
{
    return m_backend && m_backend->isOpen();
}

void* DbConnection::sqliteHandle() const
{
    return m_backend ? m_backend->sqliteHandle() : nullptr;
}

template <typename B>
B& DbConnection::useBackend()
{
    auto* same = dynamic_cast<B*>(m_backend.get());
    if (same)
        return *same;
    // Another kind of database on this connection: the old one's Qt connection goes with it.
    const std::lock_guard lock(m_backendLock);
    m_backend.reset();
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    auto created = std::make_unique<B>(m_name);
    created->setStopFlag(&m_stop);
    B& out = *created;
    m_backend = std::move(created);
    return out;
}

DbStatus DbConnection::openSqlite(const QString& path)
{
    m_source = Source { Backend::Sqlite, path, 0, m_commandTimeout };
    return useBackend<EmbeddedBackend>().open(path);
}

DbStatus DbConnection::openOdbc(const QString& connectionString, int loginTimeoutSeconds)
{
    m_source = Source { Backend::SqlServer, connectionString, loginTimeoutSeconds, m_commandTimeout };
    return useBackend<OdbcBackend>().open(connectionString, loginTimeoutSeconds);
}

DbStatus DbConnection::openSource(const Source& source)
{
    m_commandTimeout = source.commandTimeout;
    switch (source.kind) {
    case Backend::Sqlite:
        return openSqlite(source.target);
    case Backend::SqlServer:
        return openOdbc(source.target, source.loginTimeout);
    case Backend::None:
        break;
    }
    return DbError { kUnspecifiedError, QStringLiteral("数据库连接未打开") };
}

DbConnection::Source DbConnection::source() const
{
    Source out = backend() == Backend::None ? Source {} : m_source;
    out.commandTimeout = m_commandTimeout;
    return out;
}

void DbConnection::interrupt()
{
    m_stop = true;
    const std::lock_guard lock(m_backendLock);
    if (m_backend)
        m_backend->cancel();
}

DbCursor DbConnection::select(const QString& sql)
{
    DbCursor cursor;
    ++m_statements;
    if (m_observer)
        m_observer(sql);
    if (m_stop) {
        cursor.m_error = cancelledError();
        return cursor;
    }
    if (m_backend) {
        if (const DbStatus reopened = m_backend->reopenIfNeeded()) {
            cursor.m_error = reopened;
            return cursor;
        }
    }
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (!m_backend || !m_backend->opened() || !db.isOpen()) {
        cursor.m_error = DbError { kUnspecifiedError, QStringLiteral("数据库连接未打开") };
        return cursor;
    }
    cursor.m_query = std::make_unique<QSqlQuery>(db);
    cursor.m_query->setForwardOnly(true);
    m_backend->run(cursor, sql, commandTimeout());
    return cursor;
}

} // namespace trellum
