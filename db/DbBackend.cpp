#include "DbBackend.h"

#include "SqlFunctions.h"

namespace trellum {

DbError toDbError(const QSqlError& e)
{
    DbError out;
    bool ok = false;
    const QString code = e.nativeErrorCode().section(QLatin1Char(';'), 0, 0).trimmed();
    out.number = code.toLongLong(&ok);
    if (!ok || out.number == 0)
        out.number = kUnspecifiedError;
    out.description = e.databaseText().trimmed();
    if (out.description.isEmpty())
        out.description = e.driverText().trimmed();
    if (out.description.isEmpty())
        out.description = QStringLiteral("未知的数据库错误");
    // the embedded T-SQL functions raise the server's errors, with the server's numbers
    if (const int number = tsqlErrorNumber(out.description.toUtf8().constData()))
        out.number = number;
    return out;
}

QSqlDatabase DbBackend::databaseWithDriver(const QString& driver) const
{
    return QSqlDatabase::contains(m_name) ? QSqlDatabase::database(m_name, false)
                                          : QSqlDatabase::addDatabase(driver, m_name);
}

} // namespace trellum
