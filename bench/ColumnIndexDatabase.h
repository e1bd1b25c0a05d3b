#pragma once

#include <QString>
#include <QStringList>

namespace trellum::bench {

// The demo database's indexes with the plain date columns where they index the day conversion
// (CONVERT(char(8),销单日期,112) becomes 销单日期): what a plain index on the column offers the
// statements, built on a copy of the database without indexes.
class ColumnIndexDatabase {
public:
    // The index statements with each CONVERT expression replaced by its column.
    static QStringList statements();
    // Copies `plainPath` to `outPath` and builds those indexes and the statistics there; returns
    // an empty text, or why it could not.
    static QString build(const QString& plainPath, const QString& outPath);
};

} // namespace trellum::bench
