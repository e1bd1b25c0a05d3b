#pragma once

#include "Report.h"

namespace trellum {

// The report of each window.
const Report& findReport(ReportKind kind);

} // namespace trellum
