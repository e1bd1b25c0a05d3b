#include "LedgerReport.h"

namespace trellum {

void LedgerReport::layoutGrid(ReportGrid&, const CategoryTable&) const
{
}

DbStatus LedgerReport::run(DbConnection&, const RunInput&, ReportGrid&, TypeAnalysis&) const
{
    return DbError { -1, QStringLiteral("报表尚未实现") };
}

} // namespace trellum
