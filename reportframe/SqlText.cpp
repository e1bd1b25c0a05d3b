#include "SqlText.h"

#include <algorithm>

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

namespace {

// Terms of one compound select, well below the embedded backend's limit of 500.
constexpr std::size_t kTermsPerSelect = 200;

} // namespace

QString sqlLiteralTable(const QStringList& columns, const std::vector<QStringList>& rows)
{
    // the innermost level: Select 0 As 序, 'a' As x Union All Select 1, 'b' ...
    QStringList level;
    for (std::size_t first = 0; first < rows.size(); first += kTermsPerSelect) {
        QString chunk;
        const std::size_t last = std::min(rows.size(), first + kTermsPerSelect);
        for (std::size_t i = first; i < last; ++i) {
            chunk += i == first ? QStringLiteral("Select ") : QStringLiteral(" Union All Select ");
            chunk += QString::number(i);
            if (i == first)
                chunk += QStringLiteral(" As 序");
            for (qsizetype c = 0; c < columns.size(); ++c) {
                chunk += QStringLiteral(", ") + rows[i].value(c, QStringLiteral("NULL"));
                if (i == first)
                    chunk += QStringLiteral(" As ") + columns[c];
            }
        }
        level << chunk;
    }
    // each further level joins at most kTermsPerSelect selects of the level below
    while (level.size() > 1) {
        QStringList next;
        for (qsizetype first = 0; first < level.size(); first += qsizetype(kTermsPerSelect)) {
            QString chunk;
            const qsizetype last = std::min(level.size(), first + qsizetype(kTermsPerSelect));
            for (qsizetype i = first; i < last; ++i) {
                if (i > first)
                    chunk += QStringLiteral(" Union All ");
                chunk += QStringLiteral("Select * From (") + level[i] + QStringLiteral(") T") + QString::number(i);
            }
            next << chunk;
        }
        level = next;
    }
    return level.value(0);
}

} // namespace trellum
