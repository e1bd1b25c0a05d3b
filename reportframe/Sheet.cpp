#include "Sheet.h"

#include <algorithm>

namespace trellum {

namespace {

// A typed entry: a text that reads wholly as a decimal number is stored as that number.
CellValue typedEntry(const QString& text)
{
    CellValue v;
    if (text.isEmpty())
        return v;
    const QString t = text.trimmed();
    bool ok = false;
    double d = 0;
    // digits, an optional sign and one decimal point; no hex, no blanks inside, no thousands
    bool shape = !t.isEmpty();
    int digits = 0, points = 0;
    for (qsizetype i = 0; i < t.size() && shape; ++i) {
        const QChar ch = t[i];
        if (ch.isDigit() && ch.unicode() < 128)
            ++digits;
        else if (ch == QLatin1Char('.'))
            ++points;
        else if ((ch == QLatin1Char('-') || ch == QLatin1Char('+')) && i == 0)
            ;
        else
            shape = false;
    }
    if (shape && digits > 0 && points <= 1)
        d = t.toDouble(&ok);
    if (ok) {
        v.kind = CellValue::Kind::Number;
        v.number = d;
    } else {
        v.kind = CellValue::Kind::Text;
        v.text = text;
    }
    return v;
}

} // namespace

template <typename F>
void Sheet::forEach(const SheetRange& range, F&& f)
{
    for (int r = range.top; r <= range.bottom; ++r)
        for (int c = range.left; c <= range.right; ++c)
            f(m_cells[{ r, c }].second);
}

void Sheet::setText(int row, int col, const QString& text)
{
    if (row < 1 || col < 1)
        return;
    m_cells[{ row, col }].first = typedEntry(text);
}

void Sheet::merge(const SheetRange& range)
{
    if (range.top < 1 || range.left < 1 || range.bottom < range.top || range.right < range.left)
        return;
    m_merges.erase(std::remove_if(m_merges.begin(), m_merges.end(),
                                  [&](const SheetRange& m) { return m.overlaps(range); }),
                   m_merges.end());
    if (range.top == range.bottom && range.left == range.right)
        return;
    m_merges.push_back(range);
}

void Sheet::setAlignment(const SheetRange& range, SheetAlign align)
{
    forEach(range, [&](CellStyle& s) { s.align = align; });
}

void Sheet::setColumnWidth(int col, double chars)
{
    if (col >= 1)
        m_colWidths[col] = std::max(0.0, chars);
}

void Sheet::setRowHeight(int row, double points)
{
    if (row >= 1)
        m_rowHeights[row] = std::max(0.0, points);
}

void Sheet::setRowWrap(int row, bool wrap)
{
    if (row >= 1)
        m_rowWrap[row] = wrap;
}

void Sheet::setNumberFormat(const SheetRange& range, const QString& format)
{
    forEach(range, [&](CellStyle& s) { s.numberFormat = format; });
}

void Sheet::setFill(const SheetRange& range, BgrColour colour)
{
    forEach(range, [&](CellStyle& s) { s.fill = colour; });
}

void Sheet::setFontName(const SheetRange& range, const QString& name)
{
    forEach(range, [&](CellStyle& s) { s.fontName = name; });
}

void Sheet::setFontBold(const SheetRange& range, bool bold)
{
    forEach(range, [&](CellStyle& s) { s.bold = bold; });
}

void Sheet::setFontSize(const SheetRange& range, double points)
{
    forEach(range, [&](CellStyle& s) { s.fontSize = points; });
}

void Sheet::setBorders(const SheetRange& range)
{
    forEach(range, [&](CellStyle& s) { s.border = true; });
}

CellValue Sheet::value(int row, int col) const
{
    const auto it = m_cells.find({ row, col });
    return it == m_cells.end() ? CellValue() : it->second.first;
}

CellStyle Sheet::style(int row, int col) const
{
    const auto it = m_cells.find({ row, col });
    CellStyle s = it == m_cells.end() ? CellStyle() : it->second.second;
    const auto w = m_rowWrap.find(row);
    if (w != m_rowWrap.end() && w->second)
        s.wrap = true;
    return s;
}

int Sheet::lastRow() const
{
    int last = 0;
    for (const auto& [pos, cell] : m_cells)
        last = std::max(last, pos.first);
    for (const SheetRange& m : m_merges)
        last = std::max(last, m.bottom);
    return last;
}

int Sheet::lastColumn() const
{
    int last = 0;
    for (const auto& [pos, cell] : m_cells)
        last = std::max(last, pos.second);
    for (const SheetRange& m : m_merges)
        last = std::max(last, m.right);
    return last;
}

} // namespace trellum
