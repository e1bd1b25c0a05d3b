#pragma once

#include "DbError.h"

#include <QSqlRecord>
#include <QVariant>

#include <vector>

namespace trellum {

// A result of SQL Server read through the ODBC statement handle to its very end: the rows, and
// the first error met on the way, after the last row included (FreeTDS delivers an error that
// follows the rows only when the rest of the reply is read).
struct OdbcResult {
    std::vector<QVariantList> rows;
    DbStatus error;
    bool linkLost = false; // the error was the loss of the connection (SQLSTATE class 08)
};

// Fetches every row of the executed statement `statement` (an SQLHSTMT) with the column types of
// `record`, texts as UTF-16 in pieces joined before decoding, then every further result.
OdbcResult readOdbcResult(void* statement, const QSqlRecord& record);

// The first diagnostic record of an ODBC handle as the user is shown it: the driver's native
// number, or for a record without one a number for its SQLSTATE, and "[SQLSTATE] text".
// nullopt when the handle holds no record. `linkLost` is set for SQLSTATE class 08.
DbStatus odbcDiagnostic(short handleType, void* handle, bool* linkLost = nullptr);

// Whether the driver has found the connection `connection` (an SQLHDBC) dead.
bool odbcConnectionDead(void* connection);

} // namespace trellum
