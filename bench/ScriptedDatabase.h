#pragma once

#include <QString>
#include <QStringList>

namespace trellum::bench {

// Runs `script` on the database file `temporary` (created when missing), with the T-SQL functions
// registered, then moves it over `outPath`. Returns an empty text, or the failing statement's
// error; on failure the temporary file is removed and `outPath` left as it was.
QString buildByScript(const QString& temporary, const QString& outPath, const QStringList& script);

} // namespace trellum::bench
