#pragma once

#include "AppSession.h"
#include "Messenger.h"
#include "SessionState.h"

#include <QString>

#include <vector>

namespace trellum {

// One position the employee holds: the entry text of the login window's list and the ten fields
// that choosing it copies into the session.
struct PositionRecord {
    QString entryText;   // 职能部门名称 + " " + 岗位名称 + "(主要)" or "(兼职)"
    SessionState fields; // field 0 the number as typed, 1 to 9 from the position's row
};

// What a press of the login button leads to.
struct LoginOutcome {
    enum class Step {
        Stay,           // a message was shown; the window stays for another attempt
        EndProgram,     // the database could not be reached; the program ends
        BuiltInAccount, // the built-in account: straight to the main window
        Positions,      // the employee's current positions, to be chosen from
    };
    Step step = Step::Stay;
    std::vector<PositionRecord> positions;
};

// The built-in account, compared exactly (case-sensitive, untrimmed); the settings may turn it
// off (BuiltInAccount=no), and it is then an unknown number like any other.
inline const QString kBuiltInAccount = QStringLiteral("opTor");
inline const QString kBuiltInPassword = QStringLiteral("kestra");
// The EmployeeId of a built-in-account session.
inline const QString kBuiltInEmployeeId = QStringLiteral("超级用户");

// The employee check: the number untrimmed, the password with its blanks removed at both ends;
// both spliced as quoted literals, so an apostrophe cannot change what is selected.
QString employeeCheckStatement(const QString& number, const QString& password);
// The employee's current positions while the employee has not left.
QString positionsStatement(const QString& number);

// The login steps for the typed number and password: the empty-field messages, the session
// cleared, the connection re-opened from the settings, the built-in account, the employee check
// and the positions. Every message goes through `messenger`; an unexpected error is shown as
// "number description" (title "Trellum") and the window stays.
LoginOutcome attemptLogin(AppSession& session, Messenger& messenger, const QString& number, const QString& password);

// The position choice: the record's fields into the session, each without blanks at either end.
void choosePosition(SessionState& state, const PositionRecord& record);

// The text with the blanks (spaces) at both ends removed.
QString trimBlanks(const QString& text);

} // namespace trellum
