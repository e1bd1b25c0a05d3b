#include "SpreadsheetExport.h"

#include "CellText.h"
#include "DbError.h"
#include "XlsxWorkbook.h"

#include <algorithm>

namespace trellum {

namespace {

const QString kSheetFont = QStringLiteral("微软雅黑");
constexpr double kSheetFontSize = 9;
constexpr double kTwipsPerCharacter = 110;

SheetRange rows(int top, int bottom, int columns)
{
    return { top, 1, bottom, columns };
}

// A grid text in a numeric column as written: a number in the column's format; a text that is no
// number is written unchanged.
QString numericText(const QString& text, const QString& format)
{
    const CellValue v = Sheet::typedValue(text);
    return v.kind == CellValue::Kind::Number ? formatNumber(v.number, format) : text;
}

} // namespace

QString exportBasePath(const QString& chosenPath)
{
    const qsizetype nameStart =
        std::max(chosenPath.lastIndexOf(QLatin1Char('/')), chosenPath.lastIndexOf(QLatin1Char('\\'))) + 1;
    const qsizetype dot = chosenPath.lastIndexOf(QLatin1Char('.'));
    return dot >= nameStart ? chosenPath.left(dot) : chosenPath;
}

Sheet BuildSheet(const ExportLayout& layout, const ExportContext& given, ExportHost* host)
{
    Sheet sheet;
    if (!given.grid)
        return sheet;
    const ReportGrid& grid = *given.grid;
    ExportContext context = given;
    const int n = layout.sheetColumns > 0 ? layout.sheetColumns : grid.cols();
    context.sheetColumns = n;
    const int h = layout.headerRows;
    const int r = grid.rows();
    auto step = [&](const ExportLayout::Step& s) {
        if (s)
            s(sheet, context);
    };

    // title
    sheet.merge(rows(1, 1, n));
    sheet.setAlignment(rows(1, 1, n), SheetAlign::Centre);
    sheet.setText(1, 1, context.title);
    step(layout.headerLines);

    // the column headers, centred; every header row sets the widths again, to the same values
    sheet.setAlignment(rows(4, 3 + h, n), SheetAlign::Centre);
    for (int hr = 0; hr < h; ++hr)
        for (int c = 0; c < grid.cols(); ++c) {
            sheet.setColumnWidth(c + 1, grid.colWidth(c) / kTwipsPerCharacter);
            sheet.setText(hr + 4, c + 1, grid.text(hr, c));
        }
    step(layout.headerRowSettings);
    step(layout.headerMerges);
    if (layout.headerFill)
        sheet.setFill(rows(4, 3 + h, n), kTotalColour);
    sheet.setPrintTitleRows(4, 3 + h);

    if (host) {
        host->showProgress(0, r);
        host->repaintOnce();
    }
    for (int i = h; i < r; ++i) {
        if (host)
            host->setProgress(i - 2);
        for (int j = 0; j < grid.cols(); ++j) {
            const QString text = grid.text(i, j);
            const NumericColumn* numeric = layout.numericColumn(j);
            if (!numeric) {
                sheet.setText(i + 4, j + 1, text);
                continue;
            }
            if (text.isEmpty() && !numeric->formatWhenEmpty)
                continue;
            const SheetRange cell = SheetRange::cell(i + 4, j + 1);
            sheet.setNumberFormat(cell, numeric->format);
            sheet.setText(i + 4, j + 1, numericText(text, numeric->format));
            sheet.setAlignment(cell, SheetAlign::Right);
        }
        if (layout.perRowRule)
            layout.perRowRule(sheet, context, i, i + 4);
    }

    // the grid's last row is its total line
    sheet.setFill(rows(r + 3, r + 3, n), kTotalColour);

    const int boldTo = layout.titleBoldLastColumn > 0 ? layout.titleBoldLastColumn : n;
    sheet.setFontName(rows(1, 1, n), kSheetFont);
    sheet.setFontBold(rows(1, 1, boldTo), true);
    sheet.setFontName(rows(2, r + layout.fontLastRowOffset, n), kSheetFont);
    sheet.setFontSize(rows(2, r + layout.fontLastRowOffset, n), kSheetFontSize);
    sheet.setBorders(rows(4, r + layout.borderLastRowOffset, n));

    step(layout.footer);
    return sheet;
}

void ExportCommand(const ExportLayout& layout, ExportContext context, ExportHost& host, SaveDialog& dialog,
                   Messenger& messenger)
{
    if (!context.grid || context.grid->rows() == layout.guardRowCount)
        return;
    host.setCommandButtonsVisible(false);
    const std::optional<QString> path = dialog.askSavePath(
        layout.defaultFileName(context.startDate, context.endDate, context.today), kExportFileFilter);
    if (!path || path->isEmpty()) {
        inform(messenger, kReportMessageTitle, kExportCancelledMessage);
        host.setCommandButtonsVisible(true);
        return;
    }
    WriteWorkbook(layout, std::move(context), *path, host, messenger);
    host.setCommandButtonsVisible(true);
}

bool WriteWorkbook(const ExportLayout& layout, ExportContext context, const QString& chosenPath, ExportHost& host,
                   Messenger& messenger)
{
    const QString target = exportBasePath(chosenPath) + QStringLiteral(".xlsx");
    const Sheet sheet = BuildSheet(layout, context, &host);
    return ReportOutcome(layout, context, target, XlsxWorkbook(sheet).saveAs(target), host, messenger);
}

bool ReportOutcome(const ExportLayout& layout, const ExportContext& context, const QString& target,
                   const DbStatus& error, ExportHost& host, Messenger& messenger)
{
    if (error) {
        inform(messenger, kReportMessageTitle, reportErrorText(*error));
        host.resetPointer();
        return false;
    }
    // The bar at its end and the path shown before the message waits for its OK.
    host.setProgress(context.grid ? context.grid->rows() : 0);
    host.exported(target);
    inform(messenger, kReportMessageTitle, layout.successMessage);
    host.hideProgress();
    return true;
}

} // namespace trellum
