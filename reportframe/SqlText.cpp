#include "SqlText.h"

namespace trellum {

QString sqlQuote(const QString& value)
{
    QString out = value;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

QString sqlList(const QStringList& values)
{
    QString out;
    for (const QString& v : values) {
        if (!out.isEmpty())
            out += QLatin1Char(',');
        out += sqlQuote(v);
    }
    return out;
}

} // namespace trellum
