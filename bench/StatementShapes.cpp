#include "StatementShapes.h"

#include <QHash>

namespace trellum::bench {

StatementShapes::StatementShapes(const QStringList& statements)
{
    QHash<QString, std::size_t> index;
    for (const QString& s : statements) {
        const QString shape = shapeOf(s);
        const auto it = index.find(shape);
        if (it != index.end()) {
            ++m_groups[*it].count;
            continue;
        }
        index.insert(shape, m_groups.size());
        m_groups.push_back(Group { shape, s, 1 });
    }
}

QString StatementShapes::shapeOf(const QString& statement)
{
    QString out;
    out.reserve(statement.size());
    bool quoted = false;
    for (qsizetype i = 0; i < statement.size(); ++i) {
        const QChar ch = statement[i];
        if (ch != QLatin1Char('\'')) {
            if (!quoted)
                out += ch;
            continue;
        }
        if (quoted && i + 1 < statement.size() && statement[i + 1] == QLatin1Char('\'')) {
            ++i; // a doubled quote inside a literal
            continue;
        }
        quoted = !quoted;
        if (quoted)
            out += QStringLiteral("'?'");
    }
    return out;
}

} // namespace trellum::bench
