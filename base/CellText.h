#pragma once

#include <QDate>
#include <QString>

namespace trellum {

// The numeric value of a grid cell: the number its text starts with; empty (or no number) is 0.
double cellNumber(const QString& text);

// A value written with the pattern "0" or "0.00" ("#0", "#0.00" alike): rounded half away from
// zero on its decimal form to 15 significant digits, no thousands separator.
QString formatNumber(double value, const QString& pattern);

// A value as plain decimal text, as a count or a sum is shown: no exponent, no trailing zeros.
QString plainNumber(double value);

// Dates as the statements splice them (yyyymmdd) and as headers show them (yyyy-mm-dd).
QString sqlDate(const QDate& date);
QString isoDate(const QDate& date);

} // namespace trellum
