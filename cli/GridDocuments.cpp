#include "GridDocuments.h"

#include "Sheet.h"

namespace trellum {

namespace {

// The JSON escape of a character that needs a short one, else nullptr.
const char* shortEscape(char16_t u)
{
    switch (u) {
    case '"': return "\\\"";
    case '\\': return "\\\\";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    default: return nullptr;
    }
}

void appendJsonString(QByteArray& out, const QString& text)
{
    // Escapes go in as ASCII; every other run of the text is converted whole, so that a character
    // beyond the BMP (two UTF-16 units) keeps its 4-byte UTF-8 form.
    out += '"';
    qsizetype plain = 0;
    auto flush = [&](qsizetype end) {
        out += QStringView(text).mid(plain, end - plain).toUtf8();
        plain = end + 1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        const char* escape = shortEscape(u);
        if (!escape && u >= 0x20)
            continue;
        flush(i);
        if (escape)
            out += escape;
        else
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0')).toLatin1();
    }
    flush(text.size());
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

// Whether a spreadsheet program would take a text cell for a formula or a command: it begins with
// "=", "+", "-", "@", a tab or a carriage return. A number ("-5", "+3.5", "-12.50%") is left as
// it is.
bool formulaLike(const QString& text)
{
    if (text.isEmpty())
        return false;
    const QChar first = text[0];
    if (first != QLatin1Char('=') && first != QLatin1Char('+') && first != QLatin1Char('-') && first != QLatin1Char('@')
        && first != QLatin1Char('\t') && first != QLatin1Char('\r'))
        return false;
    const QString figure = text.endsWith(QLatin1Char('%')) ? text.chopped(1) : text;
    return Sheet::typedValue(figure).kind != CellValue::Kind::Number;
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

QByteArray detailJson(const QString& title, const QString& figure, const ReportGrid& list)
{
    QByteArray out = "{\"title\": ";
    appendJsonString(out, title);
    out += ",\n \"figure\": ";
    appendJsonString(out, figure);
    out += ",\n \"columns\": [";
    for (int c = 0; c < list.cols(); ++c) {
        if (c)
            out += ", ";
        appendJsonString(out, list.text(0, c));
    }
    out += "],\n \"orders\": [";
    // the rows between the captions and the closing line
    for (int r = 1; r + 1 < list.rows(); ++r) {
        out += r > 1 ? ",\n  [" : "\n  [";
        for (int c = 0; c < list.cols(); ++c) {
            if (c)
                out += ", ";
            appendJsonString(out, list.text(r, c));
        }
        out += ']';
    }
    out += list.rows() > 2 ? "\n ]}\n" : "]}\n";
    return out;
}

QByteArray gridCsv(const ReportGrid& grid, bool byteOrderMark)
{
    QByteArray out = byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    for (int r = 0; r < grid.rows(); ++r) {
        for (int c = 0; c < grid.cols(); ++c) {
            if (c)
                out += ',';
            QString text = grid.text(r, c);
            if (formulaLike(text))
                text.prepend(QLatin1Char('\''));
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
