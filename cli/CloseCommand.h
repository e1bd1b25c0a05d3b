#pragma once

#include "Messenger.h"

#include <QStringList>

namespace trellum {

// Whether the arguments ask for the month-end close (--close).
bool asksForClose(const QStringList& arguments);

// trellum-report --close: every chosen report of every chosen region of the period into a folder,
// one line per file or failure to `messenger` as it goes. Returns the runner's exit code; an
// item that failed makes it non-zero after all the others were done.
int runClose(const QStringList& arguments, Messenger& messenger);

} // namespace trellum
