#pragma once

#include "FixtureDb.h"
#include "Report.h"

namespace trellum::test {

// Opens the fixture's file on a fresh connection, lays the grid out for the report (with the
// run's categories) and runs it: the error of the opening or of the run.
inline DbStatus runOnFixture(const Report& report, const FixtureDb& fixture, const RunInput& input, ReportGrid& grid,
                             TypeAnalysis& boxes)
{
    DbConnection db;
    if (DbStatus open = db.openSqlite(fixture.path()))
        return open;
    report.layoutGrid(grid, input.categories);
    return report.run(db, input, grid, boxes);
}

// The same for a report without type-analysis boxes.
inline DbStatus runOnFixture(const Report& report, const FixtureDb& fixture, const RunInput& input, ReportGrid& grid)
{
    TypeAnalysis boxes;
    return runOnFixture(report, fixture, input, grid, boxes);
}

} // namespace trellum::test
