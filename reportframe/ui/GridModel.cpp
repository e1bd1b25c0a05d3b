#include "GridModel.h"

#include "UiLook.h"

#include <QApplication>
#include <QBrush>
#include <QPalette>

namespace trellum {

namespace {

Qt::Alignment alignment(CellAlign align)
{
    switch (align) {
    case CellAlign::Left: return Qt::AlignLeft | Qt::AlignVCenter;
    case CellAlign::Centre: return Qt::AlignHCenter | Qt::AlignVCenter;
    case CellAlign::Right: return Qt::AlignRight | Qt::AlignVCenter;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

} // namespace

GridModel::GridModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void GridModel::setGrid(const ReportGrid* grid)
{
    beginResetModel();
    m_grid = grid;
    m_rows = grid ? grid->rows() : 0;
    m_cols = grid ? grid->cols() : 0;
    endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!m_grid || !index.isValid())
        return QVariant();
    const int r = index.row();
    const int c = index.column();
    const bool fixed = r < m_grid->fixedRows() || c < m_grid->fixedCols();
    switch (role) {
    case Qt::DisplayRole:
        return m_grid->text(r, c);
    case Qt::BackgroundRole: {
        if (const std::optional<BgrColour> own = m_grid->background(r, c))
            return QBrush(UiLook::colour(*own));
        const QPalette palette = QApplication::palette();
        return QBrush(palette.color(fixed ? QPalette::Button : QPalette::Base));
    }
    case Qt::ForegroundRole:
        return QBrush(QApplication::palette().color(fixed ? QPalette::ButtonText : QPalette::Text));
    case Qt::FontRole:
        return UiLook::gridFont();
    case Qt::TextAlignmentRole:
        return int(alignment(r < m_grid->fixedRows() ? m_grid->headerAlign(c) : m_grid->columnAlign(c)));
    default:
        return QVariant();
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

bool GridModel::gridChanged()
{
    const int rows = m_grid ? m_grid->rows() : 0;
    const int cols = m_grid ? m_grid->cols() : 0;
    if (rows != m_rows || cols != m_cols) {
        beginResetModel();
        m_rows = rows;
        m_cols = cols;
        endResetModel();
        return true;
    }
    if (m_rows > 0 && m_cols > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, m_cols - 1));
    return false;
}

} // namespace trellum
