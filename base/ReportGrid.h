#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace trellum {

// Data alignment of a grid column, from the first character of its format string entry.
enum class CellAlign { Left, Centre, Right };

// A 24-bit colour in blue-green-red order (0xFFC0C0 is red 192, green 192, blue 255).
using BgrColour = std::uint32_t;

inline constexpr BgrColour kTotalColour = 0xFFC0C0;
inline constexpr BgrColour kSubtotalColour = 0xFFFFC0;
inline constexpr BgrColour kHighlightColour = 0xE0E0E0;

// The result grid of a report window: a table of text cells with fixed header rows and one
// fixed header column, merge flags, sizes in twips, a current cell and a redraw switch.
// Plain model: the window's view observes it, the report code fills it.
class ReportGrid {
public:
    ReportGrid();

    int rows() const { return int(m_cells.size()); }
    int cols() const { return m_cols; }
    // Sets the row count; rows beyond it are dropped, new rows are empty.
    void setRows(int count);
    // Sets the column count; new columns are empty, centred, 1000 twips wide.
    void setCols(int count);
    // Appends one empty row and returns its index.
    int appendRow();

    int fixedRows() const { return m_fixedRows; }
    void setFixedRows(int count);
    int fixedCols() const { return m_fixedCols; }
    void setFixedCols(int count);

    // Text of a cell; empty for a cell outside the grid.
    QString text(int row, int col) const;
    // Writes a cell; a write outside the grid is ignored.
    void setText(int row, int col, const QString& text);

    // "^|< |> ..." : one entry per column, alignment code then the text of header row 0.
    void setFormatString(const QString& format);
    QString formatString() const { return m_formatString; }
    CellAlign columnAlign(int col) const;
    void setColumnAlign(int col, CellAlign align);
    CellAlign headerAlign(int col) const;
    void setHeaderAlign(int col, CellAlign align);

    // Free merging: equal neighbouring texts of a flagged row (across) or column (down) show as one.
    bool mergeCells() const { return m_mergeCells; }
    void setMergeCells(bool on);
    bool mergeRow(int row) const;
    void setMergeRow(int row, bool on);
    bool mergeCol(int col) const;
    void setMergeCol(int col, bool on);

    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on);

    // Sizes in twips (1/1440 inch).
    int colWidth(int col) const;
    void setColWidth(int col, int twips);
    int rowHeight(int row) const;
    void setRowHeight(int row, int twips);
    static constexpr int kDefaultRowHeight = 285;
    static constexpr int kDefaultColWidth = 1000;

    // What a run keeps of the record behind a row (an office's or a worker's codes); empty for
    // header, empty and totals rows. It travels with the row and is never shown.
    QStringList rowKey(int row) const;
    void setRowKey(int row, const QStringList& key);

    // Background of a cell; nullopt is the window colour (unset).
    std::optional<BgrColour> background(int row, int col) const;
    void setBackground(int row, int col, std::optional<BgrColour> colour);

    // The current cell and the operations on it.
    int row() const { return m_row; }
    int col() const { return m_col; }
    void setRow(int row);
    void setCol(int col);
    QString cellText() const { return text(m_row, m_col); }
    void setCellText(const QString& text) { setText(m_row, m_col, text); }
    std::optional<BgrColour> cellBackground() const { return background(m_row, m_col); }
    void setCellBackground(std::optional<BgrColour> colour) { setBackground(m_row, m_col, colour); }

    // While redraw is off, changes are collected and the observer hears of them when it goes on.
    bool redraw() const { return m_redraw; }
    void setRedraw(bool on);
    bool visible() const { return m_visible; }
    void setVisible(bool on);

    // The view's hook: called after a change while redraw is on (or when redraw returns).
    void setObserver(std::function<void()> observer) { m_observer = std::move(observer); }
    // A copy of the whole grid that no view observes (a run fills it on a thread of its own).
    ReportGrid detachedCopy() const;
    // Takes over everything another grid holds but keeps its own observer, which hears of it once.
    void takeOver(ReportGrid&& other);

    // The whole grid's texts, row by row, header rows included.
    std::vector<std::vector<QString>> texts() const;

private:
    struct Cell {
        QString text;
        std::optional<BgrColour> background;
    };
    struct Column {
        CellAlign align = CellAlign::Left;
        CellAlign headerAlign = CellAlign::Centre;
        int width = kDefaultColWidth;
        bool merge = false;
    };
    struct RowInfo {
        int height = kDefaultRowHeight;
        bool merge = false;
        QStringList key;
    };

    void changed();
    bool inside(int row, int col) const { return row >= 0 && col >= 0 && row < rows() && col < m_cols; }

    std::vector<std::vector<Cell>> m_cells;
    std::vector<RowInfo> m_rowInfo;
    std::vector<Column> m_columns;
    int m_cols = 0;
    int m_fixedRows = 1;
    int m_fixedCols = 1;
    QString m_formatString;
    bool m_mergeCells = false;
    bool m_wordWrap = false;
    int m_row = 0;
    int m_col = 0;
    bool m_redraw = true;
    bool m_pending = false;
    bool m_visible = true;
    std::function<void()> m_observer;
};

} // namespace trellum
