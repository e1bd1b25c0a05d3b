// trellum-bench-reports: each report's run against the database floor, the embedded database's
// indexes against none and against plain column indexes, and the query plans. See --help.

#include "ColumnIndexDatabase.h"
#include "ReportBench.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cstdio>

using namespace trellum;
using namespace trellum::bench;

namespace {

void say(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

// Reads the file once, so that the first timed run does not pay for the disk.
void warmFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    while (!f.read(1 << 20).isEmpty()) {
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times each report's run against the database floor (the same "
                                                    "statements straight through SQLite), and the indexes against none."));
    parser.addHelpOption();
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("the database with its indexes"), QStringLiteral("FILE"));
    const QCommandLineOption plainDb(QStringLiteral("plain-db"), QStringLiteral("the same database without indexes"), QStringLiteral("FILE"));
    const QCommandLineOption columnDb(QStringLiteral("column-db"), QStringLiteral("the same with column indexes (built from --plain-db when missing)"), QStringLiteral("FILE"));
    const QCommandLineOption region(QStringLiteral("region"), QStringLiteral("the region (default 03)"), QStringLiteral("CODE"), QStringLiteral("03"));
    const QCommandLineOption lastDay(QStringLiteral("last-day"), QStringLiteral("the last day of the data (default 2026-11-30)"), QStringLiteral("YYYY-MM-DD"), QStringLiteral("2026-11-30"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("timed runs of each (default 7)"), QStringLiteral("N"), QStringLiteral("7"));
    const QCommandLineOption budget(QStringLiteral("slow-budget"), QStringLiteral("seconds for the runs of one figure on a slower database (default 30)"), QStringLiteral("S"), QStringLiteral("30"));
    const QCommandLineOption only(QStringLiteral("only"), QStringLiteral("one report only"), QStringLiteral("NAME"));
    const QCommandLineOption manyOffices(QStringLiteral("many-offices-db"), QStringLiteral("the region of 20,000 offices (built when missing)"), QStringLiteral("FILE"));
    const QCommandLineOption partFile(QStringLiteral("part"), QStringLiteral("the results file to write"), QStringLiteral("FILE"));
    parser.addOptions({ db, plainDb, columnDb, region, lastDay, runs, budget, only, manyOffices, partFile });
    parser.process(app);

    ReportBench::Options o;
    o.db = parser.value(db);
    o.plainDb = parser.value(plainDb);
    o.columnDb = parser.value(columnDb);
    o.region = parser.value(region);
    o.runs = std::max(1, parser.value(runs).toInt());
    o.slowBudget = parser.value(budget).toDouble();
    const QDate last = QDate::fromString(parser.value(lastDay), Qt::ISODate);
    if (o.db.isEmpty() || !last.isValid()) {
        say(QStringLiteral("--db FILE is required (see --help)"));
        return 2;
    }
    if (!o.columnDb.isEmpty() && !QFileInfo::exists(o.columnDb)) {
        say(QStringLiteral("building %1").arg(o.columnDb));
        if (const QString e = o.plainDb.isEmpty() ? QStringLiteral("--plain-db is needed") : ColumnIndexDatabase::build(o.plainDb, o.columnDb);
            !e.isEmpty()) {
            say(e);
            o.columnDb.clear();
        }
    }
    const ReportBench::Period month { QStringLiteral("month"), QDate(last.year(), last.month(), 1), last };
    const ReportBench::Period year { QStringLiteral("year"), last.addYears(-1).addDays(1), last };
    for (const QString& file : { o.db, o.plainDb, o.columnDb })
        if (!file.isEmpty())
            warmFile(file);

    ReportBench bench(o);
    bool failed = false;
    for (ReportKind kind : { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd }) {
        if (parser.isSet(only) && parser.value(only) != reportName(kind))
            continue;
        for (const ReportBench::Period& p : { month, year }) {
            const std::optional<ReportBench::Measured> m = bench.run(kind, p);
            failed = failed || !m;
            if (!m)
                continue;
            if (!o.plainDb.isEmpty())
                bench.compareForms(kind, p);
            if (p.name == month.name && !o.plainDb.isEmpty()) {
                bench.compareIndexes(*m);
                bench.plans(*m);
            }
        }
    }
    if (parser.isSet(manyOffices) && (!parser.isSet(only) || parser.value(only) == reportName(ReportKind::Completion)))
        bench.manyOffices(parser.value(manyOffices));
    bench.writeSection();
    if (parser.isSet(partFile))
        if (const QString e = bench.part().save(parser.value(partFile)); !e.isEmpty()) {
            say(e);
            return 1;
        }
    return failed ? 1 : 0;
}
