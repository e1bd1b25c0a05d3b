#pragma once

#include "ReportGrid.h"
#include "ReportInfo.h"

namespace trellum {

// HighlightCurrentRow: the data row the user moved to is shown light grey, the row shown grey
// before goes back to the window colour. Which rows react, whether the totals row is left alone
// and from which column on the row is coloured differ per window (ReportInfo).
class RowHighlighter {
public:
    explicit RowHighlighter(const ReportInfo& info)
        : m_info(info)
    {
    }

    // Reacts to the grid's current row; does nothing for a header row or an excluded totals row.
    // A remembered row that a later, smaller run removed is not repainted, and is forgotten.
    void HighlightCurrentRow(ReportGrid& grid);

    // The row shown highlighted (HighlightedRow); 0 for none.
    int highlightedRow() const { return m_row; }
    // Forgets the highlighted row without repainting it.
    void reset() { m_row = 0; }

private:
    void paintRow(ReportGrid& grid, int row, std::optional<BgrColour> colour) const;

    const ReportInfo& m_info;
    int m_row = 0;
};

} // namespace trellum
