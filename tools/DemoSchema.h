#pragma once

#include <QStringList>

namespace trellum {

// The tables and columns the reports read, as the embedded database declares them.
// Summed or multiplied columns are REAL; flags are 0/1 integers; date-times are ISO-8601 text.
QStringList schemaStatements();

// The indexes that serve the report statements (expression indexes over CONVERT need the
// T-SQL functions registered on the connection that builds or uses them).
QStringList indexStatements();

} // namespace trellum
