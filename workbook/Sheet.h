#pragma once

#include "ReportGrid.h"

#include <QString>

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace trellum {

// A rectangle of sheet cells, rows and columns counted from 1 (row 1, column 1 is A1).
struct SheetRange {
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;
    // One cell as a range.
    static SheetRange cell(int row, int col) { return { row, col, row, col }; }
    bool contains(int row, int col) const { return row >= top && row <= bottom && col >= left && col <= right; }
    bool overlaps(const SheetRange& o) const
    {
        return top <= o.bottom && o.top <= bottom && left <= o.right && o.left <= right;
    }
    // A range of one cell is no merge.
    bool isSingleCell() const { return top == bottom && left == right; }
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
// offers and written to a file at the end. Operations on ranges apply to every cell of the range,
// so a border or fill given to a merged area is carried by each of its cells.
//
// Merged areas never overlap. A merged area shows one value, kept in its top-left cell: merging
// moves the first value found (row by row) there and empties the other cells, and a text put into
// any other cell of a merged area is dropped. A merge that overlaps merged areas replaces them:
// they are unmerged first (their cells keep their styles and stay empty). A single cell is no
// merge; "merging" it changes nothing.
class Sheet {
public:
    // The typed entry a text becomes: digits with an optional sign and one decimal point (blanks
    // around allowed) are a number, "" is empty, anything else is text.
    static CellValue typedValue(const QString& text);

    // Puts a text into a cell as a typed entry ("12.50" becomes the number 12.5; "" empties it).
    void setText(int row, int col, const QString& text);
    // Merges the rectangle into one cell showing the top-left value (see the class comment).
    void merge(const SheetRange& range);
    // Horizontal alignment of every cell of the range.
    void setAlignment(const SheetRange& range, SheetAlign align);
    // Column width in character units.
    void setColumnWidth(int col, double chars);
    // Row height in points.
    void setRowHeight(int row, double points);
    // Wraps long texts in every cell of the row.
    void setRowWrap(int row, bool wrap);
    // Display format code ("#0", "#0.00") of every cell of the range.
    void setNumberFormat(const SheetRange& range, const QString& format);
    // Fills the range with a blue-green-red colour.
    void setFill(const SheetRange& range, BgrColour colour);
    // Font name of the range.
    void setFontName(const SheetRange& range, const QString& name);
    // Bold font in the range.
    void setFontBold(const SheetRange& range, bool bold);
    // Font size of the range, in points.
    void setFontSize(const SheetRange& range, double points);
    // Thin continuous lines around every cell of the range.
    void setBorders(const SheetRange& range);
    // Rows printed again at the top of every page (the column headers).
    void setPrintTitleRows(int first, int last);

    // The value a cell holds (empty for a cell never written).
    CellValue value(int row, int col) const;
    // The style of a cell, its row's wrap included.
    CellStyle style(int row, int col) const;
    // The merged area a cell belongs to, if any.
    std::optional<SheetRange> mergeAt(int row, int col) const;
    // The merged areas, in the order they were made.
    const std::vector<SheetRange>& merges() const { return m_merges; }
    // Column widths in character units, by column.
    const std::map<int, double>& columnWidths() const { return m_colWidths; }
    // Row heights in points, by row.
    const std::map<int, double>& rowHeights() const { return m_rowHeights; }
    // The rows printed at the top of every page, first and last, if any.
    std::optional<std::pair<int, int>> printTitleRows() const { return m_printTitles; }
    // Rows whose wrap was set, by row.
    const std::map<int, bool>& rowWraps() const { return m_rowWrap; }
    // The last row and column that hold a value, a style or a merge (0 for an empty sheet).
    int lastRow() const;
    int lastColumn() const;
    // Every cell that has a value or a style, row by row (cell styles without their row's wrap).
    const std::map<std::pair<int, int>, std::pair<CellValue, CellStyle>>& cells() const { return m_cells; }

private:
    template <typename F>
    void forEach(const SheetRange& range, F&& f);

    std::map<std::pair<int, int>, std::pair<CellValue, CellStyle>> m_cells;
    std::vector<SheetRange> m_merges;
    std::map<int, double> m_colWidths;
    std::map<int, double> m_rowHeights;
    std::map<int, bool> m_rowWrap;
    std::optional<std::pair<int, int>> m_printTitles;
};

} // namespace trellum
