#pragma once

#include "PartFile.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace trellum {

// One output of the program (a text document, a workbook, a database) on its way to its file, so
// that no output destroys anything:
// - a symbolic link stays as it is and the file it names is written (made, when the link dangles);
// - a target that is one of the open database files (OpenDatabaseFiles) is refused, and so is a
//   name the database library would take for one of its companion files;
// - a new name or an existing regular file is written into a part file beside it and moved over
//   it only once complete, flushed and closed: a failure leaves the earlier file as it was;
// - anything else that exists (a device, a named pipe) is opened for writing in place, never
//   replaced.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Refuses a target that is an open database file or one of its companions; nullopt when it
    // may be written.
    static DbStatus refusal(const QString& target);
    // The file a target names: its symbolic links followed as far as they lead, the last one
    // possibly dangling (the path then names the file to make).
    static DbStatus resolve(const QString& target, QString* resolved);

    // Whether two targets lead to one file (links followed, any spelling, a hard link).
    static bool sameFile(const QString& a, const QString& b);

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

    // For a writer that makes the whole file itself by its path (a workbook, a database): the
    // file to fill, the part file or, for a target written in place, a private scratch file in
    // the temporary folder.
    DbStatus fileToFill(QByteArray* path);
    // Completes an output filled through fileToFill(): a scratch file's contents are sent to the
    // target first.
    DbStatus commitFilled();

private:
    QByteArray m_target;
    PartFile m_part;
    PartFile m_scratch;
    int m_fd = -1;
};

} // namespace trellum
