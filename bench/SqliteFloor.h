#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace trellum::bench {

// The database floor: statements run straight through the SQLite library on a connection of
// its own, read-only with the T-SQL functions registered, every row stepped and every column
// read in its own type. No Qt, no model, no formatting.
class SqliteFloor {
public:
    // A floor with no database open yet.
    SqliteFloor();
    // Closes the connection.
    ~SqliteFloor();
    SqliteFloor(const SqliteFloor&) = delete;
    SqliteFloor& operator=(const SqliteFloor&) = delete;

    // Opens `path` read-only; returns an empty text, or why it could not.
    QString open(const QString& path);

    // What a replay read.
    struct Replay {
        long long rows = 0;
        long long checksum = 0; // folds every value read, so that nothing is skipped
        QString error;          // the first failing statement's message, empty when all ran
    };
    // Prepares, steps to the end and finalizes each statement in turn (UTF-8 texts).
    Replay replay(const std::vector<std::string>& statements);

    // Lets the connection build automatic indexes or not (PRAGMA automatic_index), as the
    // program's connection does.
    void setAutomaticIndexes(bool on);
    // Whether a connection builds automatic indexes (told by a query plan, as a connection that
    // refuses PRAGMAs cannot be asked).
    static bool automaticIndexes(sqlite3* db);

    // EXPLAIN QUERY PLAN of one statement: one line per step, indented by its depth.
    QStringList queryPlan(const QString& statement);

    // The statements as UTF-8, converted before any timing starts.
    static std::vector<std::string> utf8(const QStringList& statements);

private:
    struct CloseDb {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, CloseDb> m_db;
};

} // namespace trellum::bench
