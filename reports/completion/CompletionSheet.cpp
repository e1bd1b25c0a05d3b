#include "CompletionReport.h"

#include "CellText.h"

namespace trellum {

namespace {

// Row 3: the region on the left, the period in the middle, the reporting deadline on the right.
void headerLines(Sheet& sheet, const ExportContext& context)
{
    sheet.setText(3, 2, QStringLiteral("管理区域: ") + context.regionName);
    sheet.setAlignment(SheetRange::cell(3, 2), SheetAlign::Left);
    const SheetRange period { 3, 5, 3, 6 };
    sheet.merge(period);
    sheet.setAlignment(period, SheetAlign::Centre);
    sheet.setText(3, 5, QStringLiteral(" 统计日期: ") + isoDate(context.startDate) + QStringLiteral(" 至 ")
                      + isoDate(context.endDate));
    sheet.setText(3, 9, QStringLiteral("上报日期: 月后二日"));
    sheet.setAlignment(SheetRange::cell(3, 9), SheetAlign::Right);
}

// 序, 小区名称 and 备注 span both header rows; the group headers stay one copy per column.
void headerMerges(Sheet& sheet, const ExportContext&)
{
    for (const int col : { 1, 2, 9 })
        sheet.merge({ 4, col, 5, col });
}

// The signature lines below the total line and the categories of the run.
void footer(Sheet& sheet, const ExportContext& context)
{
    const int r = context.grid->rows();
    sheet.setText(r + 5, 2, QStringLiteral(" 经理:"));
    sheet.setText(r + 5, 5, QStringLiteral(" 制表:"));
    sheet.setText(r + 5, 9, QStringLiteral(" 实际报出日期:") + isoDate(context.today));
    sheet.setText(r + 6, 2, QStringLiteral(" 报修类别: ") + context.categoryNames);
}

} // namespace

// The completion overview's sheet: columns A to I, two header rows, counts as "#0", rates as
// "#0.00".
ExportLayout CompletionReport::exportLayout() const
{
    ExportLayout layout;
    layout.fileStem = QStringLiteral("维修完成情况一览表_");
    layout.nameDates = ExportLayout::NameDates::Period;
    layout.guardRowCount = 3;
    layout.sheetColumns = 9;
    layout.headerRows = kHeaderRows;
    for (const int col : { 2, 3, 5, 6 })
        layout.numericColumns[col] = NumericColumn { QStringLiteral("#0") };
    for (const int col : { 4, 7 })
        layout.numericColumns[col] = NumericColumn { QStringLiteral("#0.00") };
    layout.headerFill = true;
    layout.successMessage = QStringLiteral("维修完成情况一览表导出成功!");
    layout.headerLines = headerLines;
    layout.headerMerges = headerMerges;
    layout.footer = footer;
    return layout;
}

} // namespace trellum
