#pragma once

#include "Report.h"
#include "WorkerText.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

namespace trellum {

// The team accounting ledger (班组经济核算台账汇总表): per ticked worker of the region a block of
// a worker line (shared quota man-hours, standard hours, labour and material cost), four empty
// lines and a subtotal line, then one total line.
class LedgerReport final : public Report {
public:
    static constexpr int kHeaderRows = 3;
    static constexpr int kCols = 18;

    // One worker's sums of material cost, shared man-hours and labour cost; each absent for NULL.
    struct WorkerFigures {
        std::optional<double> material;
        std::optional<double> hours;
        std::optional<double> labour;
    };
    // The figures of each worker of the run by his place in the worker list; absent for a worker
    // without a result row.
    using FigureList = std::vector<std::optional<WorkerFigures>>;
    // Where a run takes the workers' figures from.
    using FigureSource = WorkerFigureSource<FigureList>;

    // The ledger with the workers' figures read by `source` (one statement for all of them unless told otherwise).
    explicit LedgerReport(FigureSource source = ReadFigures);

    ReportKind kind() const override { return ReportKind::Ledger; }
    const ReportInfo& info() const override;
    // The 18 columns, the three header rows with their widths and merge flags.
    void layoutGrid(ReportGrid& grid, const CategoryTable& categories) const override;
    // The worker blocks and the total line below the header rows.
    DbStatus run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& boxes) const override;
    // The ledger's sheet: form number, team and period lines, header merges, cyan subtotal rows.
    ExportLayout exportLayout() const override;
    // A worker's or all the workers' orders behind the man-hours, labour or material cost.
    std::optional<CellDetail> cellDetail(const RunInput& input, const ReportGrid& grid, int row, int col) const override;

    // The figures of all the workers from one statement.
    static DbStatus ReadFigures(DbConnection& db, const ReportCriteria& criteria,
                                const std::vector<WorkerRecord>& workers, FigureList& figures);
    // Eight hours per Monday-to-Friday day of the period, both ends included; 0 without the
    // calendar working-day option.
    static long long StandardHours(const QDate& start, const QDate& end, bool calendarWorkingDays);

    // The ticked workers still active in the region.
    static QString workerStatement(const ReportCriteria& criteria);
    // The material, shared man-hours and labour sums of each worker's completed orders, one row
    // per worker with figures, keyed by his place in `workers` (column 序).
    static QString figuresStatement(const ReportCriteria& criteria, const std::vector<WorkerRecord>& workers);

private:
    FigureSource m_source;
};

} // namespace trellum
