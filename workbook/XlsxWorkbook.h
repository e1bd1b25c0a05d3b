#pragma once

#include "DbError.h"
#include "Sheet.h"

#include <QString>

#include <optional>

namespace trellum {

// Writes a Sheet as the one worksheet of a new .xlsx workbook. Every distinct cell style becomes
// one cell format, built when the file is written; colours are turned from blue-green-red into
// the file's red-green-blue; each cell of a merged area carries its own style, so borders and
// fills of merged areas are drawn as on any other cell.
//
// The file is written as every output is (OutputFile): to a temporary file beside the target,
// moved over the target only once it is complete, so a failed save leaves an existing file of that
// name as it was and no stray file; an existing device or named pipe is sent the file in place,
// and an open database file is never written over.
class XlsxWorkbook {
public:
    // The workbook of `sheet`, which must outlive it.
    explicit XlsxWorkbook(const Sheet& sheet) : m_sheet(sheet) {}

    // Writes the workbook under `path` exactly (no extension is added); nullopt when it was saved.
    DbStatus saveAs(const QString& path) const;

private:
    DbStatus writeTo(const QByteArray& file) const;

    const Sheet& m_sheet;
};

} // namespace trellum
