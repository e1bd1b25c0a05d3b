#include "QtMessageRoute.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace trellum {

namespace {

std::atomic<bool> g_shown { false };

void route(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtFatalMsg && !g_shown.load())
        return;
    // one write for the whole line, so that no other line of the program runs into it
    const QByteArray line = "Qt: " + text.toUtf8().replace('\n', ' ') + '\n';
    const char* p = line.constData();
    qsizetype left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(STDERR_FILENO, p, std::size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // nothing more can be done for a message on a standard error that is gone
        p += n;
        left -= n;
    }
}

} // namespace

void QtMessageRoute::install(bool verbose)
{
    g_shown.store(verbose || !qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"));
    qInstallMessageHandler(route);
}

bool QtMessageRoute::verboseAsked(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--verbose") == 0)
            return true;
    return false;
}

QStringList QtMessageRoute::withoutVerbose(QStringList arguments)
{
    arguments.removeAll(QStringLiteral("--verbose"));
    return arguments;
}

} // namespace trellum
