#pragma once

#include "DbConnection.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace trellum {

// A driver's error as the user is shown it, with the server's number where the embedded T-SQL
// functions raised one of the server's errors.
DbError toDbError(const QSqlError& e);

// What differs between the two kinds of database behind a DbConnection: how it is opened, when it
// is opened again, and how one statement runs. The connection keeps what they share.
class DbBackend {
public:
    virtual ~DbBackend() = default;
    DbBackend(const DbBackend&) = delete;
    DbBackend& operator=(const DbBackend&) = delete;

    // The kind of database, as the connection reports it while open.
    virtual DbConnection::Backend kind() const = 0;
    // Whether the last open succeeded (and the backend has not closed since).
    bool opened() const { return m_opened; }
    // Whether statements can be sent now.
    virtual bool isOpen() const { return m_opened && database().isOpen(); }
    // Opens the database again before a statement where an earlier failure asks for it.
    virtual DbStatus reopenIfNeeded() = 0;
    // Runs one statement on the open database into the cursor, whose forward-only query is set.
    virtual void run(DbCursor& cursor, const QString& sql, int commandTimeout) = 0;
    // The native SQLite handle (sqlite3*) of the embedded backend, else nullptr.
    virtual void* sqliteHandle() const { return nullptr; }
    // Stops the statement running now; called from any thread.
    virtual void cancel() = 0;
    // The connection's stop switch, which a running statement heeds.
    void setStopFlag(const std::atomic<bool>* stop) { m_stop = stop; }

protected:
    explicit DbBackend(const QString& connectionName) : m_name(connectionName) {}
    // The Qt connection of this backend.
    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }
    // The Qt connection, added with the driver when it does not exist yet.
    QSqlDatabase databaseWithDriver(const QString& driver) const;

    // Whether the connection's stop switch is on.
    bool stopAsked() const { return m_stop && m_stop->load(); }

    const QString m_name;
    bool m_opened = false;
    const std::atomic<bool>* m_stop = nullptr;
};

} // namespace trellum
