#include "PartFile.h"

#include "PartFileRegistry.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <utility>
#include <system_error>

#include <dirent.h>
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

// The text of a small file of /proc; empty when it cannot be read.
QByteArray procText(const QByteArray& path)
{
    QFile f(QFile::decodeName(path));
    return f.open(QIODevice::ReadOnly | QIODevice::Unbuffered) ? f.read(4096) : QByteArray();
}

// The start time of a process (field 22 of its stat file, after the command name in brackets,
// which may itself hold blanks and brackets); nullopt when the process does not exist, and
// `unknown` set when it exists but cannot be read.
std::optional<unsigned long long> startTimeOf(long long pid, bool* unknown)
{
    const QByteArray path = "/proc/" + QByteArray::number(pid) + "/stat";
    const QByteArray text = procText(path);
    *unknown = false;
    if (text.isEmpty()) {
        struct stat s {};
        *unknown = ::stat(("/proc/" + QByteArray::number(pid)).constData(), &s) == 0 || errno != ENOENT;
        return std::nullopt;
    }
    const qsizetype close = text.lastIndexOf(')');
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    bool ok = false;
    // the fields after the name start with field 3 (the state)
    const unsigned long long start = fields.size() > 19 ? fields[19].toULongLong(&ok) : 0;
    if (close < 0 || !ok) {
        *unknown = true;
        return std::nullopt;
    }
    return start;
}

// The mode a new file gets: 0666 less this process's file mode mask (read from /proc, as setting
// the mask to learn it would change it for every thread); owner-only when it cannot be read.
mode_t newFileMode()
{
    for (const QByteArray& line : procText("/proc/self/status").split('\n')) {
        if (!line.startsWith("Umask:"))
            continue;
        bool ok = false;
        const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
        if (ok)
            return mode_t(0666 & ~mask);
    }
    return 0600;
}

// A short, stable mark of the target's file name in its part files' names.
QByteArray targetMark(const QByteArray& target)
{
    const QByteArray name = target.mid(target.lastIndexOf('/') + 1);
    quint32 hash = 2166136261u; // FNV-1a
    for (const char c : name)
        hash = (hash ^ quint8(c)) * 16777619u;
    return QByteArray::number(hash, 16).rightJustified(8, '0');
}

// Whether the process that `owner` names has ended: it ran in an earlier boot, or no process has
// its id now, or the one that has it started at another time. When /proc cannot tell, the answer
// is no, and the file stays.
bool ownerGone(const PartOwner& owner)
{
    const std::optional<PartOwner> self = PartFile::currentOwner();
    if (!self || owner.boot.isEmpty())
        return false;
    if (owner.boot != self->boot)
        return true;
    if (owner.pidSpace != self->pidSpace)
        return false; // a process id of another namespace (a container) cannot be looked up here
    if (owner.pid == self->pid)
        return owner.start != self->start;
    bool unknown = false;
    const std::optional<unsigned long long> start = startTimeOf(owner.pid, &unknown);
    return start ? *start != owner.start : !unknown;
}

// The owner recorded in a part file's name, if it is one for the target `mark`:
// ".trellum-MARK-BOOT-PIDSPACE-PID-START-RANDOM.part".
std::optional<PartOwner> ownerInName(const QByteArray& name, const QByteArray& mark)
{
    const QByteArray prefix = ".trellum-" + mark + '-';
    if (!name.startsWith(prefix) || !name.endsWith(".part"))
        return std::nullopt;
    const QList<QByteArray> fields = name.mid(prefix.size(), name.size() - prefix.size() - 5).split('-');
    if (fields.size() != 5 || fields[0].size() != 8)
        return std::nullopt;
    PartOwner owner;
    bool spaceOk = false;
    bool pidOk = false;
    bool startOk = false;
    owner.boot = fields[0];
    owner.pidSpace = fields[1].toULongLong(&spaceOk);
    owner.pid = fields[2].toLongLong(&pidOk);
    owner.start = fields[3].toULongLong(&startOk);
    if (!spaceOk || !pidOk || !startOk || owner.pid <= 0)
        return std::nullopt;
    return owner;
}

} // namespace

std::optional<PartOwner> PartFile::currentOwner()
{
    QByteArray boot = procText("/proc/sys/kernel/random/boot_id").trimmed();
    boot.replace('-', QByteArray());
    bool unknown = false;
    const long long pid = ::getpid();
    const std::optional<unsigned long long> start = startTimeOf(pid, &unknown);
    // "pid:[4026531836]"
    char link[64] {};
    const ssize_t n = ::readlink("/proc/self/ns/pid", link, sizeof link - 1);
    const QByteArray space = n > 0 ? QByteArray(link, n) : QByteArray();
    bool spaceOk = false;
    const unsigned long long pidSpace =
        space.startsWith("pid:[") && space.endsWith(']') ? space.mid(5, space.size() - 6).toULongLong(&spaceOk) : 0;
    if (boot.size() < 8 || !start || !spaceOk)
        return std::nullopt;
    return PartOwner { boot.left(8), pidSpace, pid, *start };
}

QByteArray PartFile::partName(const QByteArray& target, const PartOwner& owner, quint32 random)
{
    const QByteArray boot = owner.boot.isEmpty() ? QByteArray("none") : owner.boot;
    return ".trellum-" + targetMark(target) + '-' + boot + '-' + QByteArray::number(owner.pidSpace) + '-'
        + QByteArray::number(owner.pid) + '-'
        + QByteArray::number(owner.start) + '-' + QByteArray::number(random, 16) + ".part";
}

int PartFile::removeStale(const QByteArray& folder, const QByteArray& target)
{
    DIR* dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (!dir)
        return 0;
    const QByteArray mark = targetMark(target);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        const std::optional<PartOwner> owner = ownerInName(name, mark);
        if (!owner)
            continue;
        // Only a plain file of this user with no other name, as the program makes them.
        struct stat s {};
        if (::fstatat(::dirfd(dir), entry->d_name, &s, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(s.st_mode)
            || s.st_uid != ::geteuid() || s.st_nlink != 1 || !ownerGone(*owner))
            continue;
        if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

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

DbStatus PartFile::create(const QByteArray& target)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(target)).path());
    struct stat existing {};
    const mode_t mode = ::stat(target.constData(), &existing) == 0 && S_ISREG(existing.st_mode)
        ? mode_t(existing.st_mode & 07777)
        : newFileMode();
    removeStale(folder, target);
    return createIn(folder, target, mode);
}

DbStatus PartFile::createScratch(const QByteArray& folder, const QByteArray& target)
{
    removeStale(folder, target);
    return createIn(folder, target, 0600);
}

DbStatus PartFile::createIn(const QByteArray& folder, const QByteArray& target, mode_t mode)
{
    discard();
    // Without /proc the name records no owner, and such a file is never taken for a stale one.
    const PartOwner owner = currentOwner().value_or(PartOwner {});
    for (int attempt = 0; attempt < 64; ++attempt) {
        const QByteArray name = folder + '/' + partName(target, owner, QRandomGenerator::global()->generate());
        const SignalsHeld held;
        // Readable by the owner alone until it has the target's mode, which it gets before any
        // data is written.
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return systemError(errno, folder);
        }
        m_path = name;
        m_fd = fd;
        m_slot = PartFileRegistry::add(name);
        if (::fchmod(fd, mode) != 0) {
            const DbError error = systemError(errno, name);
            discard();
            return error;
        }
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
