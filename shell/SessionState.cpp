#include "SessionState.h"

namespace trellum {

QString& SessionState::field(int index)
{
    QString* fields[kFieldCount] = { &EmployeeId, &EmployeeName, &DepartmentId, &DepartmentName, &PositionId,
                                     &PositionName, &DepartmentCategoryId, &DepartmentCategoryName,
                                     &PositionCategoryId, &PositionCategoryName };
    return *fields[index < 0 || index >= kFieldCount ? 0 : index];
}

const QString& SessionState::field(int index) const
{
    return const_cast<SessionState*>(this)->field(index);
}

std::optional<SessionState> splitHandOff(const QString& commandLine)
{
    const QStringList fields = commandLine.split(QLatin1Char(','));
    if (fields.size() < SessionState::kFieldCount)
        return std::nullopt;
    SessionState s;
    for (int i = 0; i < SessionState::kFieldCount; ++i)
        s.field(i) = fields[i];
    return s;
}

QString commandLineText(const QStringList& arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

} // namespace trellum
