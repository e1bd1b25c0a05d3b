#pragma once

#include <QString>

namespace trellum {

// The database settings of the per-user settings store: application "Quorvel2011", section
// "DBConfig". A missing key reads as "". The program never writes them. Each value is read as it
// is written (host,port, host\instance, a password with ";" or "," stay whole); only a value wholly
// in double quotes is unquoted, with its backslash escapes.
//   Svr     the server; "sqlite:PATH" selects the embedded SQLite file PATH instead
//   UID     login name       PWD     password       DBname  catalog
//   Driver  optional: the ODBC driver name for SQL Server (default FreeTDS)
//   CommandTimeout  optional: seconds in place of the default command time-out of 30 s
//   Encrypt         optional: yes asks the driver for an encrypted connection, no leaves it to the driver
//   BuiltInAccount  optional: no turns the built-in account off (yes or missing: on)
//   LoginTimeout    optional: seconds in place of the default SQL Server login time-out of 30 s
struct DbSettings {
    QString Svr;
    QString UID;
    QString PWD;
    QString DBname;
    QString Driver;
    QString CommandTimeout {};
    QString Encrypt {};
    QString BuiltInAccount {};
    QString LoginTimeout {};
    QString file {};  // the store these were read from, named in the messages about them
};

// Where the store lives for this user: $XDG_CONFIG_HOME/Quorvel2011.conf (~/.config by default).
QString dbSettingsPath();
// Reads the store at `path` (the user's store when empty): UTF-8, or UTF-16 with a byte-order mark;
// the section and key names in any case. A missing store reads as empty settings; one that cannot
// be read (not a regular file, unreadable, over 1 MB) as well, with what is wrong with which path
// in `problem`.
DbSettings readDbSettings(const QString& path = QString(), QString* problem = nullptr);
// The message (after "错误信息：") for settings that name no server.
QString missingServerText();

} // namespace trellum
