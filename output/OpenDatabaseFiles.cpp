#include "OpenDatabaseFiles.h"

#include <QFile>

#include <mutex>
#include <vector>

#include <sys/stat.h>

namespace trellum {

namespace {

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const Identity&) const = default;
};

struct Held {
    const void* owner;
    QString path;
    Identity opened; // the file as it was opened, even if the path names another one later
};

std::mutex g_lock;
std::vector<Held> g_held;

bool identityOf(const QByteArray& path, Identity& out)
{
    struct stat s {};
    if (::stat(path.constData(), &s) != 0)
        return false;
    out = { s.st_dev, s.st_ino };
    return true;
}

// The database's files as they are now, and the one that was opened.
bool clashes(const Held& h, const Identity& candidate, QString* which)
{
    if (candidate == h.opened) {
        if (which)
            *which = h.path;
        return true;
    }
    for (const char* suffix : { "", "-wal", "-journal" }) {
        const QString name = h.path + QLatin1String(suffix);
        Identity now;
        if (identityOf(QFile::encodeName(name), now) && now == candidate) {
            if (which)
                *which = name;
            return true;
        }
    }
    return false;
}

bool holds(const Identity& candidate, QString* which)
{
    const std::lock_guard<std::mutex> guard(g_lock);
    for (const Held& h : g_held)
        if (clashes(h, candidate, which))
            return true;
    return false;
}

} // namespace

void OpenDatabaseFiles::hold(const void* owner, const QString& path)
{
    release(owner);
    Identity opened;
    if (!identityOf(QFile::encodeName(path), opened))
        return;
    const std::lock_guard<std::mutex> guard(g_lock);
    g_held.push_back({ owner, path, opened });
}

void OpenDatabaseFiles::release(const void* owner)
{
    const std::lock_guard<std::mutex> guard(g_lock);
    std::erase_if(g_held, [owner](const Held& h) { return h.owner == owner; });
}

bool OpenDatabaseFiles::holdsPath(const QString& path, QString* which)
{
    Identity candidate;
    return identityOf(QFile::encodeName(path), candidate) && holds(candidate, which);
}

bool OpenDatabaseFiles::holdsDescriptor(int fd, QString* which)
{
    struct stat s {};
    return ::fstat(fd, &s) == 0 && holds({ s.st_dev, s.st_ino }, which);
}

} // namespace trellum
