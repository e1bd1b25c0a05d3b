#pragma once

#include <QString>
#include <QStringList>

namespace trellum {

// A value spliced between apostrophes: its apostrophes doubled, so it cannot end the literal.
QString sqlQuote(const QString& value);

// SQL list text: every value quoted, joined by "," without blanks ('c1','c2').
QString sqlList(const QStringList& values);

} // namespace trellum
