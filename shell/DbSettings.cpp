#include "DbSettings.h"

#include <QSettings>
#include <QStandardPaths>

namespace trellum {

QString dbSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Quorvel2011.conf");
}

DbSettings readDbSettings(const QString& path)
{
    QSettings store(path.isEmpty() ? dbSettingsPath() : path, QSettings::IniFormat);
    store.beginGroup(QStringLiteral("DBConfig"));
    auto key = [&](const char* name) { return store.value(QString::fromLatin1(name)).toString(); };
    DbSettings s;
    s.Svr = key("Svr");
    s.UID = key("UID");
    s.PWD = key("PWD");
    s.DBname = key("DBname");
    s.Driver = key("Driver");
    return s;
}

} // namespace trellum
