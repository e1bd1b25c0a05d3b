#include "ProgramInfo.h"

#include "TrellumVersion.h"

#include <QDir>
#include <QFileInfo>

namespace trellum {

namespace {

const char* const kDesktopHelp =
    "Usage: trellum [HAND-OFF]\n"
    "The repair department's reporting client.\n\n"
    "Without arguments it opens the login window. HAND-OFF is a user already logged in, handed over\n"
    "by a launching host: ten comma-separated fields in one argument (employee number, name,\n"
    "department number and name, position code and name, department category code and name,\n"
    "position category number and name).\n\n"
    "  --version   the program's version\n"
    "  --help      this text\n\n"
    "The database settings are read from $XDG_CONFIG_HOME/Quorvel2011.conf\n"
    "(~/.config/Quorvel2011.conf), section [DBConfig].\n";

} // namespace

QString versionLine(const QString& program)
{
    return program + QStringLiteral(" " TRELLUM_VERSION);
}

std::optional<QString> desktopInfoReply(const QStringList& arguments)
{
    if (arguments.size() != 2)
        return std::nullopt;
    const QString& option = arguments[1];
    if (option == QLatin1String("--version"))
        return versionLine(QStringLiteral("trellum")) + QLatin1Char('\n');
    if (option == QLatin1String("--help") || option == QLatin1String("-h"))
        return QString::fromUtf8(kDesktopHelp);
    return std::nullopt;
}

QString dataFolder(const QString& programFolder)
{
    const QDir beside(programFolder);
    if (QFileInfo::exists(beside.filePath(QStringLiteral("MDI.BMP"))))
        return programFolder;
    return QDir::cleanPath(beside.filePath(QStringLiteral(TRELLUM_DATA_FROM_PROGRAM)));
}

} // namespace trellum
