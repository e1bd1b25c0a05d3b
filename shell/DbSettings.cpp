#include "DbSettings.h"

#include "SettingsKeys.h"

#include <QFile>
#include <QStringDecoder>
#include <QStandardPaths>
#include <QStringList>

namespace trellum {

namespace {

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

} // namespace

QString dbSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Quorvel2011.conf");
}

DbSettings readDbSettings(const QString& path)
{
    QFile store(path.isEmpty() ? dbSettingsPath() : path);
    const SettingsKeys keys = store.open(QIODevice::ReadOnly) ? readSection(store.readAll(), QStringLiteral("DBConfig"))
                                                              : SettingsKeys();
    DbSettings s;
    s.Svr = keys.value(QStringLiteral("Svr"));
    s.UID = keys.value(QStringLiteral("UID"));
    s.PWD = keys.value(QStringLiteral("PWD"));
    s.DBname = keys.value(QStringLiteral("DBname"));
    s.Driver = keys.value(QStringLiteral("Driver"));
    s.CommandTimeout = keys.value(QStringLiteral("CommandTimeout"));
    s.Encrypt = keys.value(QStringLiteral("Encrypt"));
    s.LoginTimeout = keys.value(QStringLiteral("LoginTimeout"));
    return s;
}

QString missingServerText()
{
    return QStringLiteral("没有设置数据库服务器：数据库设置 [DBConfig] 中的 Svr 为空，请填写服务器名或 sqlite:文件路径。");
}

} // namespace trellum
