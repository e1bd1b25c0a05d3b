#pragma once

#include "BenchPart.h"
#include "ReportKind.h"
#include "SampleSet.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace trellum::bench {

// The report benchmarks and the tables they fill: each report's run against the database
// floor, the same statements on the database without indexes and with plain column indexes,
// and the query plans.
class ReportBench {
public:
    struct Options {
        QString db;         // the demo database with its indexes
        QString plainDb;    // the same data without indexes
        QString columnDb;   // the same data with the indexes on the plain date columns
        QString region;
        int runs = 7;
        double slowBudget = 30; // seconds for the runs of one figure on a slower database
    };
    struct Period {
        QString name;
        QDate start;
        QDate end;
    };
    // What a run gave, for the comparisons that replay its statements.
    struct Measured {
        ReportKind kind;
        Period period;
        QStringList statements;
        SampleSet floor;
        bool automaticIndexes = true;
    };

    // The benchmarks on the databases of `options`.
    explicit ReportBench(const Options& options);

    // The program's run against the floor, alternating, several runs (a run slower than 2 s is
    // its own warm-up; slow runs stop after three, or two beyond 10 s); adds the figure and its row.
    std::optional<Measured> run(ReportKind kind, const Period& period);
    // The statements on the databases without indexes and with column indexes; adds the figures.
    void compareIndexes(const Measured& m);
    // The program's statements against the item-by-item reading of the same figures, on the
    // file with the indexes and on the one without, in the same run; adds the figures.
    void compareForms(ReportKind kind, const Period& period);
    // The completion overview of a region of 20,000 offices (the file at `path`, built when
    // missing) with SQLite's automatic indexes, as the program's connection has them, and without.
    void manyOffices(const QString& path);
    // The plans of each statement shape with the indexes and without.
    void plans(const Measured& m);

    // The section for docs/benchmarks.md and the figures.
    BenchPart& part() { return m_part; }
    // Writes the section's text from the tables filled so far.
    void writeSection();

private:
    // Floor replays of the statements on `db`, as long as the budget allows (at least one).
    SampleSet replays(const QString& db, const QStringList& statements, bool automaticIndexes, QString* error) const;

    Options m_options;
    BenchPart m_part;
    QString m_runRows;
    QString m_indexRows;
    QString m_formRows;
    QString m_officeRows;
    QString m_plans;
    bool m_programAutomatic = true;
};

} // namespace trellum::bench
