// The month-end close at company scale: every report of every region of a month in one
// trellum-report --close, against the same runs made one by one with the headless runner, on the
// file with the program's indexes and on the one without; wall time and peak memory of each.
//   trellum-bench-close --report-binary PATH --db FILE --plain-db FILE --out DIR
//                       [--from D --to D] [--jobs N] [--part FILE]

#include "BenchPart.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct ProcessRun {
    double seconds = 0;
    double cpuSeconds = 0; // user and system time of the process and its threads
    long long peakBytes = 0;
    int exitCode = -1;
};

// Runs a program to its end with its standard error sent to /dev/null: its wall time, its peak
// resident memory (the kernel's maxrss of the child) and its exit code.
ProcessRun runProgram(const QStringList& arguments)
{
    std::vector<QByteArray> bytes;
    for (const QString& a : arguments)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ProcessRun run;
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage {};
        if (wait4(pid, &status, 0, &usage) == pid) {
            run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            run.peakBytes = usage.ru_maxrss * 1024LL;
            run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        }
    }
    run.seconds = double(timer.nsecsElapsed()) / 1e9;
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

QString megabytes(long long bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 0) + QStringLiteral(" MB");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    for (const char* name : { "report-binary", "db", "plain-db", "out", "from", "to", "jobs", "part" })
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(name), QString::fromLatin1(name)));
    parser.process(app);
    const QString binary = parser.value("report-binary");
    const QString from = parser.isSet("from") ? parser.value("from") : QStringLiteral("2026-11-01");
    const QString to = parser.isSet("to") ? parser.value("to") : QStringLiteral("2026-11-30");
    const QString out = parser.value("out");
    const QStringList reports = { "completion", "ledger", "performance", "monthend" };
    QStringList regions;
    for (int r = 1; r <= 20; ++r)
        regions << QStringLiteral("%1").arg(r, 2, 10, QLatin1Char('0'));

    trellum::bench::BenchPart part(80, QStringLiteral("Month-end close"));
    part.write(QStringLiteral("| file | close (4 × 20 items, one command) | its processor time | peak memory | the same 80 runs one by one | their processor time | peak memory of one run | target |\n"
                              "|---|---|---|---|---|---|---|---|\n"));
    bool allMet = true;
    for (const auto& [label, database, limit] : { std::tuple { "indexed", parser.value("db"), 10.0 },
                                                  std::tuple { "without indexes", parser.value("plain-db"), 60.0 } }) {
        const QString folder = QDir(out).filePath(QString::fromLatin1(label).replace(QLatin1Char(' '), QLatin1Char('-')));
        QDir(folder).removeRecursively();
        QStringList close = { binary, "--close", "--from", from, "--to", to, "--out", folder + QStringLiteral("/close"),
                              "--db", database, "--today", "2026-12-01" };
        if (parser.isSet("jobs"))
            close << "--jobs" << parser.value("jobs");
        const ProcessRun whole = runProgram(close);
        ProcessRun single;
        QDir().mkpath(folder + QStringLiteral("/single"));
        for (const QString& region : regions)
            for (const QString& report : reports) {
                const ProcessRun one = runProgram({ binary, "--report", report, "--from", from, "--to", to, "--region", region,
                                                    "--db", database, "--today", "2026-12-01", "--xlsx",
                                                    folder + QStringLiteral("/single/%1-%2.xlsx").arg(region, report) });
                single.seconds += one.seconds;
                single.cpuSeconds += one.cpuSeconds;
                single.peakBytes = std::max(single.peakBytes, one.peakBytes);
                if (one.exitCode != 0)
                    single.exitCode = one.exitCode;
            }
        const bool met = whole.exitCode == 0 && whole.seconds <= limit && whole.peakBytes < 300LL * 1024 * 1024;
        allMet = allMet && met;
        std::printf("close %s: %.2f s (%.2f s of processor time), peak %s (exit %d); 80 single runs %.2f s (%.2f s of "
                    "processor time), peak %s\n",
                    label, whole.seconds, whole.cpuSeconds, qPrintable(megabytes(whole.peakBytes)), whole.exitCode,
                    single.seconds, single.cpuSeconds, qPrintable(megabytes(single.peakBytes)));
        std::fflush(stdout);
        part.write(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | ≤ %8 s, < 300 MB: %9 |\n")
                       .arg(QString::fromLatin1(label), trellum::bench::BenchPart::seconds(whole.seconds),
                            trellum::bench::BenchPart::seconds(whole.cpuSeconds), megabytes(whole.peakBytes),
                            trellum::bench::BenchPart::seconds(single.seconds),
                            trellum::bench::BenchPart::seconds(single.cpuSeconds), megabytes(single.peakBytes))
                       .arg(limit)
                       .arg(met ? QStringLiteral("met") : QStringLiteral("not met")));
        trellum::bench::BenchFigure figure;
        figure.name = QStringLiteral("close %1").arg(QString::fromLatin1(label));
        figure.medianSeconds = whole.seconds;
        figure.floorSeconds = single.seconds;
        figure.ratio = whole.seconds / single.seconds;
        figure.target = QStringLiteral("<= %1 s, < 300 MB").arg(limit);
        figure.met = met;
        figure.extra.insert(QStringLiteral("peak_bytes"), double(whole.peakBytes));
        figure.extra.insert(QStringLiteral("cpu_s"), whole.cpuSeconds);
        figure.extra.insert(QStringLiteral("single_cpu_s"), single.cpuSeconds);
        figure.extra.insert(QStringLiteral("single_peak_bytes"), double(single.peakBytes));
        part.add(figure);
    }
    if (parser.isSet("part")) {
        const QString saved = part.save(parser.value("part"));
        if (!saved.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(saved));
    }
    return allMet ? 0 : 1;
}
