#include "OutputFile.h"

#include "OpenDatabaseFiles.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trellum {

namespace {

// As many links as the system follows in one path.
constexpr int kMaxLinks = 40;

} // namespace

OutputFile::~OutputFile()
{
    if (m_fd >= 0)
        ::close(m_fd); // an output given up; a device or a pipe keeps what it was sent
}

DbStatus OutputFile::resolve(const QString& target, QString* resolved)
{
    QString path = target;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        const QByteArray name = QFile::encodeName(path);
        struct stat s {};
        if (::lstat(name.constData(), &s) != 0 || !S_ISLNK(s.st_mode)) {
            *resolved = path;
            return std::nullopt;
        }
        QByteArray link(qsizetype(s.st_size > 0 ? s.st_size : 4095) + 1, '\0');
        const ssize_t n = ::readlink(name.constData(), link.data(), std::size_t(link.size()));
        if (n < 0 || n >= link.size())
            return PartFile::systemError(n < 0 ? errno : ENAMETOOLONG, name);
        link.truncate(n);
        const QString next = QFile::decodeName(link);
        path = QDir::isAbsolutePath(next) ? next : QFileInfo(path).path() + QLatin1Char('/') + next;
    }
    return PartFile::systemError(ELOOP, QFile::encodeName(target));
}

DbStatus OutputFile::refusal(const QString& target)
{
    QString resolved;
    if (const auto error = resolve(target, &resolved))
        return error;
    QString database;
    if (!OpenDatabaseFiles::holdsPath(resolved, &database))
        return std::nullopt;
    return DbError { EPERM,
                       QStringLiteral("输出文件 %1 就是正在读取的数据库文件 %2，不能写到它上面。").arg(target, database) };
}

bool OutputFile::sameFile(const QString& a, const QString& b)
{
    QString first;
    QString second;
    if (resolve(a, &first) || resolve(b, &second))
        return false; // a link loop is refused when it is opened
    struct stat one {};
    struct stat other {};
    if (::stat(QFile::encodeName(first).constData(), &one) == 0 && ::stat(QFile::encodeName(second).constData(), &other) == 0)
        return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
    const QString name = withFolderResolved(first);
    return !name.isEmpty() && name == withFolderResolved(second);
}

DbStatus OutputFile::open(const QString& target)
{
    if (auto refused = refusal(target))
        return refused;
    // A symbolic link stays as it is: the file it names is written, or made when it dangles.
    QString resolved;
    if (const auto error = resolve(target, &resolved))
        return error;
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
    return m_part.create(m_target);
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

DbStatus OutputFile::fileToFill(QByteArray* path)
{
    if (!inPlace()) {
        *path = m_part.path();
        return std::nullopt;
    }
    if (auto error = m_scratch.createScratch(QFile::encodeName(QDir::tempPath()), m_target))
        return error;
    *path = m_scratch.path();
    return std::nullopt;
}

DbStatus OutputFile::commitFilled()
{
    if (!inPlace())
        return commit();
    // The finished file is sent in pieces, so a large one never has to fit in memory.
    int fd = -1;
    do
        fd = ::open(m_scratch.path().constData(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return PartFile::systemError(errno, m_scratch.path());
    QByteArray piece(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(fd, piece.data(), std::size_t(piece.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const DbError error = PartFile::systemError(errno, m_scratch.path());
            ::close(fd);
            return error;
        }
        if (n == 0)
            break;
        if (auto error = write(QByteArray::fromRawData(piece.constData(), n))) {
            ::close(fd);
            return error;
        }
    }
    ::close(fd);
    m_scratch.discard();
    return commit();
}

} // namespace trellum
