#include "CellDetailCheck.h"

#include "CellText.h"
#include "ReportCatalog.h"

#include <set>

namespace trellum::test {

namespace {

// The columns whose figures come from the calendar or from other cells, not from orders, and
// the never-filled ones (their totals show "0").
std::set<int> columnsWithoutOrders(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Completion:
        return { 0, 4, 7 };
    case ReportKind::Ledger:
        return { 0, 7 };
    case ReportKind::Performance:
        return { 0, 3, 5, 8, 9 };
    case ReportKind::MonthEnd:
        return { 0, 5, 11, 12, 17 };
    }
    return {};
}

QString cellName(const ReportGrid& grid, int row, int col)
{
    return QStringLiteral("row %1 (%2) column %3 (%4)")
        .arg(row)
        .arg(grid.text(row, 1) + grid.text(row, 2))
        .arg(col)
        .arg(grid.text(grid.fixedRows() - 1, col));
}

} // namespace

QString cellDisagreeingWithList(ReportKind kind, DbConnection& db, const RunInput& input, int* listed)
{
    const Report& report = findReport(kind);
    ReportGrid grid;
    report.layoutGrid(grid, input.categories);
    TypeAnalysis boxes;
    if (DbStatus s = report.run(db, input, grid, boxes))
        return QStringLiteral("the run failed: ") + reportErrorText(*s);
    const std::set<int> withoutOrders = columnsWithoutOrders(kind);
    int lists = 0;
    for (int row = grid.fixedRows(); row < grid.rows(); ++row) {
        for (int col = 0; col < grid.cols(); ++col) {
            const QString text = grid.text(row, col);
            const std::optional<CellDetail> detail = report.cellDetail(input, grid, row, col);
            if (!detail) {
                // a figure from orders without a list: a number in a row of the run's own
                const bool figure = !text.isEmpty() && col >= 2 && !withoutOrders.count(col)
                    && (text.front().isDigit() || text.front() == QLatin1Char('-'));
                if (figure)
                    return cellName(grid, row, col) + QStringLiteral(" shows ") + text + QStringLiteral(" and lists nothing");
                continue;
            }
            if (withoutOrders.count(col))
                return cellName(grid, row, col) + QStringLiteral(" offers a list, though not a figure from orders");
            DetailTable table;
            if (DbStatus s = readDetail(db, *detail, table))
                return cellName(grid, row, col) + QStringLiteral(": the list failed: ") + reportErrorText(*s);
            ++lists;
            const QString figure = detailFigure(*detail, table);
            // an empty cell is a count or sum of no orders
            const bool agrees = text.isEmpty() ? table.rows.empty() || cellNumber(figure) == 0 : figure == text;
            if (!agrees)
                return cellName(grid, row, col) + QStringLiteral(" shows \"") + text + QStringLiteral("\", its list of ")
                    + QString::number(table.rows.size()) + QStringLiteral(" orders gives ") + figure;
        }
    }
    if (listed)
        *listed = lists;
    return QString();
}

} // namespace trellum::test
