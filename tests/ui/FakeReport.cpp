#include "FakeReport.h"

#include "RedrawPause.h"
#include "ReportCatalog.h"


namespace trellum::test {

namespace {
constexpr int kCols = 7;
}

void FakeReport::layoutGrid(ReportGrid& grid, const CategoryTable&) const
{
    const int header = findReport(m_kind).info().headerRows;
    const RedrawPause pause(grid);
    grid.setCols(kCols);
    grid.setRows(header);
    grid.setFixedRows(header);
    grid.setFixedCols(1);
    for (int r = 0; r < header; ++r)
        for (int c = 0; c < kCols; ++c)
            grid.setText(r, c, c == 0 ? QStringLiteral("序") : QStringLiteral("栏%1").arg(c));
}

DbStatus FakeReport::run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& out) const
{
    lastInput = input;
    ++runs;
    if (onRun)
        onRun();
    for (const QString& statement : statements) {
        DbCursor cursor = db.select(statement);
        while (cursor.next()) {
        }
        if (cursor.failed())
            return cursor.error();
    }
    const int header = findReport(m_kind).info().headerRows;
    const RedrawPause pause(grid);
    grid.setRows(header);
    const bool ledger = m_kind == ReportKind::Ledger;
    for (int i = 1; i <= dataRows; ++i) {
        const int r = grid.appendRow();
        grid.setText(r, 0, QString::number(i));
        const bool subtotal = ledger && i == dataRows;
        grid.setText(r, 1, subtotal ? QString() : QStringLiteral("名称%1").arg(i));
        grid.setText(r, 2, subtotal ? QStringLiteral("合计") : QStringLiteral("零星"));
        for (int c = 3; c < kCols; ++c)
            grid.setText(r, c, QString::number(i * c));
        if (subtotal)
            for (int c = 1; c < kCols; ++c)
                grid.setBackground(r, c, kSubtotalColour);
    }
    const int t = grid.appendRow();
    grid.setText(t, 0, QString::number(t - header + 1));
    grid.setText(t, ledger ? 2 : 1, ledger ? QStringLiteral("总计") : QStringLiteral("合计"));
    for (int c = 1; c < kCols; ++c)
        grid.setBackground(t, c, kTotalColour);
    grid.setRow(t);
    out = boxes;
    return failWith;
}

} // namespace trellum::test
