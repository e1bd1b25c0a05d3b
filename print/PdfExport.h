#pragma once

#include "ExportLayout.h"
#include "Messenger.h"
#include "PartFile.h"
#include "Sheet.h"
#include "SpreadsheetExport.h"

#include <QString>

#include <optional>

namespace trellum {

// The save dialog's file-type filter of a PDF.
inline const QString kPdfFileFilter = QStringLiteral("PDF文件|*.pdf");

// Writes the printed pages of `sheet` as a PDF document titled `title` under `path` exactly, as
// every output is written (OutputFile): never over an open database, an existing file replaced only
// by a complete new one, a device or named pipe sent the document in place. Needs a running
// QGuiApplication for its fonts. nullopt when it was saved.
DbStatus writeSheetPdf(const Sheet& sheet, const QString& path, const QString& title);

// Writes the PDF of the grid under the chosen path (its base path + ".pdf") and reports success or
// failure itself, as WriteWorkbook does for the workbook. Returns true when the file was written.
bool WritePdf(const ExportLayout& layout, const ExportContext& context, const QString& chosenPath, ExportHost& host,
              Messenger& messenger);

// Says "请先统计！" and returns true while the grid holds no result to print.
bool refusedWithoutResult(const ExportLayout& layout, const ExportContext& context, Messenger& messenger);

// The PDF button: refused while the grid holds no result, then the save dialog offering the
// workbook's file name with ".pdf", the cancel message, WritePdf, and the buttons back.
void PdfCommand(const ExportLayout& layout, const ExportContext& context, ExportHost& host, SaveDialog& dialog,
                Messenger& messenger);

} // namespace trellum
