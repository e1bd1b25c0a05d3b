#pragma once

#include "DbError.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace trellum {

// A hidden temporary file (".trellum-XXXX.part") in an output's folder, into which the output is
// written completely before it is moved over the target. Until then it is noted in the
// PartFileRegistry, so a termination signal removes it; destroyed without moveOver(), it removes
// itself. Every write, the flush to the disk and the close are checked.
class PartFile {
public:
    PartFile() = default;
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    // Creates an empty part file with a fresh name in `folder`, with the permissions a new file gets.
    DbStatus create(const QByteArray& folder);
    // The part file's path (empty before create() and after moveOver()).
    const QByteArray& path() const { return m_path; }
    // Appends `data` to the part file.
    DbStatus write(const QByteArray& data);
    // Flushes the part file to the disk, closes it and moves it over `target`; an existing target
    // file passes its permissions on. On failure the part file is removed and the target untouched.
    DbStatus moveOver(const QByteArray& target);
    // Removes the part file now.
    void discard();

    // The error of a failed system call on `path`, described as the system describes `number`.
    static DbError systemError(int number, const QByteArray& path);
    // Writes all of `data` to a descriptor, resuming after interruptions and partial writes;
    // false with errno set on failure.
    static bool writeAll(int fd, const QByteArray& data);

private:
    QByteArray m_path;
    int m_fd = -1;
    int m_slot = -1;
};

} // namespace trellum
