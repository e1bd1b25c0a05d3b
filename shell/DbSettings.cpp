#include "DbSettings.h"

#include "SettingsKeys.h"

#include <QFile>
#include <QStringDecoder>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <optional>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trellum {

namespace {

// More than any database settings need; a larger file is no settings file.
constexpr qsizetype kMaxSettingsBytes = 1024 * 1024;

bool isHexDigit(QChar ch)
{
    return (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || (ch >= QLatin1Char('a') && ch <= QLatin1Char('f'))
        || (ch >= QLatin1Char('A') && ch <= QLatin1Char('F'));
}

// The inside of a value that was written in double quotes, as a settings writer quotes one: the
// backslash escapes \" \\ \n \r \t \xHHHH undone.
QString unquoted(QStringView v)
{
    QString out;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] != QLatin1Char('\\') || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        const QChar e = v[++i];
        if (e == QLatin1Char('n')) {
            out += QLatin1Char('\n');
        } else if (e == QLatin1Char('r')) {
            out += QLatin1Char('\r');
        } else if (e == QLatin1Char('t')) {
            out += QLatin1Char('\t');
        } else if (e == QLatin1Char('x') && i + 1 < v.size() && isHexDigit(v[i + 1])) {
            qsizetype n = 0;
            while (n < 4 && i + 1 + n < v.size() && isHexDigit(v[i + 1 + n]))
                ++n;
            out += QChar(char16_t(v.mid(i + 1, n).toUInt(nullptr, 16)));
            i += n;
        } else {
            out += e;
        }
    }
    return out;
}

// The text of a settings file: UTF-8, or UTF-16 or UTF-8 after a byte-order mark (which is dropped).
QString settingsText(const QByteArray& bytes)
{
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes);
    QStringDecoder decode(marked.value_or(QStringConverter::Utf8));
    return decode(bytes);
}

// The keys of one section of an INI text, their names in any case (as the platform the settings
// come from matches them); a key written twice keeps its last value. Each value is taken as written, blanks at its ends
// removed: a "," or ";" or "\" in it is part of the value (host,port and host\instance are
// server names, a password may hold anything). Only a value wholly in double quotes is unquoted.
SettingsKeys readSection(const QByteArray& text, const QString& section)
{
    SettingsKeys out;
    bool inside = false;
    for (const QString& raw : settingsText(text).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inside = line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inside || eq <= 0)
            continue;
        const QString value = line.mid(eq + 1).trimmed();
        const bool quoted = value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'));
        out.insert(line.left(eq).trimmed(), quoted ? unquoted(QStringView(value).mid(1, value.size() - 2)) : value);
    }
    return out;
}

// Reads the whole settings file into `bytes`; the reason it cannot be, naming the file, if so. A
// missing file reads as empty settings. Only a regular file is read (a named pipe would wait for
// ever, a device never end), and no more than kMaxSettingsBytes of it.
std::optional<QString> readSettingsFile(const QString& path, QByteArray* bytes)
{
    const QByteArray name = QFile::encodeName(path);
    int fd = -1;
    do
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0 && errno == ENOENT)
        return std::nullopt;
    auto failure = [&](const QString& why) {
        return QStringLiteral("无法读取数据库设置文件 %1：%2").arg(path, why);
    };
    if (fd < 0)
        return failure(QString::fromStdString(std::generic_category().message(errno)));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer { fd };
    struct stat s {};
    if (::fstat(fd, &s) != 0)
        return failure(QString::fromStdString(std::generic_category().message(errno)));
    if (S_ISDIR(s.st_mode))
        return failure(QStringLiteral("这是一个文件夹，不是设置文件。"));
    if (!S_ISREG(s.st_mode))
        return failure(QStringLiteral("这不是普通文件 (是命名管道、设备或套接字)。"));
    if (s.st_size > kMaxSettingsBytes)
        return failure(QStringLiteral("文件大于 1 MB，不是数据库设置。"));
    bytes->resize(kMaxSettingsBytes + 1);
    qsizetype got = 0;
    while (got < bytes->size()) {
        const ssize_t n = ::read(fd, bytes->data() + got, std::size_t(bytes->size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failure(QString::fromStdString(std::generic_category().message(errno)));
        if (n == 0)
            break;
        got += n;
    }
    if (got > kMaxSettingsBytes)
        return failure(QStringLiteral("文件大于 1 MB，不是数据库设置。")); // it grew while it was read
    bytes->truncate(got);
    return std::nullopt;
}

} // namespace

QString dbSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Quorvel2011.conf");
}

DbSettings readDbSettings(const QString& path, QString* problem)
{
    const QString file = path.isEmpty() ? dbSettingsPath() : path;
    QByteArray bytes;
    if (const std::optional<QString> unread = readSettingsFile(file, &bytes)) {
        if (problem)
            *problem = *unread;
        return DbSettings();
    }
    const SettingsKeys keys = readSection(bytes, QStringLiteral("DBConfig"));
    DbSettings s;
    s.file = file;
    s.Svr = keys.value(QStringLiteral("Svr"));
    s.UID = keys.value(QStringLiteral("UID"));
    s.PWD = keys.value(QStringLiteral("PWD"));
    s.DBname = keys.value(QStringLiteral("DBname"));
    s.Driver = keys.value(QStringLiteral("Driver"));
    s.CommandTimeout = keys.value(QStringLiteral("CommandTimeout"));
    s.Encrypt = keys.value(QStringLiteral("Encrypt"));
    s.BuiltInAccount = keys.value(QStringLiteral("BuiltInAccount"));
    s.LoginTimeout = keys.value(QStringLiteral("LoginTimeout"));
    return s;
}

QString missingServerText()
{
    return QStringLiteral("没有设置数据库服务器：数据库设置 [DBConfig] 中的 Svr 为空，请填写服务器名或 sqlite:文件路径。");
}

} // namespace trellum
