#include "SmallDisk.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>
#include <sys/statvfs.h>

namespace trellum::test {

SmallDisk::SmallDisk(const QString& folder, int kibibytes)
    : m_folder(folder)
{
    const QByteArray options = "size=" + QByteArray::number(kibibytes) + "k,mode=0755";
    m_mounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                        options.constData())
        == 0;
    if (!m_mounted)
        m_reason = QStringLiteral("mount tmpfs: ") + QString::fromLocal8Bit(std::strerror(errno));
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

qint64 SmallDisk::freeBytes() const
{
    struct statvfs s {};
    if (::statvfs(QFile::encodeName(m_folder).constData(), &s) != 0)
        return -1;
    return qint64(s.f_bavail) * qint64(s.f_frsize);
}

bool SmallDisk::fill(const QString& name, qint64 leftBytes) const
{
    QFile filler(QDir(m_folder).filePath(name));
    if (!filler.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block(4096, 'x');
    while (freeBytes() > leftBytes)
        if (filler.write(block) != block.size() || !filler.flush())
            break;
    return freeBytes() <= leftBytes;
}

} // namespace trellum::test
