#include "OpenDatabaseFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <mutex>
#include <optional>
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
    Identity opened;     // the file as it was opened, even if the path names another one later
    QStringList spellings; // the database's path as given and as the database library resolves it
};

// The suffixes of the files the database library opens beside a database, whether they exist yet
// or not: the rollback journal, the write-ahead log and its shared-memory index.
const char* const kCompanions[] = { "-journal", "-wal", "-shm" };

// Whether `candidate` (folder resolved) is the name of a companion file of a held database.
bool companionName(const Held& h, const QString& candidate, QString* which)
{
    for (const QString& spelling : h.spellings) {
        for (const char* suffix : kCompanions) {
            if (candidate == spelling + QLatin1String(suffix)) {
                if (which)
                    *which = h.path + QLatin1String(suffix);
                return true;
            }
        }
    }
    return false;
}

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
    for (const char* suffix : { "", "-wal", "-journal", "-shm" }) {
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

bool holds(const std::optional<Identity>& candidate, const QString& name, QString* which)
{
    const std::lock_guard<std::mutex> guard(g_lock);
    for (const Held& h : g_held)
        if ((candidate && clashes(h, *candidate, which)) || (!name.isEmpty() && companionName(h, name, which)))
            return true;
    return false;
}

} // namespace

QString withFolderResolved(const QString& path)
{
    const QFileInfo info(QDir::cleanPath(QDir(QDir::currentPath()).absoluteFilePath(path)));
    const QString folder = QFileInfo(info.path()).canonicalFilePath();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + info.fileName();
}

void OpenDatabaseFiles::hold(const void* owner, const QString& path)
{
    release(owner);
    Identity opened;
    if (!identityOf(QFile::encodeName(path), opened))
        return;
    QStringList spellings { withFolderResolved(path) };
    // the library names the companions after the file the path leads to, its links followed
    const QString resolved = QFileInfo(path).canonicalFilePath();
    if (!resolved.isEmpty() && !spellings.contains(resolved))
        spellings << resolved;
    spellings.removeAll(QString());
    const std::lock_guard<std::mutex> guard(g_lock);
    g_held.push_back({ owner, path, opened, spellings });
}

void OpenDatabaseFiles::release(const void* owner)
{
    const std::lock_guard<std::mutex> guard(g_lock);
    std::erase_if(g_held, [owner](const Held& h) { return h.owner == owner; });
}

bool OpenDatabaseFiles::holdsPath(const QString& path, QString* which)
{
    Identity identity;
    const bool exists = identityOf(QFile::encodeName(path), identity);
    return holds(exists ? std::optional(identity) : std::nullopt, withFolderResolved(path), which);
}

bool OpenDatabaseFiles::holdsDescriptor(int fd, QString* which)
{
    struct stat s {};
    return ::fstat(fd, &s) == 0 && holds(Identity { s.st_dev, s.st_ino }, QString(), which);
}

} // namespace trellum
