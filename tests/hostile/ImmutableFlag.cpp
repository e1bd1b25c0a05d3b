#include "ImmutableFlag.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace trellum::test {

ImmutableFlag::ImmutableFlag(const QString& path)
    : m_path(path)
{
    m_set = change(true);
}

ImmutableFlag::~ImmutableFlag()
{
    if (m_set)
        change(false);
}

bool ImmutableFlag::change(bool on)
{
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (!ok)
        m_reason = QStringLiteral("FS_IOC_SETFLAGS: ") + QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return ok;
}

} // namespace trellum::test
