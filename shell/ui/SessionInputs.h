#pragma once

#include "AppSession.h"
#include "ReportKind.h"
#include "ReportWindowInputs.h"

namespace trellum {

// What a report window gets from the session: the session's connection (whichever is open when
// a statement runs), the logged-in person's names as they are now, and `report`.
ReportWindowInputs sessionInputs(AppSession& session, const Report* report);
// The same with the report the catalogue holds for `kind` (nullptr for one not built yet).
ReportWindowInputs sessionInputs(AppSession& session, ReportKind kind);

} // namespace trellum
