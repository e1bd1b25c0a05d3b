#pragma once

#include "GridSpans.h"
#include "ReportGrid.h"

#include <QTableView>

#include <array>
#include <map>
#include <vector>

namespace trellum {

class GridModel;

// The result grid on screen (MSFlexGrid1): shows a ReportGrid with its merged cells, sizes in
// twips, word wrap and cell colours, and keeps the header rows, the header column and the names
// column beside it in place while the data scroll (three frozen views laid over the scrolling
// one). The mouse and the keyboard move the current cell among the data cells; the grid's current
// row and column follow. A column widens or narrows by dragging its edge in the header rows (for
// this showing only); a rectangle of data cells is selected with the mouse or Shift and copied
// with Ctrl+C as tab-separated lines; the context menu offers 复制 and 导出Excel.
class FlexGrid final : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget* parent = nullptr);
    ~FlexGrid() override;

    // Shows `grid` and follows its changes from now on (nullptr: shows nothing). The owner detaches
    // the grid before it goes.
    void setGrid(ReportGrid* grid);
    ReportGrid* grid() const { return m_grid; }

    // The merged cells now shown.
    const std::vector<CellSpan>& spans() const { return m_spans; }
    // The frozen views: the header rows, the header column, and the corner where they meet.
    QTableView* frozenRows() const { return m_overlays[0]; }
    QTableView* frozenColumn() const { return m_overlays[1]; }
    QTableView* frozenCorner() const { return m_overlays[2]; }
    // Where a cell shows in the scrolling view's viewport (to click it).
    QRect cellRect(int row, int col) const;
    // Scrolls a data cell into view, clear of the frozen header rows and column.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    // The columns kept in view on horizontal scroll: the header column and the names column.
    int frozenCols() const;
    // The selected rectangle (or the current cell) as tab-separated lines, as spreadsheets paste them.
    QString selectionText() const;
    // Copies selectionText() to the clipboard.
    void copySelection();

Q_SIGNALS:
    // 导出Excel was chosen in the context menu.
    void exportRequested();
    // The user moved the current cell; the grid's row and col are already set to it.
    void currentCellChanged(int row, int col);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void gridChanged();
    void setUpView(QTableView* view) const;
    void applySizes(QTableView* view) const;
    void applySpans(QTableView* view) const;
    void placeOverlays();
    void syncCurrent();
    int fixedHeight() const;
    int fixedWidth() const;
    int headerFitWidth(int col) const;
    int edgeAt(const QTableView* view, int x) const;
    bool resizeFromHeader(QTableView* view, QEvent* event);
    void setColumnWidthEverywhere(int col, int px);

    ReportGrid* m_grid = nullptr;
    GridModel* m_model = nullptr;
    std::array<QTableView*, 3> m_overlays {};
    std::vector<CellSpan> m_spans;
    bool m_syncing = false;
    std::map<int, int> m_userWidths; // columns the user has dragged, in pixels
    int m_resizing = -1;             // the column whose edge is being dragged
    int m_resizeFrom = 0;            // where the drag started (global x) ...
    int m_resizeWidth = 0;           // ... and the column's width then
};

} // namespace trellum
