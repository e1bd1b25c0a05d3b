#include "ColumnIndexDatabase.h"

#include "DemoSchema.h"
#include "ScriptedDatabase.h"

#include <QFile>
#include <QRegularExpression>

namespace trellum::bench {

QStringList ColumnIndexDatabase::statements()
{
    static const QRegularExpression convert(QStringLiteral("CONVERT\\(char\\(\\d+\\),([^,()]+),112\\)"));
    QStringList out;
    for (QString s : indexStatements())
        out << s.replace(convert, QStringLiteral("\\1"));
    return out;
}

QString ColumnIndexDatabase::build(const QString& plainPath, const QString& outPath)
{
    const QString temporary = outPath + QStringLiteral(".tmp");
    QFile::remove(temporary);
    if (!QFile::copy(plainPath, temporary))
        return QStringLiteral("cannot copy %1 to %2").arg(plainPath, temporary);
    QStringList script { QStringLiteral("PRAGMA journal_mode=OFF"), QStringLiteral("PRAGMA synchronous=OFF"),
                         QStringLiteral("BEGIN") };
    script << statements() << QStringLiteral("COMMIT") << QStringLiteral("ANALYZE");
    return buildByScript(temporary, outPath, script);
}

} // namespace trellum::bench
