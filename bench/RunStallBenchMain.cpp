// trellum-bench-runstall: a report window while a long run goes, on the offscreen platform, as
// the program shows it: the event loop's longest stall from the press of the run button until the
// grid has taken the result over (target <= 50 ms), and the time from the stop button to a usable
// window (target <= 1 s). A database without the program's indexes makes the run long. See --help.

#include "BenchPart.h"
#include "Messenger.h"
#include "ReportCatalog.h"
#include "ReportWindow.h"
#include "SampleSet.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace trellum;
using namespace trellum::bench;

namespace {

constexpr double kStallTargetMs = 50;
constexpr double kStopTargetSeconds = 1.0;

void say(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

// Messages are kept, never shown; the save dialog is never asked.
class QuietMessenger final : public Messenger {
public:
    MessageAnswer show(const Message& message) override
    {
        texts << message.text;
        return MessageAnswer::Ok;
    }
    QStringList texts;
};

class NoSaveDialog final : public SaveDialog {
public:
    std::optional<QString> askSavePath(const QString&, const QString&) override { return std::nullopt; }
};

// The longest gap between the ticks of a 1 ms timer while `busy` holds.
template <typename Busy>
double longestStallMs(Busy busy)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start();
    while (busy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    longest = std::max(longest, clock.nsecsElapsed() - last);
    return double(longest) / 1e6;
}

void waitMs(int ms)
{
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.start(1);
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The report window's event loop during a long run and the stop button."));
    parser.addHelpOption();
    const QCommandLineOption dbOption(QStringLiteral("db"), QStringLiteral("the embedded database (best without the indexes)"), QStringLiteral("FILE"));
    const QCommandLineOption reportOption(QStringLiteral("report"), QStringLiteral("completion, ledger, performance or monthend (default performance)"), QStringLiteral("NAME"), QStringLiteral("performance"));
    const QCommandLineOption fromOption(QStringLiteral("from"), QStringLiteral("first day (default 2025-12-01)"), QStringLiteral("DATE"), QStringLiteral("2025-12-01"));
    const QCommandLineOption toOption(QStringLiteral("to"), QStringLiteral("last day (default 2026-11-30)"), QStringLiteral("DATE"), QStringLiteral("2026-11-30"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("runs of each figure (default 3)"), QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption stopAfterOption(QStringLiteral("stop-after"), QStringLiteral("ms from the run button to the stop button (default 1000)"), QStringLiteral("MS"), QStringLiteral("1000"));
    const QCommandLineOption partOption(QStringLiteral("part"), QStringLiteral("write the summary's part file here"), QStringLiteral("FILE"));
    parser.addOptions({ dbOption, reportOption, fromOption, toOption, runsOption, stopAfterOption, partOption });
    parser.process(app);
    std::optional<ReportKind> kind;
    for (ReportKind k : { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd })
        if (reportName(k) == parser.value(reportOption))
            kind = k;
    if (!parser.isSet(dbOption) || !kind) {
        say(QStringLiteral("--db FILE and a known --report are needed"));
        return 2;
    }
    const int runs = std::max(1, parser.value(runsOption).toInt());

    DbConnection connection;
    if (const DbStatus failed = connection.openSqlite(parser.value(dbOption))) {
        say(reportErrorText(*failed));
        return 1;
    }
    QuietMessenger messenger;
    NoSaveDialog dialog;
    ReportWindowInputs inputs { [&connection]() -> DbConnection& { return connection; }, QString(), QString(), QString(),
                                &findReport(*kind) };
    ReportWindow window(std::move(inputs), messenger, dialog);
    window.resize(1200, 800);
    window.show();
    window.findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(QDate::fromString(parser.value(fromOption), Qt::ISODate));
    window.findChild<QDateEdit*>(QStringLiteral("DTPicker2"))->setDate(QDate::fromString(parser.value(toOption), Qt::ISODate));
    auto* regions = window.findChild<QComboBox*>(QStringLiteral("Combo1"));
    regions->setCurrentIndex(0);
    emit regions->activated(0); // as the user's choice does: the tree is filled
    window.findChild<QCheckBox*>(QStringLiteral("Check1"))->click();
    window.findChild<QCheckBox*>(QStringLiteral("Check2"))->click();
    auto* run = window.findChild<QPushButton*>(QStringLiteral("Command5"));

    SampleSet stalls;
    SampleSet durations;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        run->click();
        stalls.add(longestStallMs([&window] { return window.running(); }));
        durations.add(double(clock.nsecsElapsed()) / 1e9);
        if (!messenger.texts.isEmpty()) {
            say(QStringLiteral("the run failed: ") + messenger.texts.join(QLatin1Char('|')));
            return 1;
        }
    }
    SampleSet stops;
    for (int i = 0; i < runs; ++i) {
        run->click();
        waitMs(parser.value(stopAfterOption).toInt());
        if (!window.running()) {
            say(QStringLiteral("the run ended before the stop: a longer run is needed (a database without the indexes)"));
            return 1;
        }
        QElapsedTimer clock;
        clock.start();
        run->click();
        while (window.running())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        stops.add(double(clock.nsecsElapsed()) / 1e9);
    }
    const double stall = stalls.max();
    const double stop = stops.max();
    std::printf("run of %s: median %.2f s over %d runs\n", qPrintable(parser.value(reportOption)), durations.median(), runs);
    std::printf("longest stall of the event loop during a run: %.1f ms (target <= %.0f ms)\n", stall, kStallTargetMs);
    std::printf("stop button to a usable window: longest %.3f s, median %.3f s (target <= %.1f s)\n", stop, stops.median(),
                kStopTargetSeconds);

    if (parser.isSet(partOption)) {
        BenchPart part(70, QStringLiteral("A run and the stop button"));
        BenchFigure stallFigure { QStringLiteral("window.stall.") + parser.value(reportOption), std::nullopt, stall,
                                  std::nullopt, std::nullopt, QStringLiteral("<= 50 ms"), stall <= kStallTargetMs, {} };
        stallFigure.extra.insert(QStringLiteral("unit"), QStringLiteral("ms"));
        stallFigure.extra.insert(QStringLiteral("run_median_s"), durations.median());
        part.add(stallFigure);
        part.add(BenchFigure { QStringLiteral("window.stop.embedded"), stops.median(), std::nullopt, std::nullopt,
                               std::nullopt, QStringLiteral("<= 1 s, longest"), stop <= kStopTargetSeconds, {} });
        part.write(QStringLiteral("The report window during a run of the %1 report (%2 s) on the database without the "
                                  "indexes: the longest stall of its event loop %3 ms; from the stop button to a usable "
                                  "window at most %4.\n")
                       .arg(parser.value(reportOption), BenchPart::seconds(durations.median()), QString::number(stall, 'f', 1),
                            BenchPart::seconds(stop)));
        const QString failed = part.save(parser.value(partOption));
        if (!failed.isEmpty()) {
            say(failed);
            return 1;
        }
    }
    return stall <= kStallTargetMs && stop <= kStopTargetSeconds ? 0 : 3;
}
