#pragma once

#include "DbBackend.h"

#include <mutex>

struct sqlite3;

namespace trellum {

// An embedded SQLite file opened read-only, with the T-SQL functions registered. Only statements
// that leave every file as it is run; after a failed statement the file is opened afresh before
// the next one.
class EmbeddedBackend final : public DbBackend {
public:
    explicit EmbeddedBackend(const QString& connectionName) : DbBackend(connectionName) {}
    ~EmbeddedBackend() override;

    // Opens the file at `path` (a missing file is an error, never created).
    DbStatus open(const QString& path);

    DbConnection::Backend kind() const override { return DbConnection::Backend::Sqlite; }
    DbStatus reopenIfNeeded() override;
    void run(DbCursor& cursor, const QString& sql, int commandTimeout) override;
    void* sqliteHandle() const override;
    void cancel() override;

private:
    // The handle cancel() interrupts; nullptr while the file is closed or being opened.
    void setNative(sqlite3* handle);

    // The settings of a freshly opened file and the probe that it is a database.
    DbStatus finishOpen();

    QString m_path;        // the file, opened again after a failed statement
    bool m_reopen = false;
    std::mutex m_nativeLock;
    sqlite3* m_native = nullptr;
};

} // namespace trellum
