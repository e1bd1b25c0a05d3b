#pragma once

#include <QString>

namespace trellum {

// The four reports: A completion overview, B team ledger, C worker performance, D month-end.
enum class ReportKind { Completion, Ledger, Performance, MonthEnd };

// The headless runner's name of a report: completion, ledger, performance, monthend.
QString reportName(ReportKind kind);

} // namespace trellum
