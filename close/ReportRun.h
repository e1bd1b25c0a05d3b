#pragma once

#include "Criteria.h"
#include "DbConnection.h"
#include "ExportLayout.h"
#include "Report.h"
#include "ReportGrid.h"

#include <QDate>
#include <QStringList>

#include <optional>
#include <vector>

namespace trellum {

// What a run without windows asks of one report: the period, the region, and the ticked offices
// or workers and categories (nullopt ticks them all, as the tree's root tick and "all" do).
struct HeadlessRequest {
    QDate startDate;
    QDate endDate;
    QString regionCode;
    std::optional<QStringList> nodeCodes;
    std::optional<QStringList> categoryCodes;
};

// A finished run: the filter panel as a window would have held it, the criteria and the grid.
struct HeadlessRun {
    RegionEntry region;
    CategoryTable categories;
    ReportCriteria criteria;
    ReportGrid grid;
    TypeAnalysis boxes;
};

// Why a run did not finish: criteria the report refuses (an unknown region, office, worker or
// category, a check of the run button), or a database error, with its message.
struct HeadlessFailure {
    enum class Kind { Refused, Database };
    Kind kind;
    QString message;
};

// Loads the filter lists and the region's tree, ticks what the request names, captures the
// criteria as the run button does and runs the report into `result`.
std::optional<HeadlessFailure> runHeadlessReport(DbConnection& db, const Report& report, const HeadlessRequest& request,
                                    HeadlessRun& result);

// The export's context of a finished run: its period, region and categories, with the day of
// the file names and footers and the month-end's remark.
ExportContext headlessExportContext(const Report& report, const HeadlessRun& result, const QDate& today,
                            const QString& remark = QString());

} // namespace trellum
