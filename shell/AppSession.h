#pragma once

#include "DbConnection.h"
#include "DbSettings.h"
#include "Messenger.h"
#include "SessionState.h"

#include <memory>
#include <optional>

namespace trellum {

// The process-wide records: who is logged in and the one database connection.
// The program makes one; tests make their own.
struct AppSession {
    SessionState state;
    std::unique_ptr<DbConnection> connection = std::make_unique<DbConnection>();
    QString settingsPath; // the settings store; empty is the user's own
    QString databaseInUse; // what the open connection reads, for people: the file, or server and catalog
    bool builtInAccount = true; // the built-in account may log in (the settings may turn it off)
};

// The ODBC connection string for SQL Server: every value in braces, so a ";" in a password
// cannot end it. nullopt (with `problem` set) for a value the driver cannot take faithfully.
std::optional<QString> sqlServerConnectionString(const DbSettings& settings, QString* problem);

// Replaces the session's connection with a new one and opens it. On failure shows
// "错误信息：" + description (title "信息文本") and returns false.
bool OpenDatabase(AppSession& session, Messenger& messenger, const QString& UID, const QString& PWD,
                  const QString& DBname, const QString& Svr, const QString& driver = QString());

// The same with every setting, the optional ones included (CommandTimeout, LoginTimeout, Encrypt); a value
// that is not one of theirs is refused with a message naming the key.
bool OpenDatabase(AppSession& session, Messenger& messenger, const DbSettings& settings);

// The command time-out the settings ask for: nullopt for the default; -1 for a value that is not
// a whole number of seconds from 0 to 86400.
std::optional<int> commandTimeoutSetting(const DbSettings& settings);
// The SQL Server login time-out the settings ask for: nullopt for the default of 30 s; -1 for a
// value that is not a whole number of seconds from 1 to 3600 (a login never waits for ever).
std::optional<int> loginTimeoutSetting(const DbSettings& settings);

// Whether the settings turn the built-in account off (BuiltInAccount=no, in any case).
bool builtInAccountOff(const DbSettings& settings);

// Reads the settings and opens the connection; on failure also shows "数据库连接失败!". A store
// that cannot be read is named with its reason.
bool ConnectFromSettings(AppSession& session, Messenger& messenger);

// How the program starts: straight to the main window after a hand-off, or the login window.
enum class StartupPath { MainWindow, Login };

// The login window's load step: a non-empty command line is a hand-off (ten fields, then the
// connection); anything else, or a failed connection, leads to the interactive login.
StartupPath decideStartup(const QString& commandLine, AppSession& session, Messenger& messenger);

// The login window's version label: "V" + major + "." + minor + "版".
QString versionLabel();

} // namespace trellum
