#pragma once

#include <QString>

#include <optional>

namespace trellum {

// The error numbers the program gives itself where neither the server nor the system names one.
// An unspecified failure (the platform's E_FAIL): a driver without a number, settings that cannot be used.
inline constexpr long long kUnspecifiedError = -2147467259;
// A command time-out without a native number (SQLSTATE HYT00): the platform's "time-out expired",
// so that a time-out never reads like any other fault.
inline constexpr long long kTimeoutError = -2147217871;
// A statement stopped at the user's request (the platform's "operation cancelled").
inline constexpr long long kCancelledError = -2147217842;

// A failed operation (a statement, a file written, a workbook saved): the number and the
// description the user is shown.
struct DbError {
    long long number = 0;
    QString description;
};

// The outcome of a step: nullopt when it succeeded.
using DbStatus = std::optional<DbError>;

// The error of a statement stopped at the user's request.
DbError cancelledError();

// "错误码: N 错误描述: D", the report windows' form of an error.
QString reportErrorText(const DbError& error);

} // namespace trellum
