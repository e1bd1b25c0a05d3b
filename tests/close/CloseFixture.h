#pragma once

#include "DemoDatabase.h"
#include "SqlFunctions.h"

#include <QFile>
#include <QString>

#include <sqlite3.h>

namespace trellum::test {

// Runs statements of the test's own on a database file (never the program's), with the T-SQL
// functions its indexes use; false when they failed.
inline bool changeDatabase(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    registerTsqlFunctions(db);
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

// A small demo database for the close at `path`: regions 01 东区, 02 西区, 03 南/区:* (a name no
// file name holds as it stands) with figures in November 2026, and 04 空区 without offices or
// workers. An empty text when it was written, else the reason.
inline QString writeCloseDatabase(const QString& path)
{
    DemoDatabase::Options o;
    o.outPath = path;
    o.orders = 4000;
    o.regions = 3;
    o.offices = 9;
    o.workers = 12;
    o.years = 1;
    const QString written = DemoDatabase(o).write();
    if (!written.isEmpty())
        return written;
    return changeDatabase(path, QStringLiteral("UPDATE 区域设置 SET 区域名称 = '南/区:*' WHERE 区域编号 = '03';"
                                               "INSERT INTO 区域设置 VALUES ('04', '空区');"))
        ? QString()
        : QStringLiteral("regions not changed");
}

} // namespace trellum::test
