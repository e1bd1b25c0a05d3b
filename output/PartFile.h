#pragma once

#include "DbError.h"

#include <QByteArray>
#include <QString>

#include <optional>

#include <sys/types.h>

namespace trellum {

// The process that writes a part file, as its name records it: the boot it runs in, the process
// id space it is seen in, its process id and its start time (clock ticks after the boot).
// Together they name one process for good: a process id is reused only by a process that starts
// later, and a new boot has a new id.
struct PartOwner {
    QByteArray boot;        // the first 8 hex digits of the boot id, without dashes
    unsigned long long pidSpace = 0; // the inode of the process id namespace
    long long pid = 0;
    unsigned long long start = 0;
    bool operator==(const PartOwner&) const = default;
};

// A hidden temporary file (".trellum-....part") in an output's folder, into which the output is
// written completely before it is moved over the target. Until then it is noted in the
// PartFileRegistry, so a termination signal removes it; destroyed without moveOver(), it removes
// itself. Every write, the flush to the disk and the close are checked. It is created readable by
// its owner alone and given the target's mode before anything is written into it.
class PartFile {
public:
    PartFile() = default;
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    // Creates an empty part file beside `target` with the mode the target has (or a new file
    // gets); part files of the same target left by processes that are gone are removed first.
    DbStatus create(const QByteArray& target);
    // Creates an empty part file in `folder` for the scratch copy of `target`, readable by the
    // owner alone.
    DbStatus createScratch(const QByteArray& folder, const QByteArray& target);
    // The part file's path (empty before create() and after moveOver()).
    const QByteArray& path() const { return m_path; }
    // Appends `data` to the part file.
    DbStatus write(const QByteArray& data);
    // Flushes the part file to the disk, closes it and moves it over `target`; an existing target
    // file passes its permissions on. On failure the part file is removed and the target untouched.
    DbStatus moveOver(const QByteArray& target);
    // Removes the part file now.
    void discard();

    // This process as part file names record it; nullopt when /proc cannot tell.
    static std::optional<PartOwner> currentOwner();
    // The name (without folder) of a part file for `target` written by `owner`.
    static QByteArray partName(const QByteArray& target, const PartOwner& owner, quint32 random);
    // Removes the part files for `target` in `folder` that this user's processes left behind and
    // that are gone; returns how many were removed.
    static int removeStale(const QByteArray& folder, const QByteArray& target);

    // The error of a failed system call on `path`, described as the system describes `number`.
    static DbError systemError(int number, const QByteArray& path);
    // Writes all of `data` to a descriptor, resuming after interruptions and partial writes;
    // false with errno set on failure.
    static bool writeAll(int fd, const QByteArray& data);

private:
    DbStatus createIn(const QByteArray& folder, const QByteArray& target, mode_t mode);

    QByteArray m_path;
    int m_fd = -1;
    int m_slot = -1;
};

} // namespace trellum
