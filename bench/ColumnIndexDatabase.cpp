#include "ColumnIndexDatabase.h"

#include "DemoSchema.h"

#include <QFile>
#include <QRegularExpression>

#include <sqlite3.h>

#include <memory>

namespace trellum::bench {

namespace {

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};

} // namespace

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
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(temporary).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, CloseDb> db(raw);
    if (rc != SQLITE_OK)
        return QStringLiteral("cannot open %1").arg(temporary);
    QStringList script { QStringLiteral("PRAGMA journal_mode=OFF"), QStringLiteral("PRAGMA synchronous=OFF"),
                         QStringLiteral("BEGIN") };
    script << statements() << QStringLiteral("COMMIT") << QStringLiteral("ANALYZE");
    for (const QString& s : script) {
        char* error = nullptr;
        if (sqlite3_exec(db.get(), s.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const QString message = QString::fromUtf8(error ? error : "?") + QStringLiteral(" in ") + s;
            sqlite3_free(error);
            db.reset();
            QFile::remove(temporary);
            return message;
        }
    }
    db.reset();
    QFile::remove(outPath);
    return QFile::rename(temporary, outPath) ? QString() : QStringLiteral("cannot rename %1").arg(temporary);
}

} // namespace trellum::bench
