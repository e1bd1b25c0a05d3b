#include "PerformanceReport.h"

#include "CellText.h"

namespace trellum {

namespace {

// The sheet's last column: the grid's column count (X for 24 columns).
int lastColumn(const ExportContext& ctx)
{
    return ctx.sheetColumns > 0 ? ctx.sheetColumns : ctx.grid->cols();
}

// The form number, the reporting unit, the period and the attendance left blank for handwriting.
void performanceHeaderLines(Sheet& sheet, const ExportContext& ctx)
{
    const int last = lastColumn(ctx);
    const SheetRange formNumber { 2, last - 2, 2, last };
    sheet.merge(formNumber);
    sheet.setAlignment(formNumber, SheetAlign::Right);
    sheet.setText(2, last - 2, QStringLiteral(" 表号: (93) Velmor统另3表"));

    sheet.merge({ 3, 1, 3, 3 });
    sheet.setText(3, 1, QStringLiteral("填报单位: "));

    const SheetRange period { 3, 10, 3, 15 };
    sheet.merge(period);
    sheet.setAlignment(period, SheetAlign::Centre);
    sheet.setText(3, 10, QStringLiteral(" 汇总日期: ") + isoDate(ctx.startDate) + QStringLiteral(" 至 ")
                       + isoDate(ctx.endDate));

    const SheetRange attendance { 3, last - 2, 3, last };
    sheet.merge(attendance);
    sheet.setAlignment(attendance, SheetAlign::Right);
    sheet.setText(3, last - 2, QStringLiteral(" 本月应出勤:       天,折合        小时"));
}

// The second header row is tall, and both header rows wrap their texts.
void performanceHeaderRowSettings(Sheet& sheet, const ExportContext&)
{
    sheet.setRowHeight(5, 60);
    sheet.setRowWrap(4, true);
    sheet.setRowWrap(5, true);
}

// The header cells merged as the printed form has them.
void performanceHeaderMerges(Sheet& sheet, const ExportContext&)
{
    static constexpr SheetRange merges[] = {
        { 4, 1, 5, 1 },   // 序
        { 4, 2, 5, 2 },   // 姓名
        { 4, 3, 5, 3 },   // 全日缺勤工日
        { 4, 5, 5, 5 },   // 全日公假及停工工日
        { 4, 7, 5, 7 },   // 非全日缺勤工时
        { 4, 8, 5, 8 },   // 非全日公假及停工工时
        { 4, 24, 5, 24 }, // 备注
        { 4, 10, 4, 14 }, // 实际作业工时分析
        { 4, 16, 4, 20 }, // 完成定额工时分析
        { 4, 21, 4, 23 }, // 补贴工时
    };
    for (const SheetRange& m : merges)
        sheet.merge(m);
}

// The signature lines, today's date and the ticked categories below the totals row.
void performanceFooter(Sheet& sheet, const ExportContext& ctx)
{
    const int row = ctx.grid->rows() + 5;
    sheet.setText(row, 2, QStringLiteral(" 复核:"));
    sheet.setText(row, 6, QStringLiteral(" 制单:"));
    sheet.setText(row, 13, QStringLiteral(" 日期:") + isoDate(ctx.today));
    sheet.setText(row + 1, 2, QStringLiteral(" 报修类别: ") + ctx.categoryNames);
}

} // namespace

ExportLayout PerformanceReport::exportLayout() const
{
    ExportLayout layout;
    layout.fileStem = QStringLiteral("维修工考绩汇总表_");
    layout.nameDates = ExportLayout::NameDates::Today;
    layout.guardRowCount = kHeaderRows;
    layout.sheetColumns = 0;
    layout.headerRows = kHeaderRows;
    layout.numericColumns[15] = NumericColumn { QStringLiteral("#0.00"), false };
    for (int c : { 3, 5, 8, 9, 14 })
        layout.numericColumns[c] = NumericColumn { QStringLiteral("#0"), true };
    layout.headerFill = true;
    layout.successMessage = QStringLiteral("维修工考绩汇总表导出成功!");
    layout.headerLines = performanceHeaderLines;
    layout.headerRowSettings = performanceHeaderRowSettings;
    layout.headerMerges = performanceHeaderMerges;
    layout.footer = performanceFooter;
    return layout;
}

} // namespace trellum
