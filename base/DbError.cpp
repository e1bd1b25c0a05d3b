#include "DbError.h"

namespace trellum {

DbError cancelledError()
{
    return DbError { kCancelledError, QStringLiteral("语句已按要求停止") };
}

QString reportErrorText(const DbError& error)
{
    return QStringLiteral("错误码: ") + QString::number(error.number) + QStringLiteral(" 错误描述: ")
        + error.description;
}

} // namespace trellum
