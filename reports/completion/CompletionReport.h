#pragma once

#include "Report.h"

namespace trellum {

// The repair completion overview (维修完成情况一览表): per office the completed, revisited and
// accepted orders of the period with the revisit and quality rates, and a totals row.
class CompletionReport final : public Report {
public:
    static constexpr int kHeaderRows = 2;
    static constexpr int kCols = 9;

    ReportKind kind() const override { return ReportKind::Completion; }
    const ReportInfo& info() const override;
    void layoutGrid(ReportGrid& grid, const CategoryTable& categories) const override;
    DbStatus run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& boxes) const override;
    ExportLayout exportLayout() const override;
    // The completed, revisited or accepted orders of an office row or of them all.
    std::optional<CellDetail> cellDetail(const RunInput& input, const ReportGrid& grid, int row, int col) const override;

    // The outer statement of a run: the three per-office counts joined to the region's offices.
    static QString statement(const ReportCriteria& criteria);
};

} // namespace trellum
