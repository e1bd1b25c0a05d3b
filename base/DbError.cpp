#include "DbError.h"

namespace trellum {

QString reportErrorText(const DbError& error)
{
    return QStringLiteral("错误码: ") + QString::number(error.number) + QStringLiteral(" 错误描述: ")
        + error.description;
}

} // namespace trellum
