#include "PerformanceReport.h"

namespace trellum {

void PerformanceReport::layoutGrid(ReportGrid&, const CategoryTable&) const
{
}

DbStatus PerformanceReport::run(DbConnection&, const RunInput&, ReportGrid&, TypeAnalysis&) const
{
    return DbError { -1, QStringLiteral("报表尚未实现") };
}

} // namespace trellum
