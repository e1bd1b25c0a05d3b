#pragma once

#include <QStringList>

namespace trellum {

// Where the Qt library's own messages go (its warnings about a driver or a file name, say): the
// program's messages are its own, so Qt's are dropped unless they are asked for with --verbose or
// a QT_LOGGING_RULES setting; then each goes to standard error as one whole line of its own,
// "Qt: " before it. A fatal one is always shown.
class QtMessageRoute {
public:
    // Installs the route; `verbose` shows Qt's messages (QT_LOGGING_RULES in the environment
    // does too).
    static void install(bool verbose);
    // Whether the program's arguments ask for --verbose (looked at before Qt starts, so that its
    // first messages take the route too).
    static bool verboseAsked(int argc, char** argv);
    // The arguments without the --verbose flag.
    static QStringList withoutVerbose(QStringList arguments);
};

} // namespace trellum
