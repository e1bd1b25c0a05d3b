#pragma once

#include "CellDetail.h"
#include "Criteria.h"
#include "DbConnection.h"
#include "ExportLayout.h"
#include "ReportGrid.h"
#include "ReportInfo.h"

#include <array>

namespace trellum {

// What a run reads besides the captured criteria.
struct RunInput {
    ReportCriteria criteria;
    bool calendarWorkingDays = true;  // Option1 "计算工作日" selected (B, C)
    CategoryTable categories;         // the window's CategoryTable
};

// The month-end's type-analysis boxes Text1(0) to Text1(6).
using TypeAnalysis = std::array<QString, 7>;

// One of the four reports: what its window shows and checks, its grid layout, its run and its sheet. Plain code over the grid
// model, a database connection and the criteria; the windows and the headless runner share it.
class Report {
public:
    virtual ~Report() = default;
    virtual ReportKind kind() const = 0;
    // The report's window name, captions, tree, header rows, highlight rule and check order.
    virtual const ReportInfo& info() const = 0;
    // Lays out the grid once when the window opens (after the lists are loaded).
    virtual void layoutGrid(ReportGrid& grid, const CategoryTable& categories) const = 0;
    // Refills the grid below its header rows. On a failing statement the grid keeps its header
    // rows (and what was filled before), redrawing is on again and the error is returned.
    virtual DbStatus run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& boxes) const = 0;
    // The report's sheet for the export frame.
    virtual ExportLayout exportLayout() const = 0;
    // The orders behind the figure at `row`, `col` of a grid this report filled from `input`;
    // nothing for a text cell, a header cell or a column never filled.
    virtual std::optional<CellDetail> cellDetail(const RunInput& input, const ReportGrid& grid, int row, int col) const
    {
        (void)input, (void)grid, (void)row, (void)col;
        return std::nullopt;
    }
};

} // namespace trellum
