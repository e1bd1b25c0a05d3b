#pragma once

#include "DbBackend.h"

#include <mutex>

namespace trellum {

// SQL Server through ODBC. Every result is read to its end when its statement has run; after a
// lost link the next statement opens the connection again with the same settings.
class OdbcBackend final : public DbBackend {
public:
    explicit OdbcBackend(const QString& connectionName) : DbBackend(connectionName) {}

    // Opens the connection with a complete connection string and a login time-out.
    DbStatus open(const QString& connectionString, int loginTimeoutSeconds);

    DbConnection::Backend kind() const override { return DbConnection::Backend::SqlServer; }
    bool isOpen() const override { return !m_linkLost && DbBackend::isOpen(); }
    DbStatus reopenIfNeeded() override;
    void run(DbCursor& cursor, const QString& sql, int commandTimeout) override;
    // Cancels the statement on its handle (the driver sends the server an Attention).
    void cancel() override;

private:
    // The statement handle cancel() reaches; nullptr between statements.
    void setRunning(void* statement);

    bool m_linkLost = false; // opened again (same string and options) before the next statement
    std::mutex m_runningLock;
    void* m_running = nullptr;
};

} // namespace trellum
