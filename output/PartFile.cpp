#include "PartFile.h"

#include "PartFileRegistry.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <utility>
#include <system_error>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trellum {

namespace {

// Holds off the termination signals for the life of the object: a file and its note in the
// registry come and go together.
class SignalsHeld {
public:
    SignalsHeld() { PartFileRegistry::holdSignals(&m_before); }
    ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &m_before, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t m_before {};
};

} // namespace

PartFile::~PartFile()
{
    discard();
}

DbError PartFile::systemError(int number, const QByteArray& path)
{
    return { number, QString::fromStdString(std::generic_category().message(number)) + QStringLiteral(": ")
                         + QFile::decodeName(path) };
}

bool PartFile::writeAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, std::size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

DbStatus PartFile::create(const QByteArray& folder)
{
    discard();
    for (int attempt = 0; attempt < 64; ++attempt) {
        const QByteArray name =
            folder + "/.trellum-" + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".part";
        const SignalsHeld held;
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return systemError(errno, folder);
        }
        m_path = name;
        m_fd = fd;
        m_slot = PartFileRegistry::add(name);
        return std::nullopt;
    }
    return systemError(EEXIST, folder);
}

DbStatus PartFile::write(const QByteArray& data)
{
    if (m_fd < 0)
        return systemError(EBADF, m_path);
    if (!writeAll(m_fd, data)) {
        const DbError error = systemError(errno, m_path);
        discard();
        return error;
    }
    return std::nullopt;
}

DbStatus PartFile::moveOver(const QByteArray& target)
{
    if (m_fd < 0)
        return systemError(EBADF, m_path);
    auto fail = [this](int number, const QByteArray& path) {
        const DbError error = systemError(number, path);
        discard();
        return error;
    };
    if (::fsync(m_fd) != 0)
        return fail(errno, m_path);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0)
        return fail(errno, m_path);
    struct stat existing {};
    if (::stat(target.constData(), &existing) == 0 && S_ISREG(existing.st_mode)
        && ::chmod(m_path.constData(), existing.st_mode & 07777) != 0)
        return fail(errno, m_path);
    const SignalsHeld held;
    if (::rename(m_path.constData(), target.constData()) != 0)
        return fail(errno, target);
    PartFileRegistry::remove(std::exchange(m_slot, -1));
    m_path.clear();
    return std::nullopt;
}

void PartFile::discard()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1)); // the file goes anyway
    const SignalsHeld held;
    if (!m_path.isEmpty())
        ::unlink(m_path.constData()); // nothing more can be done if this fails
    PartFileRegistry::remove(std::exchange(m_slot, -1));
    m_path.clear();
}

} // namespace trellum
