#pragma once

#include "FixtureDb.h"
#include "Report.h"

namespace trellum::test {

// Opens the fixture's file on a fresh connection and runs the report on the grid as it stands
// (laid out, perhaps filled by an earlier run): the error of the opening or of the run.
inline DbStatus runAgainOnFixture(const Report& report, const FixtureDb& fixture, const RunInput& input,
                                  ReportGrid& grid, TypeAnalysis& boxes)
{
    DbConnection db;
    if (DbStatus open = db.openSqlite(fixture.path()))
        return open;
    return report.run(db, input, grid, boxes);
}

// Lays the grid out for the report (with the run's categories), then runs it on the fixture.
inline DbStatus runOnFixture(const Report& report, const FixtureDb& fixture, const RunInput& input, ReportGrid& grid,
                             TypeAnalysis& boxes)
{
    report.layoutGrid(grid, input.categories);
    return runAgainOnFixture(report, fixture, input, grid, boxes);
}

// The same for a report without type-analysis boxes.
inline DbStatus runOnFixture(const Report& report, const FixtureDb& fixture, const RunInput& input, ReportGrid& grid)
{
    TypeAnalysis boxes;
    return runOnFixture(report, fixture, input, grid, boxes);
}

} // namespace trellum::test
