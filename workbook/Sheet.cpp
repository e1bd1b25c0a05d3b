#include "Sheet.h"

#include <algorithm>

namespace trellum {

namespace {

bool valid(const SheetRange& r)
{
    return r.top >= 1 && r.left >= 1 && r.bottom >= r.top && r.right >= r.left;
}

} // namespace

CellValue Sheet::typedValue(const QString& text)
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

template <typename F>
void Sheet::forEach(const SheetRange& range, F&& f)
{
    if (!valid(range))
        return;
    for (int r = range.top; r <= range.bottom; ++r)
        for (int c = range.left; c <= range.right; ++c)
            f(m_cells[{ r, c }].second);
}

void Sheet::setText(int row, int col, const QString& text)
{
    if (row < 1 || col < 1)
        return;
    // only the top-left cell of a merged area holds its value
    const std::optional<SheetRange> area = mergeAt(row, col);
    if (area && (area->top != row || area->left != col))
        return;
    m_cells[{ row, col }].first = typedValue(text);
}

void Sheet::merge(const SheetRange& range)
{
    if (!valid(range) || range.isSingleCell())
        return;
    m_merges.erase(std::remove_if(m_merges.begin(), m_merges.end(),
                                  [&](const SheetRange& m) { return m.overlaps(range); }),
                   m_merges.end());
    // the first value of the rectangle, row by row, becomes the merged area's value
    std::optional<CellValue> kept;
    for (auto it = m_cells.lower_bound({ range.top, range.left });
         it != m_cells.end() && it->first.first <= range.bottom; ++it) {
        const auto [row, col] = it->first;
        if (!range.contains(row, col))
            continue;
        if (!kept && it->second.first.kind != CellValue::Kind::Empty)
            kept = it->second.first;
        it->second.first = CellValue();
    }
    if (kept)
        m_cells[{ range.top, range.left }].first = *kept;
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

void Sheet::setPrintTitleRows(int first, int last)
{
    if (first >= 1 && last >= first)
        m_printTitles = std::make_pair(first, last);
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

std::optional<SheetRange> Sheet::mergeAt(int row, int col) const
{
    for (const SheetRange& m : m_merges)
        if (m.contains(row, col))
            return m;
    return std::nullopt;
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
