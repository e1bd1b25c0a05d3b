#include "OutputFile.h"

#include "OpenDatabaseFiles.h"

#include <QFileInfo>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trellum {

OutputFile::~OutputFile()
{
    if (m_fd >= 0)
        ::close(m_fd); // an output given up; a device or a pipe keeps what it was sent
}

DbStatus OutputFile::refusal(const QString& target)
{
    QString database;
    if (!OpenDatabaseFiles::holdsPath(target, &database))
        return std::nullopt;
    return DbError { EPERM,
                       QStringLiteral("输出文件 %1 就是正在读取的数据库文件 %2，不能写到它上面。").arg(target, database) };
}

DbStatus OutputFile::open(const QString& target)
{
    if (auto refused = refusal(target))
        return refused;
    // A symbolic link stays as it is: the file it names is written.
    const QFileInfo info(target);
    const QString resolved = info.isSymLink() && info.exists() ? info.canonicalFilePath() : target;
    m_target = QFile::encodeName(resolved);
    struct stat s {};
    if (::stat(m_target.constData(), &s) == 0 && !S_ISREG(s.st_mode)) {
        // a device, a named pipe (or a folder, which cannot be opened so): written in place
        int fd = -1;
        do
            fd = ::open(m_target.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        while (fd < 0 && errno == EINTR);
        if (fd < 0)
            return PartFile::systemError(errno, m_target);
        m_fd = fd;
        return std::nullopt;
    }
    return m_part.create(QFile::encodeName(QFileInfo(resolved).path()));
}

DbStatus OutputFile::write(const QByteArray& data)
{
    if (m_fd < 0)
        return m_part.write(data);
    if (!PartFile::writeAll(m_fd, data))
        return PartFile::systemError(errno, m_target);
    return std::nullopt;
}

DbStatus OutputFile::commit()
{
    if (m_fd < 0)
        return m_part.moveOver(m_target);
    if (::close(std::exchange(m_fd, -1)) != 0 && errno != EINTR)
        return PartFile::systemError(errno, m_target);
    return std::nullopt;
}

} // namespace trellum
