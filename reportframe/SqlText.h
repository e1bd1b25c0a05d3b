#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace trellum {

// A value spliced between apostrophes: its apostrophes doubled, so it cannot end the literal.
QString sqlQuote(const QString& value);

// SQL list text: every value quoted, joined by "," without blanks ('c1','c2').
QString sqlList(const QStringList& values);

// A derived table of literal rows for a statement's From clause: each row's SQL values under the
// column names, the row's place in `rows` in the first column `序` (so a statement can group by
// place, whatever the values compare equal to). Nested in chunks, so that no compound select
// holds more terms than the embedded backend takes. Empty when there are no rows.
QString sqlLiteralTable(const QStringList& columns, const std::vector<QStringList>& rows);

} // namespace trellum
