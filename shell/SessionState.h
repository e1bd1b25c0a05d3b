#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace trellum {

// Who is logged in: ten text fields in a fixed order, the order of the hand-off command line
// and of the login's position records.
struct SessionState {
    QString EmployeeId;
    QString EmployeeName;
    QString DepartmentId;
    QString DepartmentName;
    QString PositionId;
    QString PositionName;
    QString DepartmentCategoryId;
    QString DepartmentCategoryName;
    QString PositionCategoryId;
    QString PositionCategoryName;

    static constexpr int kFieldCount = 10;
    QString& field(int index);
    const QString& field(int index) const;
    void clear() { *this = SessionState(); }
    bool operator==(const SessionState&) const = default;
};

// The hand-off command line split on every "," into the ten fields, nothing trimmed and no
// quoting; fields after the tenth are ignored. nullopt when the line has fewer than ten fields.
std::optional<SessionState> splitHandOff(const QString& commandLine);

// The program's command line as one text: everything after the program path, the arguments
// joined by one blank (a launching host passes the ten fields as one argument).
QString commandLineText(const QStringList& arguments);

} // namespace trellum
