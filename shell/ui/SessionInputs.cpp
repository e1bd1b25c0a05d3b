#include "SessionInputs.h"

#include "ReportCatalog.h"

namespace trellum {

ReportWindowInputs sessionInputs(AppSession& session, const Report* report)
{
    ReportWindowInputs inputs;
    inputs.connection = [&session]() -> DbConnection& { return *session.connection; };
    inputs.employeeName = session.state.EmployeeName;
    inputs.departmentName = session.state.DepartmentName;
    inputs.positionName = session.state.PositionName;
    inputs.report = report;
    return inputs;
}

ReportWindowInputs sessionInputs(AppSession& session, ReportKind kind)
{
    return sessionInputs(session, &findReport(kind));
}

} // namespace trellum
