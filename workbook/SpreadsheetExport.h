#pragma once

#include "DbError.h"
#include "ExportLayout.h"
#include "Messenger.h"
#include "Sheet.h"

#include <QString>

#include <optional>

namespace trellum {

// What the export frame needs of a report window besides the grid: its three command buttons
// and its progress bar. The windows implement it with their controls, the headless runner with
// nothing.
class ExportHost {
public:
    virtual ~ExportHost() = default;
    // Command1, Command2 and Command5, hidden or shown in that order.
    virtual void setCommandButtonsVisible(bool visible) = 0;
    virtual void showProgress(int minimum, int maximum) = 0;
    virtual void setProgress(int value) = 0;
    virtual void hideProgress() = 0;
    // Lets the window repaint once (after the progress bar is shown).
    virtual void repaintOnce() {}
    // Resets the mouse pointer to its default shape after a failure.
    virtual void resetPointer() {}
    // The workbook was written under `path` (before the success message).
    virtual void exported(const QString& path) { Q_UNUSED(path); }
};

// The save dialog's file-type filter: one entry named 电子表 listing both patterns.
inline const QString kExportFileFilter = QStringLiteral("电子表|*.xls;*.xlsx");
// The message of a cancelled save dialog.
inline const QString kExportCancelledMessage = QStringLiteral("您取消了导出操作！");

// The chosen path without the extension of its file name: everything from the last "." of the
// file-name part on is cut ("/" and "\\" end folder names; a dot in a folder name is never cut).
QString exportBasePath(const QString& chosenPath);

// Builds the sheet the workbook holds: title, the report's header lines, the copied header rows,
// merges and fill, the data with the numeric columns, the totals fill, fonts, borders and footer.
// Reads only the grid and the context; `host` (optional) sees the progress.
Sheet BuildSheet(const ExportLayout& layout, const ExportContext& context, ExportHost* host = nullptr);

// The export button: the guard row count, the hidden buttons, the save dialog with the default
// name and the filter, the cancel message, then WriteWorkbook, and the buttons back.
void ExportCommand(const ExportLayout& layout, ExportContext context, ExportHost& host, SaveDialog& dialog,
                   Messenger& messenger);

// Writes the workbook of the grid under the chosen path (its base path + ".xlsx") and reports
// success or failure itself. Returns true when the file was written. An existing file of that
// name is replaced only by a complete new one.
bool WriteWorkbook(const ExportLayout& layout, ExportContext context, const QString& chosenPath, ExportHost& host,
                   Messenger& messenger);

// Tells the user how writing an output of the grid under `target` went: the error (and the
// pointer put back), or the bar at its end, the path and the report's success message (and the
// progress bar hidden). Returns true on success.
bool ReportOutcome(const ExportLayout& layout, const ExportContext& context, const QString& target,
                   const DbStatus& error, ExportHost& host, Messenger& messenger);

} // namespace trellum
