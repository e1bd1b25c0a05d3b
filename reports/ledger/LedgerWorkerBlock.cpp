#include "LedgerWorkerBlock.h"

#include "CellText.h"

namespace trellum {

namespace {
constexpr int kEmptyLines = 4;
constexpr int kLabelColumn = 2;
} // namespace

LedgerWorkerBlock::LedgerWorkerBlock(ReportGrid& grid)
    : m_grid(grid)
{
}

void LedgerWorkerBlock::addWorkerLine(const QString& name, const QString& hours, const QString& standard,
                                      const QString& labour, const QString& material)
{
    const int r = appendNumberedRow(m_grid);
    m_grid.setText(r, 1, name);
    m_grid.setText(r, kLabelColumn, QStringLiteral("零星"));
    const std::array<QString, 4> figures = { hours, standard, labour, material };
    for (std::size_t i = 0; i < kFigureColumns.size(); ++i) {
        m_grid.setText(r, kFigureColumns[i], figures[i]);
        // the sum adds what the line shows, already rounded to two decimals
        m_sums[i] += cellNumber(m_grid.text(r, kFigureColumns[i]));
    }
}

void LedgerWorkerBlock::close()
{
    for (int i = 0; i < kEmptyLines; ++i)
        appendNumberedRow(m_grid);
    const int r = appendNumberedRow(m_grid);
    writeSumLine(m_grid, r, QStringLiteral("合计"), m_sums, kSubtotalColour);
}

int LedgerWorkerBlock::appendNumberedRow(ReportGrid& grid)
{
    const int r = grid.appendRow();
    grid.setRow(r);
    grid.setText(r, 0, QString::number(r - grid.fixedRows() + 1));
    return r;
}

void LedgerWorkerBlock::writeSumLine(ReportGrid& grid, int row, const QString& label,
                                     const std::array<double, 4>& sums, BgrColour colour)
{
    grid.setText(row, kLabelColumn, label);
    for (std::size_t i = 0; i < kFigureColumns.size(); ++i)
        grid.setText(row, kFigureColumns[i], formatNumber(sums[i], QStringLiteral("0.00")));
    for (int c = 1; c < grid.cols(); ++c)
        grid.setBackground(row, c, colour);
}

} // namespace trellum
