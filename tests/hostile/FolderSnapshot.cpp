#include "FolderSnapshot.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace trellum::test {

FolderSnapshot FolderSnapshot::of(const QString& folder)
{
    FolderSnapshot s;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        s.m_files.insert(name, hashOf(dir.filePath(name)));
    return s;
}

QByteArray FolderSnapshot::hashOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

QString FolderSnapshot::changesSince(const FolderSnapshot& before) const
{
    QStringList lines;
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it) {
        if (!before.m_files.contains(it.key()))
            lines << QStringLiteral("added: ") + it.key();
        else if (before.m_files.value(it.key()) != it.value())
            lines << QStringLiteral("changed: ") + it.key();
    }
    for (auto it = before.m_files.cbegin(); it != before.m_files.cend(); ++it)
        if (!m_files.contains(it.key()))
            lines << QStringLiteral("removed: ") + it.key();
    return lines.join(QLatin1Char('\n'));
}

} // namespace trellum::test
