#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace trellum {

// The line `--version` prints: the program's name and the project's version, "trellum 1.0".
QString versionLine(const QString& program);

// What the desktop program prints and ends with instead of starting, for a command line (program
// path first) that is `--version`, `--help` or `-h` alone; nothing for any other line, which is
// left to the hand-off.
std::optional<QString> desktopInfoReply(const QStringList& arguments);

// Where the program's data ("MDI.BMP") is: the program's own folder when it holds the picture,
// as a build folder does, else the data folder of an installation, share/trellum beside the
// program's bin folder.
QString dataFolder(const QString& programFolder);

} // namespace trellum
