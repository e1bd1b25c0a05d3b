#pragma once

#include "Messenger.h"

#include <QCommandLineParser>
#include <QDate>
#include <QIODevice>
#include <QStringList>

#include <optional>

namespace trellum {

// Exit codes of the headless runner.
enum HeadlessExit { kExitOk = 0, kExitRefused = 2, kExitDatabase = 3, kExitExport = 4 };

// Runs one report without windows: the arguments of trellum-report (program name first),
// documents to `out` (standard output) or files, every message to `messenger`.
int runHeadless(const QStringList& arguments, QIODevice& out, Messenger& messenger);

// The days the runner's options give: --from and --to, and --today (today when not given).
struct RunDays {
    QDate from;
    QDate to;
    QDate today;
};

// Reads the days, each written YYYY-MM-DD; nullopt, with the refusal said to `messenger`, when
// one is not a valid day.
std::optional<RunDays> parseDays(const QCommandLineParser& parser, Messenger& messenger);

} // namespace trellum
