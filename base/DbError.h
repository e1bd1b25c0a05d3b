#pragma once

#include <QString>

#include <optional>

namespace trellum {

// A failed database operation: the number and the description the user is shown.
struct DbError {
    long long number = 0;
    QString description;
};

// The outcome of a database step: nullopt when it succeeded.
using DbStatus = std::optional<DbError>;

// "错误码: N 错误描述: D", the report windows' form of an error.
QString reportErrorText(const DbError& error);

} // namespace trellum
