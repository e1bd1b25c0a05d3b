#pragma once

#include "Report.h"
#include "ReportKind.h"

namespace trellum::test {

// Runs the report, then for every cell of its grid below the header rows lists the orders behind
// it and computes its figure from the list by the report's own rules. Returns an empty text when
// every figure agrees with its list and every figure cell from orders has a list; else the first
// cell that does not, named by row and column. `listed` counts the cells that had a list.
QString cellDisagreeingWithList(ReportKind kind, DbConnection& db, const RunInput& input, int* listed = nullptr);

} // namespace trellum::test
