#include "ReportCatalog.h"

#include "CompletionReport.h"
#include "LedgerReport.h"
#include "MonthEndReport.h"
#include "PerformanceReport.h"

namespace trellum {

const Report* findReport(ReportKind kind)
{
    static const CompletionReport completion;
    static const LedgerReport ledger;
    static const PerformanceReport performance;
    static const MonthEndReport monthEnd;
    switch (kind) {
    case ReportKind::Completion: return &completion;
    case ReportKind::Ledger: return LedgerReport::kBuilt ? &ledger : nullptr;
    case ReportKind::Performance: return PerformanceReport::kBuilt ? &performance : nullptr;
    case ReportKind::MonthEnd: return MonthEndReport::kBuilt ? &monthEnd : nullptr;
    }
    return nullptr;
}

} // namespace trellum
