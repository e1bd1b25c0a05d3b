#pragma once

#include "Report.h"
#include "WorkerText.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

namespace trellum {

// The repair-worker performance summary (维修工考绩汇总表): per ticked worker of the region with
// credited man-hours one row with the working days and hours of the period, the orders completed
// as lead worker and the credited man-hours, then the totals row.
class PerformanceReport final : public Report {
public:
    static constexpr int kHeaderRows = 2;
    static constexpr int kCols = 24;

    // One worker's credited man-hours (absent: none, the worker gets no row) and the orders he
    // completed as lead worker.
    struct WorkerFigures {
        std::optional<double> hours;
        std::optional<double> orders;
    };
    // The figures of each worker of the run, by his place in the worker list.
    using FigureList = std::vector<WorkerFigures>;
    // Where a run takes the workers' figures from.
    using FigureSource = WorkerFigureSource<FigureList>;

    // The summary with the workers' figures read by `source` (one statement for all of them unless told otherwise).
    explicit PerformanceReport(FigureSource source = ReadFigures);

    ReportKind kind() const override { return ReportKind::Performance; }
    const ReportInfo& info() const override;
    // The 24 columns, the two header rows with their heights, widths and merge flags.
    void layoutGrid(ReportGrid& grid, const CategoryTable& categories) const override;
    // One row per credited worker, then the totals row.
    DbStatus run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& boxes) const override;
    // The summary's sheet: form number, blanks for handwriting, wrapped header, signature footer.
    ExportLayout exportLayout() const override;
    // A worker's or all the workers' orders behind the orders completed or the credited man-hours.
    std::optional<CellDetail> cellDetail(const RunInput& input, const ReportGrid& grid, int row, int col) const override;

    // The figures of all the workers from one statement.
    static DbStatus ReadFigures(DbConnection& db, const ReportCriteria& criteria,
                                const std::vector<WorkerRecord>& workers, FigureList& figures);
    // The Monday-to-Friday days of the period, both ends included; 0 without the calendar option.
    static long long CountWorkingDays(const QDate& start, const QDate& end, bool calendarWorkingDays);
    // Eight hours per working day.
    static long long WorkingHours(long long workingDays) { return workingDays * 8; }

    // The ticked workers still active in the region.
    static QString workerStatement(const ReportCriteria& criteria);
    // The man-hours credited to each worker (each labour item shared among the order's workers)
    // and the orders he completed as the first-named worker, follow-up orders excluded: one row
    // per worker with credited hours, keyed by his place in `workers` (column 序).
    static QString figuresStatement(const ReportCriteria& criteria, const std::vector<WorkerRecord>& workers);

private:
    FigureSource m_source;
};

} // namespace trellum
