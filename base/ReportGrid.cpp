#include "ReportGrid.h"

#include <QStringList>

#include <algorithm>

namespace trellum {

ReportGrid::ReportGrid() = default;

void ReportGrid::setRows(int count)
{
    count = std::max(0, count);
    m_cells.resize(std::size_t(count), std::vector<Cell>(std::size_t(m_cols)));
    m_rowInfo.resize(std::size_t(count));
    m_row = std::min(m_row, std::max(0, count - 1));
    changed();
}

void ReportGrid::setCols(int count)
{
    count = std::max(0, count);
    m_cols = count;
    for (auto& r : m_cells)
        r.resize(std::size_t(count));
    m_columns.resize(std::size_t(count));
    m_col = std::min(m_col, std::max(0, count - 1));
    changed();
}

int ReportGrid::appendRow()
{
    m_cells.emplace_back(std::size_t(m_cols));
    m_rowInfo.emplace_back();
    changed();
    return rows() - 1;
}

void ReportGrid::setFixedRows(int count)
{
    m_fixedRows = std::max(0, count);
    changed();
}

void ReportGrid::setFixedCols(int count)
{
    m_fixedCols = std::max(0, count);
    changed();
}

QString ReportGrid::text(int row, int col) const
{
    return inside(row, col) ? m_cells[std::size_t(row)][std::size_t(col)].text : QString();
}

void ReportGrid::setText(int row, int col, const QString& text)
{
    if (!inside(row, col))
        return;
    m_cells[std::size_t(row)][std::size_t(col)].text = text;
    changed();
}

void ReportGrid::setFormatString(const QString& format)
{
    m_formatString = format;
    const QStringList entries = format.split(QLatin1Char('|'));
    for (int c = 0; c < entries.size() && c < m_cols; ++c) {
        QString entry = entries[c];
        CellAlign align = CellAlign::Left;
        if (!entry.isEmpty()) {
            const QChar code = entry.front();
            if (code == QLatin1Char('^') || code == QLatin1Char('<') || code == QLatin1Char('>')) {
                align = code == QLatin1Char('^') ? CellAlign::Centre
                      : code == QLatin1Char('>') ? CellAlign::Right
                                                 : CellAlign::Left;
                entry.remove(0, 1);
            }
        }
        m_columns[std::size_t(c)].align = align;
        if (rows() > 0)
            m_cells[0][std::size_t(c)].text = entry;
    }
    changed();
}

CellAlign ReportGrid::columnAlign(int col) const
{
    return col >= 0 && col < m_cols ? m_columns[std::size_t(col)].align : CellAlign::Left;
}

void ReportGrid::setColumnAlign(int col, CellAlign align)
{
    if (col >= 0 && col < m_cols) {
        m_columns[std::size_t(col)].align = align;
        changed();
    }
}

CellAlign ReportGrid::headerAlign(int col) const
{
    return col >= 0 && col < m_cols ? m_columns[std::size_t(col)].headerAlign : CellAlign::Centre;
}

void ReportGrid::setHeaderAlign(int col, CellAlign align)
{
    if (col >= 0 && col < m_cols) {
        m_columns[std::size_t(col)].headerAlign = align;
        changed();
    }
}

void ReportGrid::setMergeCells(bool on)
{
    m_mergeCells = on;
    changed();
}

bool ReportGrid::mergeRow(int row) const
{
    return row >= 0 && row < rows() && m_rowInfo[std::size_t(row)].merge;
}

void ReportGrid::setMergeRow(int row, bool on)
{
    if (row >= 0 && row < rows()) {
        m_rowInfo[std::size_t(row)].merge = on;
        changed();
    }
}

bool ReportGrid::mergeCol(int col) const
{
    return col >= 0 && col < m_cols && m_columns[std::size_t(col)].merge;
}

void ReportGrid::setMergeCol(int col, bool on)
{
    if (col >= 0 && col < m_cols) {
        m_columns[std::size_t(col)].merge = on;
        changed();
    }
}

void ReportGrid::setWordWrap(bool on)
{
    m_wordWrap = on;
    changed();
}

int ReportGrid::colWidth(int col) const
{
    return col >= 0 && col < m_cols ? m_columns[std::size_t(col)].width : 0;
}

void ReportGrid::setColWidth(int col, int twips)
{
    if (col >= 0 && col < m_cols) {
        m_columns[std::size_t(col)].width = std::max(0, twips);
        changed();
    }
}

int ReportGrid::rowHeight(int row) const
{
    return row >= 0 && row < rows() ? m_rowInfo[std::size_t(row)].height : 0;
}

void ReportGrid::setRowHeight(int row, int twips)
{
    if (row >= 0 && row < rows()) {
        m_rowInfo[std::size_t(row)].height = std::max(0, twips);
        changed();
    }
}

std::optional<BgrColour> ReportGrid::background(int row, int col) const
{
    return inside(row, col) ? m_cells[std::size_t(row)][std::size_t(col)].background : std::nullopt;
}

void ReportGrid::setBackground(int row, int col, std::optional<BgrColour> colour)
{
    if (!inside(row, col))
        return;
    m_cells[std::size_t(row)][std::size_t(col)].background = colour;
    changed();
}

void ReportGrid::setRow(int row)
{
    if (row >= 0 && row < rows())
        m_row = row;
}

void ReportGrid::setCol(int col)
{
    if (col >= 0 && col < m_cols)
        m_col = col;
}

void ReportGrid::setRedraw(bool on)
{
    m_redraw = on;
    if (on && m_pending)
        changed();
}

void ReportGrid::setVisible(bool on)
{
    m_visible = on;
    changed();
}

std::vector<std::vector<QString>> ReportGrid::texts() const
{
    std::vector<std::vector<QString>> out;
    out.reserve(m_cells.size());
    for (const auto& r : m_cells) {
        std::vector<QString> line;
        line.reserve(r.size());
        for (const auto& cell : r)
            line.push_back(cell.text);
        out.push_back(std::move(line));
    }
    return out;
}

ReportGrid ReportGrid::detachedCopy() const
{
    ReportGrid copy = *this;
    copy.m_observer = nullptr;
    return copy;
}

void ReportGrid::takeOver(ReportGrid&& other)
{
    std::function<void()> observer = std::move(m_observer);
    *this = std::move(other);
    m_observer = std::move(observer);
    m_redraw = true;
    changed();
}

void ReportGrid::changed()
{
    if (!m_redraw) {
        m_pending = true;
        return;
    }
    m_pending = false;
    if (m_observer)
        m_observer();
}

} // namespace trellum

namespace trellum {

QStringList ReportGrid::rowKey(int row) const
{
    return row >= 0 && row < rows() ? m_rowInfo[std::size_t(row)].key : QStringList();
}

void ReportGrid::setRowKey(int row, const QStringList& key)
{
    if (row >= 0 && row < rows())
        m_rowInfo[std::size_t(row)].key = key;
}

} // namespace trellum
