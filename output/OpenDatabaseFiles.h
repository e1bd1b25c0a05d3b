#pragma once

#include <QString>

namespace trellum {

// The files of the embedded databases this process has open: the database file itself and the
// -journal, -wal and -shm files beside it. No output of the program may be written over one of
// them, whatever path names it (another spelling, a symbolic or a hard link): they are told apart
// by device and inode. A companion's name is the database's even before the file exists: a file
// made there would be taken by the database library for a journal or a log of the database.
class OpenDatabaseFiles {
public:
    // Notes the database file at `path` as opened by `owner` (one file per owner; a new one
    // replaces the owner's earlier file).
    static void hold(const void* owner, const QString& path);
    // Forgets the owner's file.
    static void release(const void* owner);
    // Whether `path` (its symbolic links followed) is one of the open database files or names a
    // companion file of one; the file the path names is written to `which` when it is.
    static bool holdsPath(const QString& path, QString* which = nullptr);
    // Whether an open descriptor (standard output, say) is one of the open database files.
    static bool holdsDescriptor(int fd, QString* which = nullptr);
};

// A path with its folder resolved (links, "..", "."), the file name kept as it is; empty when the
// folder does not exist.
QString withFolderResolved(const QString& path);

} // namespace trellum
