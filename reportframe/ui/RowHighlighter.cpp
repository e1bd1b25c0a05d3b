#include "RowHighlighter.h"

#include "RedrawPause.h"

namespace trellum {

namespace {
const QString kTotalsLabel = QStringLiteral("合计");
}

void RowHighlighter::paintRow(ReportGrid& grid, int row, std::optional<BgrColour> colour) const
{
    grid.setRow(row);
    for (int c = m_info.highlight.firstColouredColumn; c < grid.cols(); ++c)
        grid.setBackground(row, c, colour);
}

void RowHighlighter::HighlightCurrentRow(ReportGrid& grid)
{
    const int current = grid.row();
    if (current < m_info.highlight.firstReactingRow)
        return;
    if (m_info.highlight.totalsLabelColumn >= 0 && grid.text(current, m_info.highlight.totalsLabelColumn) == kTotalsLabel)
        return;
    const RedrawPause pause(grid);
    if (m_row != 0) {
        if (m_row < grid.rows())
            paintRow(grid, m_row, std::nullopt);
        m_row = 0;
    }
    grid.setRow(current);
    m_row = current;
    paintRow(grid, current, kHighlightColour);
}

} // namespace trellum
