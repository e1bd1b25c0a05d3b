// trellum-bench-statements: where a report's database time goes, statement by statement. Runs
// the report once as the program does, then replays each statement it sent on the floor and
// prints its time, its rows and, for the slowest shapes, the query plan. A profiling aid.

#include "ReportScenario.h"
#include "SampleSet.h"
#include "SqliteFloor.h"
#include "StatementShapes.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QLocale>

#include <chrono>
#include <cstdio>

using namespace trellum;
using namespace trellum::bench;

namespace {

void print(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times each statement of one report run on the database floor."));
    parser.addHelpOption();
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("the database"), QStringLiteral("FILE"));
    const QCommandLineOption report(QStringLiteral("report"), QStringLiteral("completion|ledger|performance|monthend"), QStringLiteral("NAME"));
    const QCommandLineOption region(QStringLiteral("region"), QStringLiteral("the region (default 03)"), QStringLiteral("CODE"), QStringLiteral("03"));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("first day"), QStringLiteral("YYYY-MM-DD"), QStringLiteral("2026-11-01"));
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("last day"), QStringLiteral("YYYY-MM-DD"), QStringLiteral("2026-11-30"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("replays of each statement (default 3)"), QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption noAuto(QStringLiteral("no-automatic-indexes"), QStringLiteral("replay with PRAGMA automatic_index = OFF"));
    parser.addOptions({ db, report, region, from, to, runs, noAuto });
    parser.process(app);

    std::optional<ReportKind> kind;
    for (ReportKind k : { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd })
        if (reportName(k) == parser.value(report))
            kind = k;
    if (!kind || !parser.isSet(db)) {
        print(QStringLiteral("--db FILE and --report NAME are required"));
        return 2;
    }
    ReportScenario scenario(*kind, parser.value(region), QDate::fromString(parser.value(from), Qt::ISODate),
                            QDate::fromString(parser.value(to), Qt::ISODate));
    SqliteFloor floor;
    QString error = scenario.prepare(parser.value(db));
    if (error.isEmpty())
        error = floor.open(parser.value(db));
    // the floor's connection as the program's, unless told otherwise
    floor.setAutomaticIndexes(error.isEmpty() && scenario.automaticIndexes() && !parser.isSet(noAuto));
    const ReportScenario::Run run = error.isEmpty() ? scenario.run() : ReportScenario::Run {};
    if (!error.isEmpty() || !run.error.isEmpty()) {
        print(error + run.error);
        return 1;
    }
    print(QStringLiteral("program run: %1 s, %2 statements").arg(run.seconds, 0, 'f', 4).arg(run.statements.size()));

    QHash<QString, double> shapeSeconds;
    double total = 0;
    for (int i = 0; i < run.statements.size(); ++i) {
        const std::vector<std::string> one = SqliteFloor::utf8({ run.statements[i] });
        SampleSet s;
        SqliteFloor::Replay r;
        for (int k = 0; k < std::max(1, parser.value(runs).toInt()); ++k) {
            const auto t = std::chrono::steady_clock::now();
            r = floor.replay(one);
            s.add(std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count());
        }
        total += s.median();
        shapeSeconds[StatementShapes::shapeOf(run.statements[i])] += s.median();
        print(QStringLiteral("%1  %2 s  %3 rows  %4").arg(i, 3).arg(s.median(), 0, 'f', 5).arg(r.rows).arg(run.statements[i].left(90).simplified()));
    }
    print(QStringLiteral("floor, statement by statement: %1 s").arg(total, 0, 'f', 4));
    const StatementShapes shapes(run.statements);
    for (const StatementShapes::Group& g : shapes.groups()) {
        print(QStringLiteral("\n%1 x %2 s in all: %3").arg(g.count).arg(shapeSeconds.value(g.shape), 0, 'f', 4).arg(g.first.left(200)));
        for (const QString& line : floor.queryPlan(g.first))
            print(QStringLiteral("    ") + line);
    }
    return 0;
}
