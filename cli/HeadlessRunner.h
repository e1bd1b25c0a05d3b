#pragma once

#include "Messenger.h"

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

// A day as the runner's options write it, YYYY-MM-DD, or nullopt.
std::optional<QDate> parseDay(const QString& text);

} // namespace trellum
