#include "ReportKind.h"

namespace trellum {

QString reportName(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Completion: return QStringLiteral("completion");
    case ReportKind::Ledger: return QStringLiteral("ledger");
    case ReportKind::Performance: return QStringLiteral("performance");
    case ReportKind::MonthEnd: return QStringLiteral("monthend");
    }
    return QString();
}

} // namespace trellum
