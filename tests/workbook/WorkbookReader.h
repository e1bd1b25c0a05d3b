#pragma once

#include <QJsonObject>
#include <QString>
#include <QVariant>

namespace trellum::test {

// A written workbook read back by an independent reader (Debian's python3 with openpyxl, and the
// sheet XML parsed by hand for the cells a merge covers).
class WorkbookReader {
public:
    // Reads the file; ok() tells whether the reader could.
    explicit WorkbookReader(const QString& path);

    bool ok() const { return m_error.isEmpty(); }
    // Why the file could not be read.
    QString error() const { return m_error; }
    // The whole dump: sheetNames, merges, widths, heights, cells, xml, xfCount.
    const QJsonObject& dump() const { return m_dump; }

    // One property of a cell as openpyxl reads it ("value", "type", "numFmt", "fill", "border",
    // "fontName", "bold", "fontSize", "align", "wrap"); with the prefix "xml:" as the sheet XML
    // has it. A cell that is not in the file gives an invalid QVariant. A border reads as
    // "left,right,top,bottom" styles ("-" for none).
    QVariant property(const QString& cell, const QString& name) const;
    // The merged ranges, sorted, joined by blanks.
    QString merges() const;

private:
    QJsonObject m_dump;
    QString m_error;
};

// Every part of a workbook, name and bytes, in name order, with the moment it was written (the
// document properties' created and modified dates) left out; "" if unreadable. Two workbooks
// written from the same sheet give the same parts.
QByteArray workbookParts(const QString& path);

} // namespace trellum::test
