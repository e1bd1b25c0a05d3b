#include "SqliteFloor.h"

#include "SqlFunctions.h"

#include <QFile>
#include <QMap>

#include <sqlite3.h>

#include <cstring>

namespace trellum::bench {

namespace {

struct FinalizeStatement {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

} // namespace

void SqliteFloor::CloseDb::operator()(sqlite3* db) const
{
    sqlite3_close(db);
}

SqliteFloor::SqliteFloor() = default;
SqliteFloor::~SqliteFloor() = default;

QString SqliteFloor::open(const QString& path)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    m_db.reset(raw);
    if (rc != SQLITE_OK)
        return QStringLiteral("cannot open %1: %2").arg(path, QString::fromUtf8(raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
    const int registered = registerTsqlFunctions(m_db.get());
    if (registered != SQLITE_OK)
        return QStringLiteral("cannot register the functions: %1").arg(QString::fromUtf8(sqlite3_errstr(registered)));
    return QString();
}

SqliteFloor::Replay SqliteFloor::replay(const std::vector<std::string>& statements)
{
    Replay out;
    for (const std::string& sql : statements) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(m_db.get(), sql.data(), int(sql.size()), &raw, nullptr) != SQLITE_OK) {
            out.error = QString::fromUtf8(sqlite3_errmsg(m_db.get()));
            return out;
        }
        const Statement st(raw);
        const int columns = sqlite3_column_count(raw);
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
            ++out.rows;
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(raw, c)) {
                case SQLITE_INTEGER: out.checksum += sqlite3_column_int64(raw, c); break;
                case SQLITE_FLOAT: out.checksum += static_cast<long long>(sqlite3_column_double(raw, c)); break;
                case SQLITE_TEXT:
                    if (const unsigned char* t = sqlite3_column_text(raw, c))
                        out.checksum += t[0] + sqlite3_column_bytes(raw, c);
                    break;
                case SQLITE_BLOB: out.checksum += sqlite3_column_bytes(raw, c); break;
                default: break;
                }
            }
        }
        if (rc != SQLITE_DONE) {
            out.error = QString::fromUtf8(sqlite3_errmsg(m_db.get()));
            return out;
        }
    }
    return out;
}

void SqliteFloor::setAutomaticIndexes(bool on)
{
    sqlite3_exec(m_db.get(), on ? "PRAGMA automatic_index = ON" : "PRAGMA automatic_index = OFF", nullptr, nullptr, nullptr);
}

bool SqliteFloor::automaticIndexes(sqlite3* db)
{
    // The setting cannot be read on a connection that refuses every PRAGMA; the plan of a join on
    // a column without an index shows it: an automatic index, or none.
    static const char* const probe = "EXPLAIN QUERY PLAN SELECT 1 FROM 室表 a, 室表 b WHERE a.房屋性质 = b.房屋性质";
    sqlite3_stmt* raw = nullptr;
    if (!db || sqlite3_prepare_v2(db, probe, -1, &raw, nullptr) != SQLITE_OK)
        return true;
    const Statement st(raw);
    bool automatic = false;
    while (sqlite3_step(raw) == SQLITE_ROW)
        automatic = automatic || std::strstr(reinterpret_cast<const char*>(sqlite3_column_text(raw, 3)), "AUTOMATIC");
    return automatic;
}

QStringList SqliteFloor::queryPlan(const QString& statement)
{
    QStringList lines;
    const QByteArray sql = QByteArrayLiteral("EXPLAIN QUERY PLAN ") + statement.toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db.get(), sql.constData(), int(sql.size()), &raw, nullptr) != SQLITE_OK)
        return { QStringLiteral("(no plan: %1)").arg(QString::fromUtf8(sqlite3_errmsg(m_db.get()))) };
    const Statement st(raw);
    QMap<int, int> depth; // step id -> depth
    while (sqlite3_step(raw) == SQLITE_ROW) {
        const int id = sqlite3_column_int(raw, 0);
        const int parent = sqlite3_column_int(raw, 1);
        const int d = depth.contains(parent) ? depth.value(parent) + 1 : 0;
        depth.insert(id, d);
        lines << QString(d * 2, QLatin1Char(' ')) + QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 3)));
    }
    return lines;
}

std::vector<std::string> SqliteFloor::utf8(const QStringList& statements)
{
    std::vector<std::string> out;
    out.reserve(std::size_t(statements.size()));
    for (const QString& s : statements)
        out.push_back(s.toStdString());
    return out;
}

} // namespace trellum::bench
