#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace trellum::test {

// The TDS test server this test runs beside (run_with_server.py starts it and names its ports in
// TRELLUM_TDS_PORT and TRELLUM_TDS_CONTROL), driven through its control channel.
class TdsServer {
public:
    TdsServer();

    // Whether the ports were handed over and the control channel answers.
    bool valid() const { return m_port > 0 && m_control > 0; }
    int port() const { return m_port; }
    // The Svr setting that reaches it: "127.0.0.1,PORT".
    QString svr() const;

    // Serves the SQLite file `database` to the test login, with `extra` keys (text, collation,
    // faults) added to the request; false if the server refused.
    bool serve(const QString& database, const QJsonObject& extra = QJsonObject());
    // What the server saw since the last serve(): logins, statements, attentions.
    QJsonObject log();
    // Closes its listener and every open link, or listens again on the same port.
    bool down();
    bool up();
    // Sends one control request and returns the answer ({"ok": false, ...} when none came).
    QJsonObject request(const QJsonObject& body);

    // The login the server accepts (a password with ";", "," and "=" in it).
    static QString user() { return QStringLiteral("trellum_ro"); }
    static QString password() { return QStringLiteral("Ke;st,ra=1"); }
    static QString database() { return QStringLiteral("repair"); }

private:
    int m_port = 0;
    int m_control = 0;
};

// A settings store of its own pointing at the server: [DBConfig] Svr, UID, PWD, DBname of the
// test login, and any further lines.
class TdsSettings {
public:
    explicit TdsSettings(const TdsServer& server, const QStringList& extraLines = QStringList());
    // The store file, and the folder to use as XDG_CONFIG_HOME.
    QString path() const { return m_dir.filePath(QStringLiteral("Quorvel2011.conf")); }
    QString folder() const { return m_dir.path(); }
    // Writes the store again with these values.
    void write(const QString& svr, const QString& password, const QStringList& extraLines = QStringList());

private:
    QTemporaryDir m_dir;
};

// One run of the headless runner program.
struct ReportProcess {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// Runs trellum-report with the settings store of `settings` (or with --db in `arguments`),
// bounded to two minutes.
ReportProcess runReportProgram(const QStringList& arguments, const QString& configFolder);

// Runs a statement of the test's own on an SQLite file (the test data, never the program's).
void execOn(const QString& database, const QString& sql);

// Writes the small demo database the fault and stop tests serve at `path`: 1,500 orders over 8 offices, 8 workers and 4 categories.
void writeSmallDemo(const QString& path);

// Writes a small demo database at `path` whose office, worker, trade and category names carry
// characters of GBK outside GB2312 (堃 喆 赟 犇 瑄 镕) and, when `beyondGbk`, also characters
// no code page 936 column holds (𠀀 beyond the BMP, a Latin é). Returns `path`, "" on failure.
QString writeNamesDatabase(const QString& path, bool beyondGbk);

// The parts of a workbook that hold what it shows (all but its creation time); "" if unreadable.
QByteArray workbookParts(const QString& path);

} // namespace trellum::test
