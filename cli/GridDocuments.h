#pragma once

#include "Report.h"
#include "ReportGrid.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace trellum {

// The grid as the headless runner's JSON document: report name, fixed rows, every row's texts,
// every cell's background ("" or 6 hex digits of the blue-green-red value) and, for the
// month-end, the seven type-analysis texts.
QByteArray gridJson(const QString& report, const ReportGrid& grid, const std::optional<TypeAnalysis>& boxes);

// A figure's list as the headless runner's JSON document: its title, the figure computed from
// it, the column captions and one array of texts per order.
QByteArray detailJson(const QString& title, const QString& figure, const ReportGrid& list);

// The grid rows as CSV (RFC 4180, UTF-8, CRLF line ends), after a UTF-8 byte-order mark when
// asked. A text cell a spreadsheet program would take for a formula (it begins with "=", "+",
// "-", "@", a tab or a carriage return) is written with an apostrophe before it; numbers never.
QByteArray gridCsv(const ReportGrid& grid, bool byteOrderMark);

} // namespace trellum
