#include "OdbcBackend.h"

#include "OdbcResult.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlResult>

#include <sql.h>
#include <sqlext.h>

namespace trellum {

DbStatus OdbcBackend::open(const QString& connectionString, int loginTimeoutSeconds)
{
    m_opened = false;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        return DbError { kUnspecifiedError, QStringLiteral("ODBC 数据库驱动不可用") };
    QSqlDatabase db = databaseWithDriver(QStringLiteral("QODBC"));
    db.setDatabaseName(connectionString);
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1;"
                                        "SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY")
                             .arg(loginTimeoutSeconds));
    m_linkLost = false;
    if (!db.open())
        return toDbError(db.lastError());
    m_opened = true;
    return std::nullopt;
}

DbStatus OdbcBackend::reopenIfNeeded()
{
    // After a lost link the next statement opens the connection again with the same settings.
    if (!m_opened || !m_linkLost)
        return std::nullopt;
    QSqlDatabase db = database();
    db.close();
    if (!db.open())
        return toDbError(db.lastError());
    m_linkLost = false;
    return std::nullopt;
}

void OdbcBackend::setRunning(void* statement)
{
    const std::lock_guard lock(m_runningLock);
    m_running = statement;
}

void OdbcBackend::cancel()
{
    // SQLCancel is the one call ODBC allows on a statement busy in another thread.
    const std::lock_guard lock(m_runningLock);
    if (m_running)
        SQLCancel(m_running);
}

void OdbcBackend::run(DbCursor& cursor, const QString& sql, int commandTimeout)
{
    QSqlQuery& q = *cursor.m_query;
    QSqlDatabase db = database();
    const QVariant dbc = db.driver() ? db.driver()->handle() : QVariant();
    void* connection = dbc.isValid() ? *static_cast<void* const*>(dbc.constData()) : nullptr;
    auto failed = [&](void* statement) {
        bool lost = false;
        DbStatus e = odbcDiagnostic(SQL_HANDLE_STMT, statement, &lost);
        if (!e)
            e = toDbError(q.lastError());
        m_linkLost = lost || odbcConnectionDead(connection);
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
        SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(commandTimeout)), 0);
    // From here until its rows are read a stop cancels the statement; one asked just before it is
    // seen by the check after the handle is published. The handle is withdrawn before it is freed.
    setRunning(statement);
    const bool executed = !stopAsked() && q.exec();
    OdbcResult result;
    if (executed && statement)
        result = readOdbcResult(statement, q.record());
    setRunning(nullptr);
    if (stopAsked()) {
        cursor.m_query.reset();
        cursor.m_error = cancelledError();
        return;
    }
    if (!executed || !statement) {
        failed(statement);
        return;
    }
    cursor.m_buffered = true;
    cursor.m_record = q.record();
    cursor.m_rows = std::move(result.rows);
    if (result.error) {
        m_linkLost = result.linkLost || odbcConnectionDead(connection);
        cursor.m_error = result.error;
        cursor.m_rows.clear();
    }
    cursor.m_query.reset();
}

} // namespace trellum
