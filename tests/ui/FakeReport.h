#pragma once

#include "ReportCatalog.h"

#include <QStringList>

#include <atomic>
#include <functional>

namespace trellum::test {

// A report for the window tests: a small grid of the window's header rows and seven columns,
// `dataRows` rows of data and the totals row laid out as the real report of `kind` lays it (in B
// the last data row is a subtotal line "合计" and the totals row reads "总计" in column 2).
// It records each run. The run goes on the window's runner thread: what it is given to do there
// (onRun, the statement) must not touch the widgets.
class FakeReport final : public Report {
public:
    explicit FakeReport(ReportKind kind)
        : m_kind(kind)
    {
    }

    ReportKind kind() const override { return m_kind; }
    // The real report's window, header rows and checks.
    const ReportInfo& info() const override { return findReport(m_kind).info(); }
    void layoutGrid(ReportGrid& grid, const CategoryTable& categories) const override;
    DbStatus run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& boxes) const override;
    ExportLayout exportLayout() const override { return ExportLayout {}; }

    int dataRows = 8;
    DbStatus failWith;
    TypeAnalysis boxes {};
    std::function<void()> onRun;
    // Statements the run sends first, one after the other, each read to its end; the first that
    // fails ends the run with its error.
    QStringList statements;
    mutable std::atomic<int> runs = 0;
    mutable RunInput lastInput;

private:
    ReportKind m_kind;
};

} // namespace trellum::test
