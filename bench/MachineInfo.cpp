#include "MachineInfo.h"

#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>
#include <QThread>

#include <sqlite3.h>
#include <xlsxwriter.h>

namespace trellum::bench {

namespace {

// The value of the first "key: value" (or key=value) line of a file starting with `key`.
QString field(const QString& path, const QString& key)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QRegularExpression pattern(QStringLiteral("^%1\\s*[:=]\\s*(.*)$").arg(QRegularExpression::escape(key)));
    // files under /proc tell no size: read until a line comes back empty
    for (QByteArray line = f.readLine(); !line.isEmpty(); line = f.readLine()) {
        const QRegularExpressionMatch m = pattern.match(QString::fromUtf8(line).trimmed());
        if (m.hasMatch())
            return m.captured(1).remove(QLatin1Char('"'));
    }
    return QString();
}

} // namespace

QStringList MachineInfo::describe()
{
    const double memoryGb = field(QStringLiteral("/proc/meminfo"), QStringLiteral("MemTotal")).section(QLatin1Char(' '), 0, 0).toDouble()
        / (1024.0 * 1024.0);
    return {
        QStringLiteral("processor | %1").arg(field(QStringLiteral("/proc/cpuinfo"), QStringLiteral("model name"))),
        QStringLiteral("cores | %1 (shared with other work while the benchmarks ran)").arg(QThread::idealThreadCount()),
        QStringLiteral("memory | %1 GB").arg(memoryGb, 0, 'f', 1),
        QStringLiteral("system | %1, kernel %2").arg(field(QStringLiteral("/etc/os-release"), QStringLiteral("PRETTY_NAME")),
                                                    QSysInfo::kernelVersion()),
        QStringLiteral("SQLite | %1").arg(QString::fromLatin1(sqlite3_libversion())),
        QStringLiteral("Qt | %1").arg(QString::fromLatin1(qVersion())),
        QStringLiteral("libxlsxwriter | %1").arg(QStringLiteral(LXW_VERSION)),
        QStringLiteral("compiler | GCC %1, Release (-O3)").arg(QStringLiteral(__VERSION__)),
    };
}

} // namespace trellum::bench
