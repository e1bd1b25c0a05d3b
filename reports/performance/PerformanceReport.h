#pragma once

#include "Report.h"

#include <QDate>
#include <QString>

namespace trellum {

// The repair-worker performance summary (维修工考绩汇总表): per ticked worker of the region with
// credited man-hours one row with the working days and hours of the period, the orders completed
// as lead worker and the credited man-hours, then the totals row.
class PerformanceReport final : public Report {
public:
    static constexpr int kHeaderRows = 2;
    static constexpr int kCols = 24;

    ReportKind kind() const override { return ReportKind::Performance; }
    const ReportInfo& info() const override;
    // The 24 columns, the two header rows with their heights, widths and merge flags.
    void layoutGrid(ReportGrid& grid, const CategoryTable& categories) const override;
    // One row per credited worker, then the totals row.
    DbStatus run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& boxes) const override;
    // The summary's sheet: form number, blanks for handwriting, wrapped header, signature footer.
    ExportLayout exportLayout() const override;

    // The Monday-to-Friday days of the period, both ends included; 0 without the calendar option.
    static long long CountWorkingDays(const QDate& start, const QDate& end, bool calendarWorkingDays);
    // Eight hours per working day.
    static long long WorkingHours(long long workingDays) { return workingDays * 8; }

    // The ticked workers still active in the region.
    static QString workerStatement(const ReportCriteria& criteria);
    // The man-hours credited to the worker, each labour item shared among the order's workers.
    static QString hoursStatement(const ReportCriteria& criteria, const QString& workerCode,
                                  const QString& workerRegion);
    // The orders the worker completed as the first-named worker, follow-up orders excluded.
    static QString countStatement(const ReportCriteria& criteria, const QString& workerCode,
                                  const QString& workerRegion);
};

} // namespace trellum
