#include "AppSession.h"

#include <QFileInfo>

namespace trellum {

namespace {

const QString kSqlitePrefix = QStringLiteral("sqlite:");

// FreeTDS ends a braced value at the first "}" followed by ";" or by the end, and does not fold
// "}}", so a value holding "};" cannot be passed as it is.
bool bracesSafe(const QString& value)
{
    return !value.contains(QStringLiteral("};"));
}

QString braced(const QString& value)
{
    return QLatin1Char('{') + value + QLatin1Char('}');
}

constexpr int kDefaultLoginTimeout = 30;

// Whole seconds from `least` to `most` in a settings value: nullopt when it is empty, -1 when
// it is no such number.
std::optional<int> secondsSetting(const QString& value, int least, int most)
{
    if (value.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int seconds = value.toInt(&ok);
    return ok && seconds >= least && seconds <= most ? seconds : -1;
}

} // namespace

std::optional<QString> sqlServerConnectionString(const DbSettings& s, QString* problem)
{
    const std::pair<const char*, const QString*> values[] = {
        { "Svr", &s.Svr }, { "UID", &s.UID }, { "PWD", &s.PWD }, { "DBname", &s.DBname }, { "Driver", &s.Driver },
    };
    for (const auto& [name, value] : values) {
        if (!bracesSafe(*value)) {
            if (problem)
                *problem = QStringLiteral("数据库设置 %1 含有 \"};\"，无法原样传给数据库驱动，请修改设置。")
                               .arg(QString::fromLatin1(name));
            return std::nullopt;
        }
    }
    const QString driver = s.Driver.isEmpty() ? QStringLiteral("FreeTDS") : s.Driver;
    QString text = QStringLiteral("DRIVER=") + braced(driver) + QStringLiteral(";SERVER=") + braced(s.Svr)
        + QStringLiteral(";DATABASE=") + braced(s.DBname) + QStringLiteral(";UID=") + braced(s.UID)
        + QStringLiteral(";PWD=") + braced(s.PWD) + QStringLiteral(";ClientCharset=UTF-8;ApplicationIntent=ReadOnly");
    // the program by name in the server's session list
    text += QStringLiteral(";APP={Trellum}");
    if (s.Encrypt.compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0)
        text += QStringLiteral(";Encryption=require");
    else if (s.Encrypt.compare(QStringLiteral("no"), Qt::CaseInsensitive) == 0)
        text += QStringLiteral(";Encryption=request");
    else if (!s.Encrypt.isEmpty()) {
        if (problem)
            *problem = QStringLiteral("数据库设置 Encrypt 只能是 yes 或 no，现为 \"%1\"。").arg(s.Encrypt);
        return std::nullopt;
    }
    // Left to guess the protocol, FreeTDS falls back to the Sybase one after a login time-out and
    // then waits for ever on a server that never answers; SQL Server speaks TDS 7.x, and a named
    // version keeps the login time-out in force.
    if (driver.contains(QStringLiteral("FreeTDS"), Qt::CaseInsensitive))
        text += QStringLiteral(";TDS_Version=7.4");
    return text;
}

bool OpenDatabase(AppSession& session, Messenger& messenger, const QString& UID, const QString& PWD,
                  const QString& DBname, const QString& Svr, const QString& driver)
{
    DbSettings s;
    s.UID = UID;
    s.PWD = PWD;
    s.DBname = DBname;
    s.Svr = Svr;
    s.Driver = driver;
    return OpenDatabase(session, messenger, s);
}

std::optional<int> commandTimeoutSetting(const DbSettings& settings)
{
    return secondsSetting(settings.CommandTimeout, 0, 86400);
}

std::optional<int> loginTimeoutSetting(const DbSettings& settings)
{
    return secondsSetting(settings.LoginTimeout, 1, 3600);
}

bool builtInAccountOff(const DbSettings& settings)
{
    return settings.BuiltInAccount.compare(QStringLiteral("no"), Qt::CaseInsensitive) == 0;
}

bool OpenDatabase(AppSession& session, Messenger& messenger, const DbSettings& settings)
{
    const QString& Svr = settings.Svr;
    const std::optional<int> timeout = commandTimeoutSetting(settings);
    const std::optional<int> loginTimeout = loginTimeoutSetting(settings);
    // Each open replaces the connection, releasing the old one.
    session.connection = std::make_unique<DbConnection>();
    session.databaseInUse.clear();
    DbStatus status;
    bool settingsFault = true;
    if (Svr.trimmed().isEmpty()) {
        status = DbError { kUnspecifiedError, missingServerText() };
    } else if (!settings.BuiltInAccount.isEmpty() && settings.BuiltInAccount.compare(QStringLiteral("yes"), Qt::CaseInsensitive) != 0
               && !builtInAccountOff(settings)) {
        status = DbError { kUnspecifiedError, QStringLiteral("数据库设置 BuiltInAccount 只能是 yes 或 no，现为 \"%1\"。")
                                            .arg(settings.BuiltInAccount) };
    } else if (timeout == -1) {
        status = DbError { kUnspecifiedError, QStringLiteral("数据库设置 CommandTimeout 应为 0 到 86400 的整数秒数，现为 \"%1\"。")
                                            .arg(settings.CommandTimeout) };
    } else if (loginTimeout == -1) {
        status = DbError { kUnspecifiedError, QStringLiteral("数据库设置 LoginTimeout 应为 1 到 3600 的整数秒数，现为 \"%1\"。")
                                            .arg(settings.LoginTimeout) };
    } else if (Svr.startsWith(kSqlitePrefix, Qt::CaseInsensitive)) {
        settingsFault = false;
        status = session.connection->openSqlite(Svr.mid(kSqlitePrefix.size()));
    } else {
        QString problem;
        const std::optional<QString> text = sqlServerConnectionString(settings, &problem);
        if (!text) {
            status = DbError { kUnspecifiedError, problem };
        } else {
            settingsFault = false;
            status = session.connection->openOdbc(*text, loginTimeout.value_or(kDefaultLoginTimeout));
        }
    }
    if (status) {
        QString text = QStringLiteral("错误信息：") + status->description;
        // a fault of the settings themselves says which file holds them
        if (settingsFault && !settings.file.isEmpty())
            text += QStringLiteral("\n数据库设置文件：") + settings.file;
        inform(messenger, QStringLiteral("信息文本"), text);
        return false;
    }
    if (timeout && *timeout >= 0)
        session.connection->setCommandTimeout(*timeout);
    session.databaseInUse = Svr.startsWith(kSqlitePrefix, Qt::CaseInsensitive)
        ? QStringLiteral("文件 ") + Svr.mid(kSqlitePrefix.size())
        : QStringLiteral("服务器 %1，数据库 %2，用户 %3").arg(Svr, settings.DBname, settings.UID);
    return true;
}

bool ConnectFromSettings(AppSession& session, Messenger& messenger)
{
    QString problem;
    const DbSettings s = readDbSettings(session.settingsPath, &problem);
    session.builtInAccount = !builtInAccountOff(s);
    bool ok = false;
    if (!problem.isEmpty())
        inform(messenger, QStringLiteral("信息文本"), QStringLiteral("错误信息：") + problem);
    else
        ok = OpenDatabase(session, messenger, s);
    if (!ok)
        inform(messenger, QStringLiteral("连接提示"), QStringLiteral("数据库连接失败!"));
    return ok;
}

StartupPath decideStartup(const QString& commandLine, AppSession& session, Messenger& messenger)
{
    if (commandLine.isEmpty())
        return StartupPath::Login;
    const std::optional<SessionState> handed = splitHandOff(commandLine);
    if (!handed) {
        inform(messenger, kProgramTitle,
               QStringLiteral("启动参数不完整：需要以逗号分隔的十个字段，现有 %1 个。请登录。")
                   .arg(commandLine.split(QLatin1Char(',')).size()));
        return StartupPath::Login;
    }
    session.state = *handed;
    return ConnectFromSettings(session, messenger) ? StartupPath::MainWindow : StartupPath::Login;
}

QString versionLabel()
{
    return QStringLiteral("V%1.%2版").arg(TRELLUM_VERSION_MAJOR).arg(TRELLUM_VERSION_MINOR);
}

} // namespace trellum
