#pragma once

#include "DbBackend.h"

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

private:
    bool m_linkLost = false; // opened again (same string and options) before the next statement
};

} // namespace trellum
