#pragma once

#include "DbError.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace trellum {

// One forward-only, read-only result of a SELECT; fields are read by column name or alias,
// ignoring ASCII case.
class DbCursor {
public:
    DbCursor() = default;
    DbCursor(DbCursor&&) noexcept;
    DbCursor& operator=(DbCursor&&) noexcept;
    ~DbCursor();

    // Moves to the next row; false at the end or on an error (see error()).
    bool next();
    // The error of the statement or of the last fetch, if any.
    const DbStatus& error() const { return m_error; }
    bool failed() const { return m_error.has_value(); }

    bool isNull(const QString& field) const;
    // A field as text; NULL gives "". Whole numbers are written without a decimal part.
    QString text(const QString& field) const;
    // A numeric field; NULL gives 0 (test isNull first where NULL matters).
    double number(const QString& field) const;
    QVariant value(const QString& field) const;
    // Index of a field, -1 when the result has no such column.
    int indexOf(const QString& field) const;

private:
    friend class DbConnection;
    friend class EmbeddedBackend;
    friend class OdbcBackend;
    QVariant at(const QString& field) const;

    std::unique_ptr<QSqlQuery> m_query;
    DbStatus m_error;
    // How the backend words a failed fetch (an interrupted one says why); toDbError when empty
    std::function<DbError(const QSqlError&)> m_explain;
    // SQL Server results are read to their end when they arrive; the rows wait here
    bool m_buffered = false;
    QSqlRecord m_record;
    std::vector<QVariantList> m_rows;
    std::size_t m_next = 0;
};

class DbBackend;

// A connection to the company database: SQL Server through ODBC, or an embedded SQLite file
// opened read-only. The program only ever sends SELECT statements on it.
class DbConnection {
public:
    enum class Backend { None, SqlServer, Sqlite };

    // What a connection was opened on, so that another thread can open the same database.
    struct Source {
        Backend kind = Backend::None;
        QString target;      // the file, or the ODBC connection string
        int loginTimeout = 0;
        int commandTimeout = 30;
        bool operator==(const Source&) const = default;
    };

    DbConnection();
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    // Opens an embedded SQLite file read-only, with the T-SQL functions registered; a missing
    // file is an error, never created. Afterwards every statement that is not a pure read (a
    // write, ATTACH, PRAGMA, VACUUM INTO) is refused before it runs.
    DbStatus openSqlite(const QString& path);
    // Opens SQL Server through ODBC with a complete connection string and a login time-out.
    DbStatus openOdbc(const QString& connectionString, int loginTimeoutSeconds);

    // Opens the database `source` names, with its command time-out.
    DbStatus openSource(const Source& source);
    // What the connection was last opened on (kind None before a successful open).
    Source source() const;

    // Whether the connection is open; false once the link to SQL Server is found lost (the next
    // statement then opens it again with the same settings).
    bool isOpen() const;
    // The kind of database open on the connection (None before a successful open).
    Backend backend() const;

    // The command time-out of later statements; 0 means no limit.
    void setCommandTimeout(int seconds) { m_commandTimeout = seconds; }
    // The time-out later statements get: the held one, else the one last set.
    int commandTimeout() const { return m_heldTimeout.value_or(m_commandTimeout); }
    // Fixes the time-out of every later statement, whatever setCommandTimeout() asks (a whole
    // run's own limit); nullopt lets the time-out be set again.
    void holdCommandTimeout(std::optional<int> seconds) { m_heldTimeout = seconds; }

    // Sends one SELECT and returns its result (check error() before and after the row loop). On
    // the embedded backend a failed statement has the file opened afresh before the next one.
    DbCursor select(const QString& sql);

    // Stops the statement running now, from any thread, and refuses every later one until
    // allowStatements(): the statement fails with kCancelledError.
    void interrupt();
    // Lets statements run again after interrupt().
    void allowStatements() { m_stop = false; }
    // Whether interrupt() was called since the last allowStatements().
    bool interrupted() const { return m_stop; }

    // How many statements this connection has sent.
    long long statementsSent() const { return m_statements; }
    // Hears every statement text before it is sent (the benchmarks replay them).
    void setStatementObserver(std::function<void(const QString&)> observer) { m_observer = std::move(observer); }

    // The native SQLite handle (sqlite3*) for the embedded backend, else nullptr.
    void* sqliteHandle() const;

private:
    // The backend of kind B, made afresh when the connection held another kind.
    template <typename B>
    B& useBackend();

    QString m_name;
    std::unique_ptr<DbBackend> m_backend; // the differences between the two kinds of database
    mutable std::mutex m_backendLock;     // held while m_backend is replaced and while interrupt() uses it
    int m_commandTimeout = 30;
    std::optional<int> m_heldTimeout;
    std::atomic<long long> m_statements = 0;
    std::atomic<bool> m_stop = false;
    Source m_source;
    std::function<void(const QString&)> m_observer;
};

} // namespace trellum
