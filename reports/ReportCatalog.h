#pragma once

#include "Report.h"

namespace trellum {

// The report of each window; nullptr for one not built yet.
const Report* findReport(ReportKind kind);

} // namespace trellum
