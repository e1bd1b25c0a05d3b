#pragma once

// The T-SQL functions the program's statements use, for the embedded SQLite backend:
// CONVERT(type, value, 112), CHARINDEX(needle, haystack), LEN(text) and CONCAT(a, b, ...).
// Plain C++ over the SQLite library, so the benchmark floor and the fuzzers use the very same.

struct sqlite3;

namespace trellum {

// Registers the functions on one connection (deterministic, UTF-8); returns an SQLite result code.
int registerTsqlFunctions(sqlite3* db);

} // namespace trellum
