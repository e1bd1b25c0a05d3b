// trellum: the repair department's reporting client.

#include "DesktopSetup.h"
#include "PartFileRegistry.h"
#include "Program.h"
#include "QtMessenger.h"
#include "QtSaveDialog.h"
#include "SessionState.h"
#include "TrellumVersion.h"
#include "UiLook.h"
#include "UiProbe.h"

#include <QApplication>

int main(int argc, char** argv)
{
    trellum::PartFileRegistry::installSignalCleanup();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trellum"));
    QApplication::setApplicationVersion(QStringLiteral(TRELLUM_VERSION));
    QApplication::setFont(trellum::UiLook::yahei(9));
    trellum::DesktopSetup::apply(app);

    // The real-input tests read the windows through a local socket; nobody else sets this.
    trellum::UiProbe probe;
    if (const QString socket = qEnvironmentVariable("TRELLUM_UI_PROBE"); !socket.isEmpty())
        probe.listen(socket);

    trellum::AppSession session;
    trellum::QtMessenger messenger;
    trellum::QtSaveDialog dialog;
    trellum::Program program(session, messenger, dialog, [] { QCoreApplication::exit(0); },
                             QCoreApplication::applicationDirPath());
    program.start(trellum::commandLineText(QCoreApplication::arguments()));
    return QApplication::exec();
}
