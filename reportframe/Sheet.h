#pragma once

#include "ReportGrid.h"

#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace trellum {

// A rectangle of sheet cells, rows and columns counted from 1 (row 1, column 1 is A1).
struct SheetRange {
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;
    static SheetRange cell(int row, int col) { return { row, col, row, col }; }
    bool contains(int row, int col) const { return row >= top && row <= bottom && col >= left && col <= right; }
    bool overlaps(const SheetRange& o) const
    {
        return top <= o.bottom && o.top <= bottom && left <= o.right && o.left <= right;
    }
    bool operator==(const SheetRange&) const = default;
};

enum class SheetAlign { General, Left, Centre, Right };

// The style of one cell, as the operations on it have left it.
struct CellStyle {
    SheetAlign align = SheetAlign::General;
    QString numberFormat;              // "" is General
    std::optional<BgrColour> fill;
    QString fontName;                  // "" is the sheet's default font
    bool bold = false;
    double fontSize = 0;               // 0 is the default size
    bool border = false;               // thin continuous lines on all four sides
    bool wrap = false;
    bool operator==(const CellStyle&) const = default;
};

// A typed cell value: a text that reads as a number is stored as the number.
struct CellValue {
    enum class Kind { Empty, Number, Text } kind = Kind::Empty;
    double number = 0;
    QString text;
};

// The first sheet of a new workbook, built in memory by the operations a spreadsheet application
// offers and written to a file at the end. Operations on ranges apply to every cell of the range.
class Sheet {
public:
    // Puts a text into a cell as a typed entry ("12.50" becomes the number 12.5; "" empties it).
    void setText(int row, int col, const QString& text);
    // Merges the rectangle into one cell showing the top-left value. A merge that overlaps merged
    // areas replaces them (they are unmerged first).
    void merge(const SheetRange& range);
    void setAlignment(const SheetRange& range, SheetAlign align);
    // Column width in character units.
    void setColumnWidth(int col, double chars);
    // Row height in points.
    void setRowHeight(int row, double points);
    void setRowWrap(int row, bool wrap);
    void setNumberFormat(const SheetRange& range, const QString& format);
    void setFill(const SheetRange& range, BgrColour colour);
    void setFontName(const SheetRange& range, const QString& name);
    void setFontBold(const SheetRange& range, bool bold);
    void setFontSize(const SheetRange& range, double points);
    void setBorders(const SheetRange& range);

    // What the operations left.
    CellValue value(int row, int col) const;
    CellStyle style(int row, int col) const;
    const std::vector<SheetRange>& merges() const { return m_merges; }
    const std::map<int, double>& columnWidths() const { return m_colWidths; }
    const std::map<int, double>& rowHeights() const { return m_rowHeights; }
    const std::map<int, bool>& rowWraps() const { return m_rowWrap; }
    int lastRow() const;
    int lastColumn() const;
    // Every cell that has a value or a style, row by row.
    const std::map<std::pair<int, int>, std::pair<CellValue, CellStyle>>& cells() const { return m_cells; }

private:
    template <typename F>
    void forEach(const SheetRange& range, F&& f);

    std::map<std::pair<int, int>, std::pair<CellValue, CellStyle>> m_cells;
    std::vector<SheetRange> m_merges;
    std::map<int, double> m_colWidths;
    std::map<int, double> m_rowHeights;
    std::map<int, bool> m_rowWrap;
};

} // namespace trellum
