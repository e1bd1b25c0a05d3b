#pragma once

#include "GridSpans.h"
#include "ReportGrid.h"

#include <QTableView>

#include <array>
#include <vector>

namespace trellum {

class GridModel;

// The result grid on screen (MSFlexGrid1): shows a ReportGrid with its merged cells, sizes in
// twips, word wrap and cell colours, and keeps the header rows and the header column in place
// while the data scroll (three frozen views laid over the scrolling one). The mouse and the
// keyboard move the current cell among the data cells; the grid's current row and column follow.
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

Q_SIGNALS:
    // The user moved the current cell; the grid's row and col are already set to it.
    void currentCellChanged(int row, int col);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void gridChanged();
    void setUpView(QTableView* view) const;
    void applySizes(QTableView* view) const;
    void applySpans(QTableView* view) const;
    void placeOverlays();
    void syncCurrent();
    int fixedHeight() const;
    int fixedWidth() const;

    ReportGrid* m_grid = nullptr;
    GridModel* m_model = nullptr;
    std::array<QTableView*, 3> m_overlays {};
    std::vector<CellSpan> m_spans;
    bool m_syncing = false;
};

} // namespace trellum
