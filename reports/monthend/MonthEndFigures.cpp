#include "MonthEndReport.h"

namespace trellum {

void MonthEndReport::layoutGrid(ReportGrid&, const CategoryTable&) const
{
}

DbStatus MonthEndReport::run(DbConnection&, const RunInput&, ReportGrid&, TypeAnalysis&) const
{
    return DbError { -1, QStringLiteral("报表尚未实现") };
}

} // namespace trellum
