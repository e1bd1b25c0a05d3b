#pragma once

#include "Report.h"

#include <QDate>
#include <QString>

namespace trellum {

// The team accounting ledger (班组经济核算台账汇总表): per ticked worker of the region a block of
// a worker line (shared quota man-hours, standard hours, labour and material cost), four empty
// lines and a subtotal line, then one total line.
class LedgerReport final : public Report {
public:
    static constexpr int kHeaderRows = 3;
    static constexpr int kCols = 18;

    ReportKind kind() const override { return ReportKind::Ledger; }
    const ReportInfo& info() const override;
    // The 18 columns, the three header rows with their widths and merge flags.
    void layoutGrid(ReportGrid& grid, const CategoryTable& categories) const override;
    // Builds the worker blocks and the total line below the header rows.
    DbStatus run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& boxes) const override;
    // The ledger's sheet: form number, team and period lines, header merges, cyan subtotal rows.
    ExportLayout exportLayout() const override;

    // Eight hours per Monday-to-Friday day of the period, both ends included; 0 without the
    // calendar working-day option.
    static long long StandardHours(const QDate& start, const QDate& end, bool calendarWorkingDays);

    // The ticked workers still active in the region.
    static QString workerStatement(const ReportCriteria& criteria);
    // The material, shared man-hours and labour sums of one worker's completed orders, joined.
    static QString figuresStatement(const ReportCriteria& criteria, const QString& workerCode,
                                    const QString& workerRegion);
};

} // namespace trellum
