// trellum: the repair department's reporting client.

#include "DesktopSetup.h"
#include "PartFileRegistry.h"
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
    trellum::PartFileRegistry::installSignalCleanup();
    trellum::QtMessageRoute::install(trellum::QtMessageRoute::verboseAsked(argc, argv));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trellum"));
    QApplication::setApplicationVersion(QStringLiteral(TRELLUM_VERSION));
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
                             QCoreApplication::applicationDirPath());
    program.start(trellum::commandLineText(trellum::QtMessageRoute::withoutVerbose(QCoreApplication::arguments())));
    return QApplication::exec();
}
