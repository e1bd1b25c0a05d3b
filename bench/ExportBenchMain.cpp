// trellum-bench-export: the program's workbook export against writing the same cells and formats
// straight through libxlsxwriter. See --help.

#include "BenchPart.h"
#include "DirectWorkbook.h"
#include "ExportGrids.h"
#include "LedgerReport.h"
#include "MonthEndReport.h"
#include "SampleSet.h"
#include "UnattendedExport.h"
#include "SpreadsheetExport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>

#include <chrono>
#include <cstdio>
#include <functional>

using namespace trellum;
using namespace trellum::bench;

namespace {

constexpr double kRatioTarget = 2;
constexpr double kCellsTarget = 100000;

// The two workbooks read back by the export tests' reader: the same values, styles, merges,
// widths and heights? Empty when they are; else what differs (or why it could not tell).
QString compareWorkbooks(const QString& reader, const QString& a, const QString& b)
{
    if (reader.isEmpty())
        return QStringLiteral("not compared");
    auto dump = [&reader](const QString& path) {
        QProcess p;
        // Debian's own interpreter, which sees Debian's python3-openpyxl
        p.start(QStringLiteral("/usr/bin/python3"), { reader, path });
        p.waitForFinished(300000);
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    };
    const QJsonObject x = dump(a);
    const QJsonObject y = dump(b);
    if (x.isEmpty() || y.isEmpty())
        return QStringLiteral("the reader could not read them");
    QStringList differ;
    for (const char* key : { "sheetNames", "merges", "widths", "heights", "cells", "xml" })
        if (x.value(QLatin1String(key)) != y.value(QLatin1String(key)))
            differ << QString::fromLatin1(key);
    return differ.join(QStringLiteral(", "));
}

struct Case {
    QString name;
    QString description;
    ReportKind kind;
    ExportLayout layout;
    std::function<bool(const ExportContext&, const QString&)> direct;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the workbook export against libxlsxwriter alone."));
    parser.addHelpOption();
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("folder for the workbooks"), QStringLiteral("DIR"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("timed runs of each (default 7)"), QStringLiteral("N"), QStringLiteral("7"));
    const QCommandLineOption offices(QStringLiteral("offices"), QStringLiteral("month-end office rows (default 2000)"), QStringLiteral("N"), QStringLiteral("2000"));
    const QCommandLineOption categories(QStringLiteral("categories"), QStringLiteral("month-end categories (default 15: 34 columns)"), QStringLiteral("N"), QStringLiteral("15"));
    const QCommandLineOption workers(QStringLiteral("workers"), QStringLiteral("ledger workers (default 500)"), QStringLiteral("N"), QStringLiteral("500"));
    const QCommandLineOption reader(QStringLiteral("reader"), QStringLiteral("the workbook reader script, to compare the two outputs"), QStringLiteral("FILE"));
    const QCommandLineOption partFile(QStringLiteral("part"), QStringLiteral("the results file to write"), QStringLiteral("FILE"));
    parser.addOptions({ out, runs, offices, categories, workers, reader, partFile });
    parser.process(app);
    const QDir dir(parser.value(out).isEmpty() ? QDir::tempPath() : parser.value(out));
    QDir().mkpath(dir.path());
    const int n = std::max(1, parser.value(runs).toInt());

    const CategoryTable cats = ExportGrids::categories(parser.value(categories).toInt());
    ReportGrid monthEnd;
    ExportGrids::monthEnd(monthEnd, parser.value(offices).toInt(), cats);
    ReportGrid ledger;
    ExportGrids::ledger(ledger, parser.value(workers).toInt());
    const Case cases[] = {
        { QStringLiteral("monthend"),
          QStringLiteral("month-end, %1 office rows × %2 columns").arg(parser.value(offices)).arg(monthEnd.cols()),
          ReportKind::MonthEnd, MonthEndReport().exportLayout(), DirectWorkbook::writeMonthEnd },
        { QStringLiteral("ledger"), QStringLiteral("ledger, %1 workers (%2 rows × 18 columns)").arg(parser.value(workers)).arg(ledger.rows()),
          ReportKind::Ledger, LedgerReport().exportLayout(), DirectWorkbook::writeLedger },
    };

    BenchPart part(20, QStringLiteral("Export"));
    QString rows;
    bool failed = false;
    for (const Case& c : cases) {
        const ReportGrid& grid = c.kind == ReportKind::MonthEnd ? monthEnd : ledger;
        const ExportContext context = ExportGrids::context(c.kind, grid, cats);
        const QString programPath = dir.filePath(c.name + QStringLiteral("-program.xlsx"));
        const QString floorPath = dir.filePath(c.name + QStringLiteral("-floor.xlsx"));
        Unattended host;
        bool ok = true;
        const auto program = [&] { return WriteWorkbook(c.layout, context, programPath, host, host); };
        const auto floor = [&] { return c.direct(context, floorPath); };
        timed(program, &ok);
        timed(floor, &ok);
        SampleSet p, f, model;
        for (int i = 0; i < n; ++i) {
            model.add(timed([&] { return !BuildSheet(c.layout, context).cells().empty(); }, &ok));
            if (i % 2 == 0) {
                p.add(timed(program, &ok));
                f.add(timed(floor, &ok));
            } else {
                f.add(timed(floor, &ok));
                p.add(timed(program, &ok));
            }
        }
        const QString differs = compareWorkbooks(parser.value(reader), programPath, floorPath);
        const double cells = double(grid.rows()) * double(c.layout.sheetColumns > 0 ? c.layout.sheetColumns : grid.cols());
        const double ratio = p.median() / f.median();
        const double perSecond = cells / p.median();
        failed = failed || !ok;

        BenchFigure ratioFigure;
        ratioFigure.name = QStringLiteral("export.%1").arg(c.name);
        ratioFigure.medianSeconds = p.median();
        ratioFigure.floorSeconds = f.median();
        ratioFigure.ratio = ratio;
        ratioFigure.target = QStringLiteral("program <= 2 x floor");
        ratioFigure.met = ok && ratio <= kRatioTarget;
        ratioFigure.extra.insert(QStringLiteral("cells"), cells);
        ratioFigure.extra.insert(QStringLiteral("runs"), n);
        ratioFigure.extra.insert(QStringLiteral("sheet_model_s"), model.median());
        ratioFigure.extra.insert(QStringLiteral("file_bytes"), double(QFileInfo(programPath).size()));
        ratioFigure.extra.insert(QStringLiteral("floor_output_differs_in"), differs);
        part.add(ratioFigure);
        BenchFigure rate;
        rate.name = QStringLiteral("export.%1.cells_per_s").arg(c.name);
        rate.value = perSecond;
        rate.target = QStringLiteral(">= 100000 cells/s");
        rate.met = ok && perSecond >= kCellsTarget;
        rate.extra.insert(QStringLiteral("unit"), QStringLiteral("cells/s"));
        part.add(rate);
        rows += QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | **%7** (≤ 2) | %8 | **%9** (≥ 100,000) | %10 | %11 |\n")
                    .arg(c.description)
                    .arg(cells, 0, 'f', 0)
                    .arg(BenchPart::seconds(p.median()), BenchPart::seconds(model.median()), BenchPart::seconds(f.median()))
                    .arg(BenchPart::seconds(p.min()) + QStringLiteral("–") + BenchPart::seconds(p.max()))
                    .arg(BenchPart::ratio(ratio), ratioFigure.met ? QStringLiteral("yes") : QStringLiteral("**no**"))
                    .arg(perSecond, 0, 'f', 0)
                    .arg(rate.met ? QStringLiteral("yes") : QStringLiteral("**no**"),
                         differs.isEmpty() ? QStringLiteral("identical") : QStringLiteral("differ: ") + differs);
        say(QStringLiteral("%1: program %2 s (sheet model %7 s), floor %3 s, ratio %4, %5 cells/s, outputs %6")
                .arg(c.name, BenchPart::seconds(p.median()), BenchPart::seconds(f.median()), BenchPart::ratio(ratio))
                .arg(perSecond, 0, 'f', 0)
                .arg(differs.isEmpty() ? QStringLiteral("identical") : differs, BenchPart::seconds(model.median())));
    }
    part.write(QStringLiteral(
        "The program's time is the export button's work once the path is chosen (`WriteWorkbook`): the sheet built from "
        "the grid, the workbook written to a temporary file beside the target, flushed to the disk and moved over it. "
        "The floor writes the same cells, values, merges, widths and formats straight from the grid through "
        "libxlsxwriter into the target, with no sheet model and no safe-saving steps. Both read back with the export "
        "tests' reader (`tests/workbook/read_workbook.py`): the last column says whether the two files hold the same "
        "values, styles, merges, widths and heights. The sheet model column times `BuildSheet` alone, the part of the program's time the floor does not have. Cells are the grid's rows × the sheet's columns. %1 runs each, "
        "alternating, after one warm-up.\n\n"
        "| workbook | cells | program (s) | of it, the sheet model (s) | floor (s) | program runs | ratio | met | cells/s | met | floor's file |\n"
        "|---|---|---|---|---|---|---|---|---|---|---|\n")
                   .arg(n)
               + rows + QStringLiteral("\n"));
    if (parser.isSet(partFile))
        if (const QString e = part.save(parser.value(partFile)); !e.isEmpty())
            say(e);
    return failed ? 1 : 0;
}
