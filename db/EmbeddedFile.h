#pragma once

#include "DbError.h"

#include <QString>

namespace trellum {

// An embedded database file as another program left it, looked at before it is opened
// read-only: how to open it, whether it can be read at all, and what an open failure means.
// - A WAL-mode file without its -shm file in a folder (or on media) this program cannot write:
//   SQLite cannot make the -shm file there. With no -wal content either, nothing has the file
//   open, so it is opened as immutable; with -wal content that only a writer can bring back, the
//   open is refused with the reason.
// - A full path longer than SQLite's platform layer takes is read through LongPathVfs, as long as no
//   -wal or -journal file is needed; otherwise the open is refused with the reason.
// - A rollback journal left by a crashed writer makes the first read fail; the failure is then
//   explained as a database that needs recovery by a program allowed to write it.
class EmbeddedFile {
public:
    // Looks at the file at `path` (which exists) and at the files beside it.
    static EmbeddedFile inspect(const QString& path);

    // Why the file cannot be read as it lies, in the program's words; nullopt when it can be opened.
    DbStatus refusal() const;
    // The name to open: the path, or an immutable read-only URI for a file nothing can be writing.
    QString openName() const;
    // The connection options for that name.
    QString connectOptions() const;
    // Whether the file is opened as immutable.
    bool immutable() const { return m_immutable; }
    // Whether the full path is beyond the platform layer's limit (the file is read through LongPathVfs).
    bool longPath() const;
    // An error of the open (or of the first read) with its meaning for this file.
    DbError explain(const DbError& error) const;

private:
    QString m_path;
    QString m_fullPath;
    qsizetype m_fullPathBytes = 0;
    bool m_wal = false;
    bool m_walContent = false;
    bool m_shm = false;
    bool m_journal = false;
    bool m_folderWritable = true;
    bool m_immutable = false;
};

} // namespace trellum
