#pragma once

#include "FixtureDb.h"
#include "MonthEndReport.h"
#include "RunOnFixture.h"
#include "SqlText.h"

#include <QtTest>

namespace trellum::test {

// Region 01 with office 0101 (ticked) and 0102 (not ticked); the categories are the test's own.
// The run covers March 2024 unless a test moves the period.
struct MonthEndScene {
    FixtureDb db;
    RunInput input;
    ReportGrid grid;
    TypeAnalysis boxes;

    static inline const QString kRegion = QStringLiteral("01");
    static inline const QString kTicked = QStringLiteral("0101");
    static inline const QString kUnticked = QStringLiteral("0102");

    explicit MonthEndScene(const CategoryTable& categories = { { QStringLiteral("1"), QStringLiteral("水电") } })
    {
        db.addRegion(kRegion, QStringLiteral("东区"));
        db.addOffice(kRegion, kTicked, QStringLiteral("阳光花园"));
        db.addOffice(kRegion, kUnticked, QStringLiteral("明月小区"));
        for (const CategoryEntry& c : categories)
            db.addCategory(c.code, c.name);
        input.categories = categories;
        input.criteria.startDate = QDate(2024, 3, 1);
        input.criteria.endDate = QDate(2024, 3, 31);
        input.criteria.regionCode = kRegion;
        input.criteria.regionName = QStringLiteral("东区");
        input.criteria.officeCodes = sqlList({ kTicked });
        QStringList codes;
        for (const CategoryEntry& c : categories)
            codes << c.code;
        tick(codes);
        MonthEndReport().layoutGrid(grid, categories);
    }

    void tick(const QStringList& codes)
    {
        input.criteria.tickedCategoryCodes = codes;
        input.criteria.categoryCodes = sqlList(codes);
    }

    // An order of the ticked office in category 1, reported and completed in the period.
    static FixtureDb::Order order(const QString& office = kTicked)
    {
        FixtureDb::Order o;
        o.office = office;
        o.region = kRegion;
        o.reported = QStringLiteral("2024-03-05 09:00:00");
        o.closed = QStringLiteral("2024-03-10 16:00:00");
        return o;
    }

    // Runs the report on the fixture (closed first, so nothing more can be added).
    DbStatus run()
    {
        db.close();
        return runAgainOnFixture(MonthEndReport(), db, input, grid, boxes);
    }

    // The grid row of an office by its name; -1 when there is none.
    int rowOf(const QString& name) const
    {
        for (int r = MonthEndReport::kHeaderRows; r < grid.rows(); ++r)
            if (grid.text(r, 1) == name)
                return r;
        return -1;
    }
};

} // namespace trellum::test
