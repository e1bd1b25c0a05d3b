#include "MonthEndReport.h"

#include "CellText.h"

namespace trellum {

namespace {

// N: the sheet columns as the frame resolved them (the grid's column count).
int sheetColumns(const ExportContext& context)
{
    if (context.sheetColumns > 0)
        return context.sheetColumns;
    return context.grid ? context.grid->cols() : MonthEndReport::kStandardColumns;
}

// Row 3: the period, merged over the first two columns and starting with one blank.
void headerLines(Sheet& sheet, const ExportContext& context)
{
    sheet.merge({ 3, 1, 3, 2 });
    sheet.setText(3, 1, QStringLiteral(" 汇总日期: ") + isoDate(context.startDate) + QStringLiteral(" 至 ")
                             + isoDate(context.endDate));
}

// The category names in row 5 need the height; both header rows wrap.
void headerRowSettings(Sheet& sheet, const ExportContext&)
{
    sheet.setRowHeight(5, 30);
    sheet.setRowWrap(4, true);
    sheet.setRowWrap(5, true);
}

void headerMerges(Sheet& sheet, const ExportContext& context)
{
    const int n = sheetColumns(context);
    for (int c = 1; c <= 7; ++c)
        sheet.merge({ 4, c, 5, c }); // 序 .. 转计划单 over both header rows
    sheet.merge({ 4, 8, 4, 11 });    // 实际报修
    sheet.merge({ 4, 12, 4, 13 });   // 本月超期
    sheet.merge({ 4, 14, 4, 17 });   // 本月完成
    sheet.merge({ 4, 18, 5, 18 });   // 及时率
    sheet.merge({ 4, 19, 5, 19 });   // 本月结转
    // 工种分析 over the category columns; one category column needs no merge
    if (n > 20)
        sheet.merge({ 4, 20, 4, n });
}

// Under the grid: an empty merged row, then the type-analysis labels and values with the remark.
void footer(Sheet& sheet, const ExportContext& context)
{
    const int n = sheetColumns(context);
    const int r = context.grid ? context.grid->rows() : MonthEndReport::kHeaderRows;
    const int labels = r + 5;
    const int values = r + 6;
    sheet.merge({ r + 4, 2, r + 4, n });

    sheet.merge({ labels, 2, values, 2 });
    sheet.setText(labels, 2, QStringLiteral("类型分析"));
    const char16_t* const kLabels[] = { u"维修", u"开箱", u"设摊", u"访问", u"电话", u"其他", u"微信" };
    for (int i = 0; i < 7; ++i)
        sheet.setText(labels, 3 + i, QString::fromUtf16(kLabels[i]));
    // 开箱 and 设摊 (boxes 1 and 2) are never filled
    for (int box : { 0, 3, 4, 5, 6 })
        sheet.setText(values, 3 + box, context.typeAnalysis[std::size_t(box)]);

    sheet.merge({ labels, 10, values, 10 });
    sheet.setText(labels, 10, QStringLiteral("附记:"));
    sheet.merge({ labels, 11, values, n });
    sheet.setText(labels, 11, context.remark);
}

} // namespace

ExportLayout MonthEndReport::exportLayout() const
{
    ExportLayout layout;
    layout.fileStem = QStringLiteral("报修簿月底汇总表_");
    layout.nameDates = ExportLayout::NameDates::Period;
    layout.guardRowCount = 2;
    layout.sheetColumns = 0;
    layout.headerRows = kHeaderRows;
    layout.numericFromColumn = 2;
    layout.numericTail = NumericColumn { QStringLiteral("#0"), true };
    layout.headerFill = true;
    layout.successMessage = QStringLiteral("报修簿月底汇总表导出成功!");
    // the bold title range stops at column 18; fonts and borders take in the type-analysis block
    layout.titleBoldLastColumn = 18;
    layout.fontLastRowOffset = 7;
    layout.borderLastRowOffset = 6;
    layout.headerLines = headerLines;
    layout.headerRowSettings = headerRowSettings;
    layout.headerMerges = headerMerges;
    layout.footer = footer;
    return layout;
}

} // namespace trellum
