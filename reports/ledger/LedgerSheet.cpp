#include "LedgerReport.h"

#include "CellText.h"

namespace trellum {

namespace {

constexpr int kSheetColumns = 18;
constexpr int kGridLabelColumn = 2;

// The form number, the team (region), the period and the units above the header.
void ledgerHeaderLines(Sheet& sheet, const ExportContext& ctx)
{
    const SheetRange formNumber { 2, 17, 2, 18 };
    sheet.merge(formNumber);
    sheet.setAlignment(formNumber, SheetAlign::Left);
    sheet.setText(2, 17, QStringLiteral(" 表 号: Velmor(90)统另4表"));

    sheet.merge({ 3, 1, 3, 3 });
    sheet.setText(3, 1, QStringLiteral(" 班    组: ") + ctx.regionName);

    const SheetRange period { 3, 8, 3, 11 };
    sheet.merge(period);
    sheet.setAlignment(period, SheetAlign::Centre);
    sheet.setText(3, 8, QStringLiteral(" 统计日期: ") + isoDate(ctx.startDate) + QStringLiteral(" 至 ")
                      + isoDate(ctx.endDate));

    sheet.merge({ 3, 17, 3, 18 });
    sheet.setText(3, 17, QStringLiteral(" 单 位: 小时 元"));
}

// The three header rows merged as the printed form has them, in the form's order.
void ledgerHeaderMerges(Sheet& sheet, const ExportContext&)
{
    static constexpr SheetRange merges[] = {
        { 4, 1, 6, 1 },   // 序
        { 4, 2, 4, 3 },   // 分类
        { 5, 2, 6, 2 },   // 姓名
        { 5, 3, 6, 3 },   // 材料名称
        { 4, 4, 4, 8 },   // 用工记录
        { 5, 4, 5, 7 },   // 完成定额工时
        { 5, 8, 6, 8 },   // 实际
        { 4, 9, 4, 12 },  // 人工费
        { 5, 9, 5, 11 },  // 预算成本
        { 5, 12, 6, 12 }, // 实际
        { 4, 13, 4, 16 }, // 材料费
        { 5, 13, 5, 15 }, // 预算成本
        { 5, 16, 6, 16 }, // 实际
        { 4, 17, 4, 18 }, // 施工管理费
        { 5, 17, 6, 17 }, // 预算
        { 5, 18, 6, 18 }, // 实际
    };
    for (const SheetRange& m : merges)
        sheet.merge(m);
}

// A subtotal line takes the colour of its grid row's last cell across the whole sheet row.
void ledgerRowRule(Sheet& sheet, const ExportContext& ctx, int gridRow, int sheetRow)
{
    const ReportGrid& grid = *ctx.grid;
    if (!grid.text(gridRow, kGridLabelColumn).contains(QStringLiteral("合计")))
        return;
    // a cell in the window colour has no colour of its own to copy
    if (const auto colour = grid.background(gridRow, grid.cols() - 1))
        sheet.setFill({ sheetRow, 1, sheetRow, kSheetColumns }, *colour);
}

// The ticked categories two rows below the total line.
void ledgerFooter(Sheet& sheet, const ExportContext& ctx)
{
    sheet.setText(ctx.grid->rows() + 5, 2, QStringLiteral(" 报修类别: ") + ctx.categoryNames);
}

} // namespace

ExportLayout LedgerReport::exportLayout() const
{
    ExportLayout layout;
    layout.fileStem = QStringLiteral("班组核算台账_");
    layout.nameDates = ExportLayout::NameDates::Today;
    layout.guardRowCount = kHeaderRows;
    layout.sheetColumns = kSheetColumns;
    layout.headerRows = kHeaderRows;
    for (int c : { 7, 11, 15 })
        layout.numericColumns[c] = NumericColumn { QStringLiteral("#0.00"), true };
    layout.headerFill = false;
    layout.successMessage = QStringLiteral("班组核算台账汇总表导出成功!");
    layout.headerLines = ledgerHeaderLines;
    layout.headerMerges = ledgerHeaderMerges;
    layout.perRowRule = ledgerRowRule;
    layout.footer = ledgerFooter;
    return layout;
}

} // namespace trellum
