#pragma once

// The T-SQL functions the program's statements use, for the embedded SQLite backend:
// CONVERT(type, value, 112), CHARINDEX(needle, haystack), LEN(text) and CONCAT(a, b, ...), and
// SUM(x) as the server adds up a numeric column (a text that is no number, or a sum out of range,
// is the server's error, not a figure). Their errors carry the server's texts.
// Plain C++ over the SQLite library, so the benchmark floor and the fuzzers use the very same.

struct sqlite3;

namespace trellum {

// Registers the functions on one connection (deterministic, UTF-8); returns an SQLite result code.
int registerTsqlFunctions(sqlite3* db);

// The server's error number of an error text the functions raise (241 a date that cannot be
// read, 8114 a text that is no number, 8115 an arithmetic overflow); 0 for any other text.
int tsqlErrorNumber(const char* message);

} // namespace trellum
