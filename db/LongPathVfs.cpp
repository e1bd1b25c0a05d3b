#include "LongPathVfs.h"

#include <sqlite3.h>

#include <climits>
#include <cstring>
#include <mutex>

namespace trellum {

namespace {

constexpr const char* kName = "trellum-longpath";
// "-journal", the longest name SQLite adds to a database's path
constexpr int kJournalSuffixBytes = 8;

sqlite3_vfs* g_base = nullptr;
sqlite3_vfs g_vfs {};

bool tooLongForTheBase(const char* name)
{
    return name && int(std::strlen(name)) + kJournalSuffixBytes > g_base->mxPathname;
}

int openFile(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    // the base layer copies the database's name into a buffer of its own size while it opens a
    // -wal or -journal file: those are never opened under a long path
    const bool main = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    if (!main && tooLongForTheBase(name)) {
        file->pMethods = nullptr;
        return SQLITE_CANTOPEN;
    }
    return g_base->xOpen(g_base, name, file, main ? (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY : flags,
                         outFlags);
}

int deleteFile(sqlite3_vfs*, const char* name, int syncDir) { return g_base->xDelete(g_base, name, syncDir); }
int vfsAccess(sqlite3_vfs*, const char* name, int flags, int* result) { return g_base->xAccess(g_base, name, flags, result); }
int fullPathname(sqlite3_vfs*, const char* name, int bytes, char* out)
{
    return g_base->xFullPathname(g_base, name, bytes, out);
}
void* dlOpen(sqlite3_vfs*, const char* name) { return g_base->xDlOpen(g_base, name); }
void dlError(sqlite3_vfs*, int bytes, char* out) { g_base->xDlError(g_base, bytes, out); }
void (*dlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) { return g_base->xDlSym(g_base, handle, symbol); }
void dlClose(sqlite3_vfs*, void* handle) { g_base->xDlClose(g_base, handle); }
int randomness(sqlite3_vfs*, int bytes, char* out) { return g_base->xRandomness(g_base, bytes, out); }
int vfsSleep(sqlite3_vfs*, int microseconds) { return g_base->xSleep(g_base, microseconds); }
int currentTime(sqlite3_vfs*, double* now) { return g_base->xCurrentTime(g_base, now); }
int lastError(sqlite3_vfs*, int bytes, char* out) { return g_base->xGetLastError(g_base, bytes, out); }
int currentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) { return g_base->xCurrentTimeInt64(g_base, now); }

bool registerOnce()
{
    g_base = sqlite3_vfs_find(nullptr);
    if (!g_base || g_base->iVersion < 2 || std::strcmp(g_base->zName, "unix") != 0)
        return false;
    g_vfs.iVersion = 2;
    g_vfs.szOsFile = g_base->szOsFile;
    // SQLite's own limit of a path (its unix layer resolves links with buffers of that size)
    g_vfs.mxPathname = 4096;
    g_vfs.zName = kName;
    g_vfs.xOpen = openFile;
    g_vfs.xDelete = deleteFile;
    g_vfs.xAccess = vfsAccess;
    g_vfs.xFullPathname = fullPathname;
    g_vfs.xDlOpen = dlOpen;
    g_vfs.xDlError = dlError;
    g_vfs.xDlSym = dlSym;
    g_vfs.xDlClose = dlClose;
    g_vfs.xRandomness = randomness;
    g_vfs.xSleep = vfsSleep;
    g_vfs.xCurrentTime = currentTime;
    g_vfs.xGetLastError = lastError;
    g_vfs.xCurrentTimeInt64 = currentTimeInt64;
    return sqlite3_vfs_register(&g_vfs, 0) == SQLITE_OK;
}

} // namespace

const char* LongPathVfs::name()
{
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] { registered = registerOnce(); });
    return registered ? kName : nullptr;
}

int LongPathVfs::platformLimit()
{
    const sqlite3_vfs* base = sqlite3_vfs_find(nullptr);
    return (base ? base->mxPathname : 512) - kJournalSuffixBytes;
}

} // namespace trellum
