// trellum: the repair department's reporting client.

#include "DesktopSetup.h"
#include "PartFileRegistry.h"
#include "ProgramInfo.h"
#include "Program.h"
#include "QtMessageRoute.h"
#include "QtMessenger.h"
#include "QtSaveDialog.h"
#include "SessionState.h"
#include "TrellumVersion.h"
#include "UiLook.h"
#ifdef TRELLUM_UI_PROBE
#include "UiProbe.h"
#endif

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // --version and --help answer before the application starts, so they need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const auto reply = trellum::desktopInfoReply(arguments)) {
        const QByteArray text = reply->toUtf8();
        const bool written = std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout) == std::size_t(text.size());
        return written && std::fflush(stdout) == 0 ? 0 : 1;
    }

    trellum::PartFileRegistry::installSignalCleanup();
    trellum::QtMessageRoute::install(trellum::QtMessageRoute::verboseAsked(argc, argv));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trellum"));
    QApplication::setApplicationVersion(QStringLiteral(TRELLUM_VERSION));
    // the menu entry the desktop matches the windows with
    QGuiApplication::setDesktopFileName(QStringLiteral("trellum"));
    QApplication::setFont(trellum::UiLook::yahei(9));
    trellum::DesktopSetup::apply(app);

#ifdef TRELLUM_UI_PROBE
    // The real-input tests read the windows through a local socket; nobody else sets this.
    trellum::UiProbe probe;
    if (const QString socket = qEnvironmentVariable("TRELLUM_UI_PROBE"); !socket.isEmpty() && !probe.listen(socket))
        std::fprintf(stderr, "trellum: TRELLUM_UI_PROBE: %s exists already or cannot be made; no window probe\n",
                     socket.toLocal8Bit().constData());
#endif

    trellum::AppSession session;
    trellum::QtMessenger messenger;
    trellum::QtSaveDialog dialog;
    trellum::Program program(session, messenger, dialog, [] { QCoreApplication::exit(0); },
                             trellum::dataFolder(QCoreApplication::applicationDirPath()));
    program.start(trellum::commandLineText(trellum::QtMessageRoute::withoutVerbose(QCoreApplication::arguments())));
    return QApplication::exec();
}
