#pragma once

#include "PartFile.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace trellum {

// One output of the program (a text document or a workbook) on its way to its file, so that no
// output destroys anything:
// - a target that is one of the open database files (OpenDatabaseFiles) is refused;
// - a new name or an existing regular file is written into a part file beside it (the symbolic
//   link followed) and moved over it only once complete, flushed and closed: a failure leaves the
//   earlier file as it was;
// - anything else that exists (a device, a named pipe) is opened for writing in place, never
//   replaced.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Refuses a target that is an open database file; nullopt when it may be written.
    static DbStatus refusal(const QString& target);

    // Opens the output for `target` (opening a named pipe waits for its reader).
    DbStatus open(const QString& target);
    // Whether the target is written in place (a device or a named pipe).
    bool inPlace() const { return m_fd >= 0; }
    // The part file that becomes the target (empty when written in place).
    const QByteArray& partPath() const { return m_part.path(); }
    // Writes `data` to the part file or the target.
    DbStatus write(const QByteArray& data);
    // Completes the output: the part file moved over the target, or the target closed.
    DbStatus commit();

private:
    QByteArray m_target;
    PartFile m_part;
    int m_fd = -1;
};

} // namespace trellum
