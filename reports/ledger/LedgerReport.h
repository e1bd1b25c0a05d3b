#pragma once

#include "Report.h"

namespace trellum {

class LedgerReport final : public Report {
public:
    static constexpr bool kBuilt = false;
    ReportKind kind() const override { return ReportKind::Ledger; }
    void layoutGrid(ReportGrid& grid, const CategoryTable& categories) const override;
    DbStatus run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& boxes) const override;
    ExportLayout exportLayout() const override;
};

} // namespace trellum
