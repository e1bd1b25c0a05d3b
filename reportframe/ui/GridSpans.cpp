#include "GridSpans.h"

#include <algorithm>

namespace trellum {

std::vector<CellSpan> GridSpans::compute(const ReportGrid& grid)
{
    std::vector<CellSpan> out;
    if (!grid.mergeCells())
        return out;
    // Only the header rows merge: a figure shown once over two data rows would be read, and
    // added up, once.
    const int rows = std::min(grid.fixedRows(), grid.rows());
    const int cols = grid.cols();
    const int fixedCols = std::min(grid.fixedCols(), cols);
    auto sameBand = [](int a, int b, int fixed) { return (a < fixed) == (b < fixed); };

    // Runs across: width[r][c] is the width of the run starting at (r, c), 0 inside a run.
    std::vector<std::vector<int>> width(std::size_t(rows), std::vector<int>(std::size_t(cols), 1));
    for (int r = 0; r < rows; ++r) {
        if (!grid.mergeRow(r))
            continue;
        for (int c = 0; c < cols;) {
            const QString t = grid.text(r, c);
            int end = c + 1;
            if (!t.isEmpty())
                while (end < cols && sameBand(c, end, fixedCols) && grid.text(r, end) == t)
                    ++end;
            width[std::size_t(r)][std::size_t(c)] = end - c;
            for (int k = c + 1; k < end; ++k)
                width[std::size_t(r)][std::size_t(k)] = 0;
            c = end;
        }
    }

    // Runs down: a run continues into the next row when that row starts the same run there.
    std::vector<std::vector<bool>> taken(std::size_t(rows), std::vector<bool>(std::size_t(cols), false));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const int w = width[std::size_t(r)][std::size_t(c)];
            if (w == 0 || taken[std::size_t(r)][std::size_t(c)])
                continue;
            const QString t = grid.text(r, c);
            bool flagged = !t.isEmpty();
            for (int k = c; k < c + w && flagged; ++k)
                flagged = grid.mergeCol(k);
            int end = r + 1;
            if (flagged)
                while (end < rows && width[std::size_t(end)][std::size_t(c)] == w
                       && !taken[std::size_t(end)][std::size_t(c)] && grid.text(end, c) == t)
                    ++end;
            for (int k = r + 1; k < end; ++k)
                taken[std::size_t(k)][std::size_t(c)] = true;
            if (w > 1 || end - r > 1)
                out.push_back(CellSpan { r, c, end - r, w });
        }
    }
    return out;
}

} // namespace trellum
