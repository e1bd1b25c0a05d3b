#pragma once

#include "Sheet.h"

#include <vector>

namespace trellum {

// The printed size of a sheet as a spreadsheet program draws it, and how it goes onto A4 paper:
// the same answer for the workbook's page setup and for the pages the program prints itself.
namespace PageGeometry {

// A4 in points.
constexpr double kA4Short = 595.28;
constexpr double kA4Long = 841.89;
// Margins in points: left and right, top, bottom (the bottom one holds the page number).
constexpr double kMarginSide = 36;
constexpr double kMarginTop = 36;
constexpr double kMarginBottom = 50;
// Default column width in character units and row height in points.
constexpr double kDefaultColumnChars = 8.43;
constexpr double kDefaultRowPoints = 15;

// Width in points of a column `chars` character units wide.
double columnPoints(double chars);
// The width of every column from 1 to the sheet's last column, in points (index 0 is column 1).
std::vector<double> columnWidths(const Sheet& sheet);
// The height of a row in points.
double rowHeight(const Sheet& sheet, int row);
// Whether the form goes onto landscape paper: it is wider than an upright page's printable width.
bool landscape(const Sheet& sheet);

} // namespace PageGeometry

} // namespace trellum
