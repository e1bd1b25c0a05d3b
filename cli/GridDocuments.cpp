#include "GridDocuments.h"

namespace trellum {

namespace {

void appendJsonString(QByteArray& out, const QString& text)
{
    out += '"';
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        switch (u) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20)
                out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0')).toLatin1();
            else
                out += QString(ch).toUtf8();
        }
    }
    out += '"';
}

template <typename Cell>
void appendRows(QByteArray& out, const ReportGrid& grid, Cell cell)
{
    out += '[';
    for (int r = 0; r < grid.rows(); ++r) {
        out += r ? ",\n  [" : "\n  [";
        for (int c = 0; c < grid.cols(); ++c) {
            if (c)
                out += ", ";
            appendJsonString(out, cell(r, c));
        }
        out += ']';
    }
    out += grid.rows() ? "\n ]" : "]";
}

} // namespace

QByteArray gridJson(const QString& report, const ReportGrid& grid, const std::optional<TypeAnalysis>& boxes)
{
    QByteArray out = "{\"report\": ";
    appendJsonString(out, report);
    out += ",\n \"fixedRows\": " + QByteArray::number(grid.fixedRows());
    out += ",\n \"rows\": ";
    appendRows(out, grid, [&](int r, int c) { return grid.text(r, c); });
    out += ",\n \"backgrounds\": ";
    appendRows(out, grid, [&](int r, int c) {
        const auto colour = grid.background(r, c);
        return colour ? QStringLiteral("%1").arg(*colour, 6, 16, QLatin1Char('0')).toUpper() : QString();
    });
    if (boxes) {
        out += ",\n \"typeAnalysis\": [";
        for (std::size_t i = 0; i < boxes->size(); ++i) {
            if (i)
                out += ", ";
            appendJsonString(out, (*boxes)[i]);
        }
        out += ']';
    }
    out += "}\n";
    return out;
}

QByteArray gridCsv(const ReportGrid& grid)
{
    QByteArray out;
    for (int r = 0; r < grid.rows(); ++r) {
        for (int c = 0; c < grid.cols(); ++c) {
            if (c)
                out += ',';
            const QString text = grid.text(r, c);
            if (text.contains(QLatin1Char('"')) || text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('\n'))
                || text.contains(QLatin1Char('\r'))) {
                QString quoted = text;
                quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
                out += '"' + quoted.toUtf8() + '"';
            } else {
                out += text.toUtf8();
            }
        }
        out += "\r\n";
    }
    return out;
}

} // namespace trellum
