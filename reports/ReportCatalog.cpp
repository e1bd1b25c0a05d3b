#include "ReportCatalog.h"

#include "CompletionReport.h"
#include "LedgerReport.h"
#include "MonthEndReport.h"
#include "PerformanceReport.h"

namespace trellum {

const Report& findReport(ReportKind kind)
{
    static const CompletionReport completion;
    static const LedgerReport ledger;
    static const PerformanceReport performance;
    static const MonthEndReport monthEnd;
    switch (kind) {
    case ReportKind::Completion: return completion;
    case ReportKind::Ledger: return ledger;
    case ReportKind::Performance: return performance;
    case ReportKind::MonthEnd: return monthEnd;
    }
    return completion;
}

} // namespace trellum
