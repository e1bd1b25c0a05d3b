// trellum-bench-print: the PDF of a report's sheet against the workbook of the same sheet. See --help.

#include "BenchPart.h"
#include "ExportGrids.h"
#include "LedgerReport.h"
#include "MonthEndReport.h"
#include "PdfExport.h"
#include "SampleSet.h"
#include "UnattendedExport.h"
#include "SheetPainter.h"
#include "SpreadsheetExport.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>

#include <chrono>
#include <cstdio>
#include <functional>

using namespace trellum;
using namespace trellum::bench;

namespace {

constexpr double kRatioTarget = 2;

struct Case {
    QString name;
    QString description;
    ReportKind kind;
    ExportLayout layout;
    ReportGrid grid;
};

} // namespace

int main(int argc, char** argv)
{
    // the offscreen platform has the fonts and opens no window
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the PDF of a report against the workbook of the same sheet."));
    parser.addHelpOption();
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("folder for the files"), QStringLiteral("DIR"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("timed runs of each (default 7)"), QStringLiteral("N"), QStringLiteral("7"));
    const QCommandLineOption offices(QStringLiteral("offices"), QStringLiteral("month-end offices of the region (default 15)"), QStringLiteral("N"), QStringLiteral("15"));
    const QCommandLineOption categories(QStringLiteral("categories"), QStringLiteral("month-end categories (default 15)"), QStringLiteral("N"), QStringLiteral("15"));
    const QCommandLineOption workers(QStringLiteral("workers"), QStringLiteral("ledger workers of the region (default 30)"), QStringLiteral("N"), QStringLiteral("30"));
    const QCommandLineOption most(QStringLiteral("most-workers"), QStringLiteral("the largest ledger (default 989)"), QStringLiteral("N"), QStringLiteral("989"));
    const QCommandLineOption partFile(QStringLiteral("part"), QStringLiteral("the results file to write"), QStringLiteral("FILE"));
    parser.addOptions({ out, runs, offices, categories, workers, most, partFile });
    parser.process(app);
    const QDir dir(parser.value(out).isEmpty() ? QDir::tempPath() : parser.value(out));
    QDir().mkpath(dir.path());
    const int n = std::max(1, parser.value(runs).toInt());

    const CategoryTable cats = ExportGrids::categories(parser.value(categories).toInt());
    std::vector<Case> cases(3);
    cases[0] = { QStringLiteral("monthend"), QStringLiteral("month-end of a region, %1 offices").arg(parser.value(offices)),
                 ReportKind::MonthEnd, MonthEndReport().exportLayout(), {} };
    ExportGrids::monthEnd(cases[0].grid, parser.value(offices).toInt(), cats);
    cases[1] = { QStringLiteral("ledger"), QStringLiteral("ledger of a region for a year, %1 workers").arg(parser.value(workers)),
                 ReportKind::Ledger, LedgerReport().exportLayout(), {} };
    ExportGrids::ledger(cases[1].grid, parser.value(workers).toInt());
    cases[2] = { QStringLiteral("ledger_most"), QStringLiteral("ledger of the most workers a database holds, %1").arg(parser.value(most)),
                 ReportKind::Ledger, LedgerReport().exportLayout(), {} };
    ExportGrids::ledger(cases[2].grid, parser.value(most).toInt());

    BenchPart part(25, QStringLiteral("PDF"));
    QString rows;
    bool failed = false;
    for (const Case& c : cases) {
        const ExportContext context = ExportGrids::context(c.kind, c.grid, cats);
        const QString pdfPath = dir.filePath(c.name + QStringLiteral(".pdf"));
        const QString xlsxPath = dir.filePath(c.name + QStringLiteral(".xlsx"));
        Unattended host;
        bool ok = true;
        const auto pdf = [&] { return WritePdf(c.layout, context, pdfPath, host, host); };
        const auto workbook = [&] { return WriteWorkbook(c.layout, context, xlsxPath, host, host); };
        timed(pdf, &ok);
        timed(workbook, &ok);
        SampleSet p, w, pages;
        const Sheet sheet = BuildSheet(c.layout, context);
        const SheetPainter painter(sheet);
        int pageCount = 0;
        for (int i = 0; i < n; ++i) {
            pages.add(timed([&] { return (pageCount = int(painter.pages(painter.pageLayout()).pages.size())) > 0; }, &ok));
            if (i % 2 == 0) {
                p.add(timed(pdf, &ok));
                w.add(timed(workbook, &ok));
            } else {
                w.add(timed(workbook, &ok));
                p.add(timed(pdf, &ok));
            }
        }
        const double ratio = p.median() / w.median();
        failed = failed || !ok;
        BenchFigure figure;
        figure.name = QStringLiteral("pdf.%1").arg(c.name);
        figure.medianSeconds = p.median();
        figure.floorSeconds = w.median();
        figure.ratio = ratio;
        figure.target = QStringLiteral("PDF <= 2 x workbook");
        figure.met = ok && ratio <= kRatioTarget;
        figure.extra.insert(QStringLiteral("rows"), c.grid.rows());
        figure.extra.insert(QStringLiteral("pages"), pageCount);
        figure.extra.insert(QStringLiteral("pagination_s"), pages.median());
        figure.extra.insert(QStringLiteral("runs"), n);
        figure.extra.insert(QStringLiteral("pdf_bytes"), double(QFileInfo(pdfPath).size()));
        part.add(figure);
        rows += QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | **%7** (≤ 2) | %8 |\n")
                    .arg(c.description)
                    .arg(c.grid.rows())
                    .arg(pageCount)
                    .arg(BenchPart::seconds(p.median()), BenchPart::seconds(pages.median()), BenchPart::seconds(w.median()),
                         BenchPart::ratio(ratio), figure.met ? QStringLiteral("yes") : QStringLiteral("**no**"));
        say(QStringLiteral("%1: %2 rows, %3 pages; PDF %4 s (pagination %5 s), workbook %6 s, ratio %7")
                .arg(c.name)
                .arg(c.grid.rows())
                .arg(pageCount)
                .arg(BenchPart::seconds(p.median()), BenchPart::seconds(pages.median()), BenchPart::seconds(w.median()),
                     BenchPart::ratio(ratio)));
    }
    part.write(QStringLiteral(
        "The PDF's time is the PDF button's work once the path is chosen (`WritePdf`): the sheet built from the grid, "
        "its pages planned and painted, the document written beside the target and moved over it. It is set against "
        "the export button's work for the same grid (`WriteWorkbook`). The grids are filled as the export benchmark's "
        "are; no statement is sent, so the database and its indexes play no part. Pagination times the page plan alone. "
        "%1 runs each, alternating, after one warm-up.\n\n"
        "| report | grid rows | pages | PDF (s) | of it, pagination (s) | workbook (s) | ratio | met |\n"
        "|---|---|---|---|---|---|---|---|\n")
                   .arg(n)
               + rows + QStringLiteral("\n"));
    if (parser.isSet(partFile))
        if (const QString e = part.save(parser.value(partFile)); !e.isEmpty())
            say(e);
    return failed ? 1 : 0;
}
