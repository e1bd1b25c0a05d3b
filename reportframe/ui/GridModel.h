#pragma once

#include "ReportGrid.h"

#include <QAbstractTableModel>

namespace trellum {

// The result grid as an item model: texts, backgrounds (header cells in the button-face colour,
// other cells in their own colour or the window colour), the grid font and the alignments.
class GridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    // Shows another grid (nullptr: none).
    void setGrid(const ReportGrid* grid);
    const ReportGrid* grid() const { return m_grid; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The grid changed: a reset when its row or column count changed, else every cell repaints.
    // Returns true when it was a reset.
    bool gridChanged();

private:
    const ReportGrid* m_grid = nullptr;
    int m_rows = 0;
    int m_cols = 0;
};

} // namespace trellum
