#include "ScriptedDatabase.h"

#include "SqlFunctions.h"

#include <QFile>

#include <sqlite3.h>

#include <memory>

namespace trellum::bench {

namespace {

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};

} // namespace

QString buildByScript(const QString& temporary, const QString& outPath, const QStringList& script)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(temporary).constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<sqlite3, CloseDb> db(raw);
    if (rc != SQLITE_OK || registerTsqlFunctions(db.get()) != SQLITE_OK) {
        db.reset();
        QFile::remove(temporary);
        return QStringLiteral("cannot open %1").arg(temporary);
    }
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
