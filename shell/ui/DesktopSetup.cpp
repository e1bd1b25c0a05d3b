#include "DesktopSetup.h"

#include "ProgramIcon.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace trellum {

bool DesktopSetup::apply(QApplication& app)
{
    // The program's own texts are Chinese; the framework's (standard buttons, the file dialog and
    // its questions, the calendar's day and month names) follow the default locale and the
    // framework's translations, so both are set here rather than taken from the system.
    const QLocale chinese(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
    QLocale::setDefault(chinese);
    QApplication::setWindowIcon(ProgramIcon::icon());
    auto* translator = new QTranslator(&app);
    if (!translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace trellum
