#include "PageGeometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace trellum::PageGeometry {

double columnPoints(double chars)
{
    // a character unit is 7 pixels of the default font plus 5 pixels of padding, at 96 pixels per inch
    const double pixels = chars < 1 ? std::floor(chars * 12 + 0.5) : std::floor(chars * 7 + 0.5) + 5;
    return pixels * 0.75;
}

std::vector<double> columnWidths(const Sheet& sheet)
{
    std::vector<double> widths;
    const int last = sheet.lastColumn();
    widths.reserve(std::size_t(std::max(last, 0)));
    for (int c = 1; c <= last; ++c) {
        const auto it = sheet.columnWidths().find(c);
        widths.push_back(columnPoints(it == sheet.columnWidths().end() ? kDefaultColumnChars : it->second));
    }
    return widths;
}

double rowHeight(const Sheet& sheet, int row)
{
    const auto it = sheet.rowHeights().find(row);
    return it == sheet.rowHeights().end() ? kDefaultRowPoints : it->second;
}

bool landscape(const Sheet& sheet)
{
    const std::vector<double> widths = columnWidths(sheet);
    return std::accumulate(widths.begin(), widths.end(), 0.0) > kA4Short - 2 * kMarginSide;
}

} // namespace trellum::PageGeometry
