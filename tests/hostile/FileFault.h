#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <memory>

namespace trellum::test {

// Damages that can befall a database file, made from outside the program.
class FileFault {
public:
    // Writes `content` over the file in place (same file, new bytes).
    static bool overwrite(const QString& path, const QByteArray& content);
    // Cuts the file to its first `bytes` bytes, in place.
    static bool truncate(const QString& path, qint64 bytes);
    // Fills the file with noise from `offset` to its end, keeping its size, and advances the
    // database's change counter as a writer does.
    static bool scramble(const QString& path, qint64 offset);
    // Runs statements on the file through another connection (another writer of the database).
    static bool alter(const QString& path, const QString& statements);
    // Drops the file's indexes (so that the columns they name can be dropped).
    static bool dropIndexes(const QString& path);

    // Another process that holds an exclusive lock on the file until release() or destruction.
    class Lock {
    public:
        explicit Lock(const QString& path);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        // Whether the other process holds the lock now.
        bool held() const { return m_held; }
        // Ends the other process and so its lock.
        void release();

    private:
        std::unique_ptr<QProcess> m_process;
        bool m_held = false;
    };
};

} // namespace trellum::test
