#include "ReportBench.h"

#include "ItemwiseFigures.h"
#include "ManyOfficesDatabase.h"
#include "ReportCatalog.h"

#include "PeakMemory.h"
#include "ReportScenario.h"
#include "SqliteFloor.h"
#include "StatementShapes.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace trellum::bench {

namespace {

constexpr double kRunTarget = 1.25;
constexpr double kIndexTarget = 10;
constexpr double kSlowRun = 2;      // seconds: a run that is its own warm-up
constexpr double kVerySlowRun = 10; // seconds: two runs are enough
constexpr double kFastTotal = 1;    // seconds of runs wanted on each side
constexpr int kMaxRuns = 31;

void say(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

double since(std::chrono::steady_clock::time_point t)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

double timedReplay(SqliteFloor& floor, const std::vector<std::string>& statements, SqliteFloor::Replay* out)
{
    const auto t = std::chrono::steady_clock::now();
    *out = floor.replay(statements);
    return since(t);
}

QString spread(const SampleSet& s)
{
    return BenchPart::seconds(s.min()) + QStringLiteral("–") + BenchPart::seconds(s.max());
}

QString yes(bool met)
{
    return met ? QStringLiteral("yes") : QStringLiteral("**no**");
}

} // namespace

ReportBench::ReportBench(const Options& options)
    : m_options(options)
    , m_part(10, QStringLiteral("Report runs"))
{
}

std::optional<ReportBench::Measured> ReportBench::run(ReportKind kind, const Period& p)
{
    ReportScenario scenario(kind, m_options.region, p.start, p.end);
    SqliteFloor floor;
    QString error = scenario.prepare(m_options.db);
    if (error.isEmpty())
        error = floor.open(m_options.db);
    if (!error.isEmpty()) {
        say(reportName(kind) + QStringLiteral(": ") + error);
        return std::nullopt;
    }
    // the floor's connection is set up as the program's is
    m_programAutomatic = scenario.automaticIndexes();
    floor.setAutomaticIndexes(m_programAutomatic);
    const ReportScenario::Run warm = scenario.run();
    const std::vector<std::string> statements = SqliteFloor::utf8(warm.statements);
    SqliteFloor::Replay replay;
    Measured m { kind, p, warm.statements, {}, m_programAutomatic };
    SampleSet program;
    const bool slow = warm.seconds > kSlowRun;
    if (slow)
        program.add(warm.seconds); // a slow run is its own warm-up
    else
        floor.replay(statements);
    long long peak = 0;
    long long growth = 0;
    bool same = warm.error.isEmpty();
    const auto begin = std::chrono::steady_clock::now();
    // fast runs are repeated until each side has about a second of them, to stand out of the noise
    const int fast = std::clamp(int(std::ceil(kFastTotal / std::max(warm.seconds, 1e-4))), m_options.runs, kMaxRuns);
    const int wanted = std::min(warm.seconds > kVerySlowRun ? 2 : slow ? 3 : fast, std::max(fast, m_options.runs));
    const auto programRun = [&] {
        if (program.count() >= wanted)
            return;
        PeakMemory::reset();
        const long long before = PeakMemory::currentBytes();
        const ReportScenario::Run r = scenario.run();
        peak = std::max(peak, PeakMemory::peakBytes());
        growth = std::max(growth, PeakMemory::peakBytes() - before);
        program.add(r.seconds);
        same = same && r.statements == warm.statements && r.error.isEmpty();
    };
    const auto floorRun = [&] {
        if (m.floor.count() >= wanted)
            return;
        m.floor.add(timedReplay(floor, statements, &replay));
        same = same && replay.error.isEmpty();
    };
    for (int i = 0; same && (program.count() < wanted || m.floor.count() < wanted); ++i) {
        if (i % 2 == 0) {
            programRun();
            floorRun();
        } else {
            floorRun();
            programRun();
        }
    }
    if (!same)
        say(QStringLiteral("%1 %2: %3 %4").arg(reportName(kind), p.name, warm.error, replay.error));
    const double ratio = program.median() / m.floor.median();
    const double peakMb = double(peak) / (1024.0 * 1024.0);
    const double growthMb = double(growth) / (1024.0 * 1024.0);
    BenchFigure f;
    f.name = QStringLiteral("report.%1.%2").arg(reportName(kind), p.name);
    f.medianSeconds = program.median();
    f.floorSeconds = m.floor.median();
    f.ratio = ratio;
    f.target = QStringLiteral("program <= 1.25 x floor");
    f.met = same && ratio <= kRunTarget;
    f.extra.insert(QStringLiteral("statements"), warm.statements.size());
    f.extra.insert(QStringLiteral("peak_mb"), std::round(peakMb * 10) / 10);
    f.extra.insert(QStringLiteral("run_added_mb"), std::round(growthMb * 10) / 10);
    f.extra.insert(QStringLiteral("runs"), program.count());
    f.extra.insert(QStringLiteral("floor_runs"), m.floor.count());
    f.extra.insert(QStringLiteral("grid_rows"), warm.gridRows);
    f.extra.insert(QStringLiteral("rows_read"), double(replay.rows));
    f.extra.insert(QStringLiteral("period"), p.start.toString(Qt::ISODate) + QStringLiteral("..") + p.end.toString(Qt::ISODate));
    f.extra.insert(QStringLiteral("automatic_indexes"), m_programAutomatic);
    m_part.add(f);
    m_runRows += QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 | %9 | %10 | **%11** | ≤ 1.25 | %12 |\n")
                     .arg(reportName(kind), p.name)
                     .arg(warm.statements.size())
                     .arg(warm.gridRows)
                     .arg(BenchPart::seconds(program.median()), spread(program), BenchPart::seconds(m.floor.median()),
                          spread(m.floor), QString::number(peakMb, 'f', 1), QString::number(growthMb, 'f', 1),
                          BenchPart::ratio(ratio), yes(f.met));
    say(QStringLiteral("%1 %2: program %3 s, floor %4 s, ratio %5, %6 statements, peak %7 MB, %8 s spent")
            .arg(reportName(kind), p.name, BenchPart::seconds(program.median()), BenchPart::seconds(m.floor.median()),
                 BenchPart::ratio(ratio))
            .arg(warm.statements.size())
            .arg(peakMb, 0, 'f', 1)
            .arg(since(begin), 0, 'f', 1));
    return m;
}

SampleSet ReportBench::replays(const QString& db, const QStringList& statements, bool automaticIndexes, QString* error) const
{
    SampleSet out;
    SqliteFloor floor;
    *error = floor.open(db);
    if (!error->isEmpty())
        return out;
    floor.setAutomaticIndexes(automaticIndexes);
    const std::vector<std::string> utf8 = SqliteFloor::utf8(statements);
    double spent = 0;
    for (int i = 0; i < 3; ++i) {
        SqliteFloor::Replay r;
        const double t = timedReplay(floor, utf8, &r);
        if (!r.error.isEmpty()) {
            *error = r.error;
            break;
        }
        out.add(t);
        spent += t;
        if (spent + t > m_options.slowBudget)
            break;
    }
    return out;
}

void ReportBench::compareIndexes(const Measured& m)
{
    QString error;
    const SampleSet plain = replays(m_options.plainDb, m.statements, m.automaticIndexes, &error);
    QString columnError;
    const SampleSet column = m_options.columnDb.isEmpty() ? SampleSet()
                                                          : replays(m_options.columnDb, m.statements, m.automaticIndexes, &columnError);
    const double with = m.floor.median();
    const double speedUp = plain.median() / with;
    BenchFigure f;
    f.name = QStringLiteral("indexes.%1.%2").arg(reportName(m.kind), m.period.name);
    f.medianSeconds = with;
    f.ratio = speedUp;
    f.target = QStringLiteral("without indexes >= 10 x with");
    f.met = error.isEmpty() && speedUp >= kIndexTarget;
    f.extra.insert(QStringLiteral("without_indexes_s"), plain.median());
    f.extra.insert(QStringLiteral("without_runs"), plain.count());
    if (column.count() > 0) {
        f.extra.insert(QStringLiteral("column_indexes_s"), column.median());
        f.extra.insert(QStringLiteral("column_runs"), column.count());
    }
    m_part.add(f);
    m_indexRows += QStringLiteral("| %1 | %2 | %3 | %4 | %5 | **%6** | ≥ 10 | %7 |\n")
                       .arg(reportName(m.kind), BenchPart::seconds(with),
                            BenchPart::seconds(plain.median()) + QStringLiteral(" (%1)").arg(plain.count()),
                            column.count() ? BenchPart::seconds(column.median()) + QStringLiteral(" (%1)").arg(column.count())
                                           : QStringLiteral("–"),
                            column.count() ? BenchPart::ratio(column.median() / with) : QStringLiteral("–"),
                            BenchPart::ratio(speedUp), yes(f.met));
    say(QStringLiteral("%1 indexes: %2 s with, %3 s without (%4 x), %5 s with column indexes %6")
            .arg(reportName(m.kind), BenchPart::seconds(with), BenchPart::seconds(plain.median()), BenchPart::ratio(speedUp),
                 BenchPart::seconds(column.median()), error + columnError));
}

namespace {

// One form's runs of a report on one file: the median, and the statements a run sent.
struct FormRuns {
    SampleSet seconds;
    int statements = 0;
    QString error;
    bool stopped = false; // a run stopped at the cap
};

// The longest a form's run may take before it is interrupted and shown as longer than that.
constexpr double kFormCap = 150;

// Interrupts the connection's statement once `seconds` have passed, unless stopped before.
class Watchdog {
public:
    Watchdog(sqlite3* handle, double seconds)
        : m_thread([this, handle, seconds] {
            std::unique_lock lock(m_mutex);
            if (!m_done.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return m_stop; })) {
                m_fired = true;
                sqlite3_interrupt(handle);
            }
        })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_done.notify_all();
        m_thread.join();
    }
    bool fired() const
    {
        std::lock_guard lock(m_mutex);
        return m_fired;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_stop = false;
    bool m_fired = false;
    std::thread m_thread;
};

FormRuns timeForm(const QString& path, ReportKind kind, const ReportBench::Period& p, const QString& region, bool itemwise,
                  int runs, double budget)
{
    FormRuns out;
    DbConnection db;
    if (const DbStatus s = db.openSqlite(path)) {
        out.error = s->description;
        return out;
    }
    const RunInput input = test::everythingTicked(kind, db, region, p.start, p.end);
    const Report* report = &findReport(kind);
    // the statement-per-item form ran on a connection without automatic indexes: one of its
    // statements builds one over all orders for every worker otherwise. The connection's guard
    // refuses every PRAGMA, so this bench connection (read-only, query_only) goes without it.
    if (itemwise) {
        sqlite3* handle = static_cast<sqlite3*>(db.sqliteHandle());
        sqlite3_set_authorizer(handle, nullptr, nullptr);
        if (sqlite3_exec(handle, "PRAGMA automatic_index = OFF", nullptr, nullptr, nullptr) != SQLITE_OK
            || SqliteFloor::automaticIndexes(handle)) {
            out.error = QStringLiteral("automatic indexes cannot be turned off");
            return out;
        }
    }
    int sent = 0;
    db.setStatementObserver([&sent](const QString&) { ++sent; });
    double spent = 0;
    for (int i = 0; i < runs && (i == 0 || spent < budget); ++i) {
        ReportGrid grid;
        report->layoutGrid(grid, input.categories);
        TypeAnalysis boxes;
        sent = 0;
        const auto begin = std::chrono::steady_clock::now();
        DbStatus s;
        bool stopped = false;
        {
            const Watchdog watchdog(static_cast<sqlite3*>(db.sqliteHandle()), kFormCap);
            s = itemwise ? test::runItemwise(kind, db, input, grid, boxes) : report->run(db, input, grid, boxes);
            stopped = watchdog.fired();
        }
        const double t = since(begin);
        if (stopped) {
            out.stopped = true;
            out.seconds.add(t);
            break;
        }
        if (s) {
            out.error = s->description;
            break;
        }
        out.seconds.add(t);
        out.statements = sent;
        spent += t;
    }
    return out;
}

} // namespace

void ReportBench::compareForms(ReportKind kind, const Period& p)
{
    const QString region = m_options.region;
    const FormRuns grouped = timeForm(m_options.db, kind, p, region, false, m_options.runs, m_options.slowBudget);
    const FormRuns groupedPlain = timeForm(m_options.plainDb, kind, p, region, false, m_options.runs, m_options.slowBudget);
    const FormRuns items = timeForm(m_options.db, kind, p, region, true, m_options.runs, m_options.slowBudget);
    const FormRuns itemsPlain = timeForm(m_options.plainDb, kind, p, region, true, 1, m_options.slowBudget);
    const bool month = p.name == QStringLiteral("month");
    BenchFigure f;
    f.name = QStringLiteral("unindexed.%1.%2").arg(reportName(kind), p.name);
    f.medianSeconds = groupedPlain.seconds.median();
    f.floorSeconds = itemsPlain.seconds.median();
    f.ratio = itemsPlain.seconds.median() / groupedPlain.seconds.median();
    f.target = month ? QStringLiteral("<= 2 s without the indexes") : QStringLiteral("–");
    f.met = groupedPlain.error.isEmpty() && (!month || groupedPlain.seconds.median() <= 2.0);
    f.extra.insert(QStringLiteral("statements"), groupedPlain.statements);
    f.extra.insert(QStringLiteral("itemwise_statements"), itemsPlain.statements);
    f.extra.insert(QStringLiteral("indexed_s"), grouped.seconds.median());
    f.extra.insert(QStringLiteral("itemwise_indexed_s"), items.seconds.median());
    m_part.add(f);
    const auto cell = [](const FormRuns& r) {
        if (r.stopped)
            return QStringLiteral("> %1 (stopped)").arg(kFormCap);
        // the connection's command time-out (30 s a statement) ends a statement as it ends the
        // program's: no report
        if (r.error.contains(QStringLiteral("interrupted")))
            return QStringLiteral("no report: a statement over the 30 s time-out");
        return r.error.isEmpty() ? BenchPart::seconds(r.seconds.median()) + QStringLiteral(" (%1)").arg(r.seconds.count())
                                 : QStringLiteral("failed: ") + r.error.left(60);
    };
    m_formRows += QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 | %9 |\n")
                      .arg(reportName(kind), p.name)
                      .arg(grouped.statements)
                      .arg(items.statements)
                      .arg(cell(grouped), cell(items), cell(groupedPlain), cell(itemsPlain), f.target == QStringLiteral("–")
                                                                                                  ? QStringLiteral("–")
                                                                                                  : yes(f.met));
    say(QStringLiteral("%1 %2 forms: grouped %3 / %4 s, item by item %5 / %6 s (with / without indexes)")
            .arg(reportName(kind), p.name, cell(grouped), cell(groupedPlain), cell(items), cell(itemsPlain)));
}

void ReportBench::manyOffices(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        if (const QString e = ManyOfficesDatabase::build(path); !e.isEmpty()) {
            say(QStringLiteral("20,000 offices: ") + e);
            return;
        }
    }
    const Period june { QStringLiteral("month"), QDate(2026, 6, 1), QDate(2026, 6, 30) };
    const FormRuns program = timeForm(path, ReportKind::Completion, june, QStringLiteral("01"), false, m_options.runs,
                                      m_options.slowBudget);
    // the same statement on a connection that builds no automatic index, once
    QStringList statements;
    {
        DbConnection db;
        if (!db.openSqlite(path)) {
            db.setStatementObserver([&statements](const QString& sql) { statements << sql; });
            const RunInput input = test::everythingTicked(ReportKind::Completion, db, QStringLiteral("01"), june.start, june.end);
            statements.clear();
            ReportGrid grid;
            TypeAnalysis boxes;
            const Report* report = &findReport(ReportKind::Completion);
            report->layoutGrid(grid, input.categories);
            report->run(db, input, grid, boxes);
        }
    }
    SqliteFloor floor;
    SampleSet without;
    SqliteFloor::Replay replay;
    if (floor.open(path).isEmpty()) {
        floor.setAutomaticIndexes(false);
        without.add(timedReplay(floor, SqliteFloor::utf8(statements), &replay));
    }
    BenchFigure f;
    f.name = QStringLiteral("offices20000.completion.month");
    f.medianSeconds = program.seconds.median();
    f.target = QStringLiteral("<= 1 s");
    f.met = program.error.isEmpty() && program.seconds.median() <= 1.0;
    f.extra.insert(QStringLiteral("without_automatic_indexes_s"), without.median());
    m_part.add(f);
    m_officeRows = QStringLiteral("| completion, one month, %1 offices | %2 | %3 | ≤ 1 s | %4 |\n")
                       .arg(ManyOfficesDatabase::kOffices)
                       .arg(program.error.isEmpty() ? BenchPart::seconds(program.seconds.median()) : program.error,
                            replay.error.isEmpty() ? BenchPart::seconds(without.median()) : replay.error, yes(f.met));
    say(QStringLiteral("20,000 offices: %1 s with automatic indexes, %2 s without")
            .arg(BenchPart::seconds(program.seconds.median()), BenchPart::seconds(without.median())));
}

void ReportBench::plans(const Measured& m)
{
    SqliteFloor indexed;
    SqliteFloor plain;
    indexed.open(m_options.db);
    plain.open(m_options.plainDb);
    indexed.setAutomaticIndexes(m.automaticIndexes);
    plain.setAutomaticIndexes(m.automaticIndexes);
    m_plans += QStringLiteral("#### %1 (%2 statements for one month)\n\n").arg(reportName(m.kind)).arg(m.statements.size());
    const StatementShapes shapes(m.statements);
    for (const StatementShapes::Group& g : shapes.groups()) {
        QString head = g.first.simplified();
        if (head.size() > 110)
            head = head.left(110) + QStringLiteral(" …");
        const QStringList with = indexed.queryPlan(g.first);
        const bool automatic = with.join(QLatin1Char('\n')).contains(QStringLiteral("派工单 USING AUTOMATIC"), Qt::CaseInsensitive);
        m_plans += QStringLiteral("<details><summary>%1 × <code>%2</code></summary>\n\n```sql\n%3\n```\n</details>\n\n")
                       .arg(g.count)
                       .arg(head.toHtmlEscaped(), g.first);
        if (automatic)
            m_plans += QStringLiteral("**SQLite builds an automatic index over PG派工单 for this statement, at every run.**\n\n");
        m_plans += QStringLiteral("With the indexes:\n\n```\n%1\n```\n\nWithout:\n\n```\n%2\n```\n\n")
                       .arg(with.join(QLatin1Char('\n')), plain.queryPlan(g.first).join(QLatin1Char('\n')));
        if (automatic) {
            SqliteFloor proposed;
            proposed.open(m_options.db);
            proposed.setAutomaticIndexes(false);
            m_plans += QStringLiteral("With the indexes, on a connection with automatic indexes off:\n\n```\n%1\n```\n\n")
                           .arg(proposed.queryPlan(g.first).join(QLatin1Char('\n')));
        }
    }
}

void ReportBench::writeSection()
{
    m_part.write(QStringLiteral(
        "Region %1 (15 offices, 30 workers, about 75,000 of the 1,000,000 orders), every office or worker and every "
        "category ticked. The program's time is one press of the run button: the criteria captured and the report run "
        "through its connection (Qt's SQLite driver), the grid filled. The floor sends the very statements the run sent, "
        "captured by the connection's statement observer, straight through the SQLite library on a connection of its own "
        "set up as the program's (automatic indexes %2), stepping every row and reading every column. Program and floor "
        "alternate after one warm-up, %3 runs each or as many more as make about a second (at most 31); a run slower "
        "than 2 s counts as its own warm-up and such runs stop after three, or two when one takes over 10 s; the median is shown with the fastest and slowest run. Peak memory is the benchmark process's resident "
        "peak (VmHWM, reset before each run) while the report ran, and what the run added to the resident size it started "
        "from; the program's own peak, in a process of its own with its windows, is under \"Start-up and memory\".\n\n"
        "| report | period | statements | grid rows | program (s) | program runs | floor (s) | floor runs | peak memory (MB) "
        "| added by the run (MB) | ratio | target | met |\n|---|---|---|---|---|---|---|---|---|---|---|---|---|\n")
                     .arg(m_options.region, m_programAutomatic ? QStringLiteral("on, as SQLite has them by default")
                                                               : QStringLiteral("off"))
                     .arg(m_options.runs)
                 + m_runRows + QStringLiteral("\n"));
    if (!m_formRows.isEmpty())
        m_part.write(QStringLiteral(
            "### A database without these indexes, and the statement-per-item form\n\nThe company's SQL Server database "
            "is indexed by its owners, not by this program. Each report of region %1, every office or worker and every "
            "category ticked, run through its code on a connection of its own (no window), on the file with the "
            "program's indexes and on the same data built with `--no-indexes`; beside it the same figures read as the "
            "program first read them, one statement per worker, or per office and category (the tests' reference "
            "form), on the same files in the same run, on a connection without automatic indexes as the program then "
            "had. Medians, runs in brackets; a form slower than %2 s is run once, and a run is stopped after %3 s.\n\n"
            "| report | period | statements | statements item by item | with indexes (s) | item by item, with "
            "indexes (s) | without indexes (s) | item by item, without (s) | ≤ 2 s without |\n"
            "|---|---|---|---|---|---|---|---|---|\n")
                         .arg(m_options.region)
                         .arg(m_options.slowBudget)
                         .arg(kFormCap)
                     + m_formRows + QStringLiteral("\n"));
    if (!m_officeRows.isEmpty())
        m_part.write(QStringLiteral(
            "### A region of 20,000 offices\n\nThe completion overview of one region of 20,000 offices (one completed order "
            "a year each, the program's indexes), through the program's connection, which lets SQLite build automatic "
            "indexes, and its statement once on a connection that builds none.\n\n"
            "| run | automatic indexes on (s) | off (s) | target | met |\n|---|---|---|---|---|\n")
                     + m_officeRows + QStringLiteral("\n"));
    if (!m_indexRows.isEmpty())
        m_part.write(QStringLiteral(
            "### The embedded database's indexes\n\nThe statements of each report for one month, floor against floor: the demo "
            "database with its indexes (the floor's median above) against the same data built with `--no-indexes`, and "
            "against the same indexes with the plain date columns in place of the CONVERT expressions. Runs on the slower "
            "files stop after three or %1 s, at least one (their count in brackets). All three connections are set up as the "
            "program's.\n\n"
            "| report | with indexes (s) | without (s) | column indexes (s) | column / with | speed-up | target | met |\n"
            "|---|---|---|---|---|---|---|---|\n")
                         .arg(m_options.slowBudget)
                     + m_indexRows + QStringLiteral("\n### Query plans\n\n") + m_plans);
}

} // namespace trellum::bench
