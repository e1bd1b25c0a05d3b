// Fuzzes the embedded database's T-SQL functions with arbitrary texts and blobs: never a crash,
// and the results stay within the haystack (CHARINDEX and LEN never beyond its length).
#include "SqlFunctions.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

sqlite3* connection()
{
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        if (sqlite3_open(":memory:", &d) != SQLITE_OK || trellum::registerTsqlFunctions(d) != SQLITE_OK)
            std::abort();
        return d;
    }();
    return db;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // the input is split in two at its first NUL: needle and haystack; the first byte picks blob or text
    const std::uint8_t* split = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
    const std::size_t n1 = split ? std::size_t(split - data) : size / 2;
    const std::uint8_t* second = split ? split + 1 : data + n1;
    const std::size_t n2 = size - std::size_t(second - data);
    const bool blob = size > 0 && (data[0] & 1);
    static sqlite3_stmt* st = [] {
        sqlite3_stmt* s = nullptr;
        const char* sql = "SELECT NULL, CHARINDEX(?1, ?2), LEN(?2), CONCAT(?1, NULL, ?2),"
                          " CHARINDEX(CONCAT(',', ?1, ','), CONCAT(',', REPLACE(?2, ' ', ''), ',')), length(?2),"
                          " CHARINDEX(?1, ?2, length(?1))";
        if (sqlite3_prepare_v2(connection(), sql, -1, &s, nullptr) != SQLITE_OK)
            std::abort();
        return s;
    }();
    if (blob) {
        sqlite3_bind_blob(st, 1, data, int(n1), SQLITE_TRANSIENT);
        sqlite3_bind_blob(st, 2, second, int(n2), SQLITE_TRANSIENT);
    } else {
        sqlite3_bind_text(st, 1, reinterpret_cast<const char*>(data), int(n1), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, reinterpret_cast<const char*>(second), int(n2), SQLITE_TRANSIENT);
    }
    if (sqlite3_step(st) == SQLITE_ROW) {
        const long long position = sqlite3_column_int64(st, 1);
        const long long len = sqlite3_column_int64(st, 2);
        const long long bytes = (long long)n2;
        if (position < 0 || position > bytes || len < 0 || len > bytes)
            std::abort();
    }
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);

    // CONVERT and SUM may refuse a value with the server's error; a day they give has 8 characters
    static sqlite3_stmt* values = [] {
        sqlite3_stmt* s = nullptr;
        const char* sql = "SELECT CONVERT(char(8), ?2, 112), (SELECT SUM(x) FROM (SELECT ?1 AS x UNION ALL SELECT ?2))";
        if (sqlite3_prepare_v2(connection(), sql, -1, &s, nullptr) != SQLITE_OK)
            std::abort();
        return s;
    }();
    sqlite3_bind_text(values, 1, reinterpret_cast<const char*>(data), int(n1), SQLITE_TRANSIENT);
    sqlite3_bind_text(values, 2, reinterpret_cast<const char*>(second), int(n2), SQLITE_TRANSIENT);
    if (sqlite3_step(values) == SQLITE_ROW && sqlite3_column_type(values, 0) == SQLITE_TEXT
        && sqlite3_column_bytes(values, 0) != 8)
        std::abort();
    sqlite3_reset(values);
    sqlite3_clear_bindings(values);
    return 0;
}
