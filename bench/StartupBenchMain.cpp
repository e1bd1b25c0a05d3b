// trellum-bench-startup: the desktop program's start-up and memory on the offscreen platform.
// Without --child it is the driver: it starts itself as the program (--child) once per run and
// report window, each time taking the steady clock just before the spawn, and gathers what each
// start measured from that moment. See --help.

#include "BenchPart.h"
#include "SampleSet.h"
#include "StartupProbe.h"
#include "UiLook.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <map>

using namespace trellum;
using namespace trellum::bench;

namespace {

constexpr double kLoginTarget = 0.5;
constexpr double kWindowTarget = 1.0;
constexpr double kMemoryTarget = 200;

const ReportKind kKinds[] = { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd };

void say(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The program itself, as app/main.cpp starts it, watched by the probe.
int child(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trellum"));
    QApplication::setFont(UiLook::yahei(9));
    const QStringList args = QCoreApplication::arguments();
    auto value = [&args](const QString& name) {
        const qsizetype i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args[i + 1] : QString();
    };
    StartupProbe::Options o;
    o.originNs = value(QStringLiteral("--origin-ns")).toLongLong();
    for (ReportKind k : kKinds)
        if (reportName(k) == value(QStringLiteral("--report")))
            o.kind = k;
    o.programFolder = value(QStringLiteral("--program-folder"));
    o.user = value(QStringLiteral("--user"));
    o.password = value(QStringLiteral("--password"));
    o.runReport = args.contains(QStringLiteral("--run-report"));
    o.region = value(QStringLiteral("--region"));
    o.lastDay = QDate::fromString(value(QStringLiteral("--last-day")), Qt::ISODate);
    StartupProbe probe(o);
    probe.start();
    return QApplication::exec();
}

// One start of the program; its JSON line, or an object with "error".
QJsonObject spawn(const QStringList& arguments, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 origin = steadyNs();
    p.start(QCoreApplication::applicationFilePath(),
            QStringList { QStringLiteral("--child"), QStringLiteral("--origin-ns"), QString::number(origin) } + arguments);
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        return { { QStringLiteral("error"), QStringLiteral("the program did not end normally") } };
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput().trimmed()).object();
    return o.isEmpty() ? QJsonObject { { QStringLiteral("error"), QStringLiteral("no result") } } : o;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--child") == 0)
            return child(argc, argv);

    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the desktop program's start-up and its memory after each report."));
    parser.addHelpOption();
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("the database"), QStringLiteral("FILE"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("starts per report window (default 5)"), QStringLiteral("N"), QStringLiteral("5"));
    const QCommandLineOption region(QStringLiteral("region"), QStringLiteral("the region the reports run for (default 03)"), QStringLiteral("CODE"), QStringLiteral("03"));
    const QCommandLineOption lastDay(QStringLiteral("last-day"), QStringLiteral("the last day of the data (default 2026-11-30)"), QStringLiteral("YYYY-MM-DD"), QStringLiteral("2026-11-30"));
    const QCommandLineOption folder(QStringLiteral("program-folder"), QStringLiteral("the program's folder, with MDI.BMP"), QStringLiteral("DIR"), QStringLiteral(TRELLUM_PROGRAM_FOLDER));
    const QCommandLineOption partFile(QStringLiteral("part"), QStringLiteral("the results file to write"), QStringLiteral("FILE"));
    parser.addOptions({ db, runs, region, lastDay, folder, partFile });
    parser.process(app);
    if (!parser.isSet(db)) {
        say(QStringLiteral("--db FILE is required"));
        return 2;
    }

    // the user's settings point at the database, in a settings folder of the benchmark's own
    QTemporaryDir config;
    {
        QSettings settings(QDir(config.path()).filePath(QStringLiteral("Quorvel2011.conf")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("DBConfig/Svr"), QStringLiteral("sqlite:") + QFileInfo(parser.value(db)).absoluteFilePath());
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    const QStringList common = { QStringLiteral("--program-folder"), parser.value(folder), QStringLiteral("--user"),
                                 QStringLiteral("1001"), QStringLiteral("--password"), QStringLiteral("1234"),
                                 QStringLiteral("--region"), parser.value(region), QStringLiteral("--last-day"),
                                 parser.value(lastDay) };
    const int n = std::max(1, parser.value(runs).toInt());

    // a first start fills the system's font and file caches; it is not counted
    spawn(common + QStringList { QStringLiteral("--report"), QStringLiteral("completion") }, env);

    SampleSet login;
    SampleSet mainWindow;
    std::map<ReportKind, SampleSet> window;
    std::map<ReportKind, QJsonObject> ran;
    QString errors;
    for (int i = 0; i <= n; ++i) {
        for (ReportKind k : kKinds) {
            // the last start of each window also runs its report; it is not timed for start-up
            const bool runReport = i == n;
            QStringList args = common + QStringList { QStringLiteral("--report"), reportName(k) };
            if (runReport)
                args << QStringLiteral("--run-report");
            const QJsonObject o = spawn(args, env);
            if (o.contains(QStringLiteral("error"))) {
                errors += reportName(k) + QStringLiteral(": ") + o.value(QStringLiteral("error")).toString() + QLatin1Char(' ');
                continue;
            }
            if (runReport) {
                ran[k] = o;
                continue;
            }
            login.add(o.value(QStringLiteral("login_shown_s")).toDouble());
            mainWindow.add(o.value(QStringLiteral("main_shown_s")).toDouble());
            window[k].add(o.value(QStringLiteral("report_shown_s")).toDouble());
        }
    }

    BenchPart part(30, QStringLiteral("Start-up and memory"));
    BenchFigure lf;
    lf.name = QStringLiteral("startup.login_window");
    lf.medianSeconds = login.median();
    lf.target = QStringLiteral("< 0.5 s");
    lf.met = login.count() > 0 && login.median() < kLoginTarget;
    lf.extra.insert(QStringLiteral("runs"), login.count());
    part.add(lf);
    QString rows = QStringLiteral("| login window shown | %1 | %2 | %3 | < 0.5 s | %4 |\n")
                       .arg(BenchPart::seconds(login.median()), BenchPart::seconds(login.min()) + QStringLiteral("–") + BenchPart::seconds(login.max()))
                       .arg(login.count())
                       .arg(lf.met ? QStringLiteral("yes") : QStringLiteral("**no**"));
    rows += QStringLiteral("| main window shown, after the login | %1 | %2 | %3 | – | – |\n")
                .arg(BenchPart::seconds(mainWindow.median()), BenchPart::seconds(mainWindow.min()) + QStringLiteral("–") + BenchPart::seconds(mainWindow.max()))
                .arg(mainWindow.count());
    QString memory;
    for (ReportKind k : kKinds) {
        const SampleSet& s = window[k];
        BenchFigure f;
        f.name = QStringLiteral("startup.report_window.%1").arg(reportName(k));
        f.medianSeconds = s.median();
        f.target = QStringLiteral("< 1 s");
        f.met = s.count() > 0 && s.median() < kWindowTarget;
        f.extra.insert(QStringLiteral("runs"), s.count());
        part.add(f);
        rows += QStringLiteral("| %1 window open, lists loaded | %2 | %3 | %4 | < 1 s | %5 |\n")
                    .arg(reportName(k), BenchPart::seconds(s.median()), BenchPart::seconds(s.min()) + QStringLiteral("–") + BenchPart::seconds(s.max()))
                    .arg(s.count())
                    .arg(f.met ? QStringLiteral("yes") : QStringLiteral("**no**"));
        const QJsonObject& o = ran[k];
        const double peak = std::max(o.value(QStringLiteral("month_peak_mb")).toDouble(), o.value(QStringLiteral("year_peak_mb")).toDouble());
        BenchFigure m;
        m.name = QStringLiteral("memory.peak_after.%1").arg(reportName(k));
        m.value = peak;
        m.target = QStringLiteral("< 200 MB");
        m.met = !o.isEmpty() && peak > 0 && peak < kMemoryTarget;
        m.extra.insert(QStringLiteral("unit"), QStringLiteral("MB"));
        for (const char* key : { "report_shown_peak_mb", "month_peak_mb", "year_peak_mb", "month_run_s", "year_run_s", "month_grid_rows", "year_grid_rows" })
            m.extra.insert(QString::fromLatin1(key), o.value(QLatin1String(key)));
        part.add(m);
        memory += QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | **%7** | < 200 MB | %8 |\n")
                      .arg(reportName(k))
                      .arg(o.value(QStringLiteral("report_shown_peak_mb")).toDouble(), 0, 'f', 1)
                      .arg(BenchPart::seconds(o.value(QStringLiteral("month_run_s")).toDouble()))
                      .arg(o.value(QStringLiteral("month_peak_mb")).toDouble(), 0, 'f', 1)
                      .arg(BenchPart::seconds(o.value(QStringLiteral("year_run_s")).toDouble()))
                      .arg(o.value(QStringLiteral("year_peak_mb")).toDouble(), 0, 'f', 1)
                      .arg(peak, 0, 'f', 1)
                      .arg(m.met ? QStringLiteral("yes") : QStringLiteral("**no**"));
    }
    part.write(QStringLiteral(
        "The program's own windows (the ui libraries linked into `trellum-bench-startup`, made as `app/main.cpp` makes them) "
        "on the offscreen platform, on the 1,000,000-order database, with the user's settings pointing at it. Each start is "
        "a new process; its times run from the steady clock the driver takes just before spawning it, so they include "
        "loading the libraries and Qt's platform plugin. The login window counts as shown when its first paint has ended. "
        "The login is then typed at once (1001, one position: straight to the main window), and as soon as the main window "
        "has been painted the report window is opened as from the menu; it counts as open when it has been painted with its "
        "region and category lists loaded and its grid laid out. %1 starts per window after one uncounted start.%2\n\n"
        "| moment | median (s) | runs (s) | runs | target | met |\n|---|---|---|---|---|---|\n")
                   .arg(n)
                   .arg(errors.isEmpty() ? QString() : QStringLiteral(" Failed starts: ") + errors)
               + rows
               + QStringLiteral("\n### Peak memory of the program\n\nOne more start per window runs its report through the window's own "
                                "controls (region %1, every office or worker and category ticked): one month, then one year. Peak "
                                "memory is the program process's resident peak (VmHWM) since its start.\n\n"
                                "| report | at window open (MB) | month run (s) | after the month (MB) | year run (s) | after the year (MB) | peak (MB) | target | met |\n"
                                "|---|---|---|---|---|---|---|---|---|\n")
                     .arg(parser.value(region))
               + memory + QStringLiteral("\n"));
    if (!errors.isEmpty())
        say(errors);
    say(QStringLiteral("login %1 s; windows %2 / %3 / %4 / %5 s")
            .arg(BenchPart::seconds(login.median()), BenchPart::seconds(window[ReportKind::Completion].median()),
                 BenchPart::seconds(window[ReportKind::Ledger].median()), BenchPart::seconds(window[ReportKind::Performance].median()),
                 BenchPart::seconds(window[ReportKind::MonthEnd].median())));
    if (parser.isSet(partFile))
        if (const QString e = part.save(parser.value(partFile)); !e.isEmpty())
            say(e);
    return errors.isEmpty() ? 0 : 1;
}
