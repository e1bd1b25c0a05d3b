#include "MonthEndReport.h"

namespace trellum {

const ReportInfo& MonthEndReport::info() const
{
    static const ReportInfo info {
        .kind = ReportKind::MonthEnd,
        .windowName = QStringLiteral("frm报修月底汇总New"),
        .caption = QStringLiteral("报修簿月底汇总"),
        .shortName = QStringLiteral("报修簿月底汇总"),
        .title = QStringLiteral("报修簿月底汇总表"),
        .runButton = QStringLiteral("开始统计"),
        .dateLabel = QStringLiteral("统计日期范围"),
        .treeLabel = QStringLiteral("勾选小区"),
        .treeTopTwips = 1545,
        .tree = TreeKind::Offices,
        .headerRows = kHeaderRows,
        .highlight = { .firstReactingRow = 2, .totalsLabelColumn = 1, .firstColouredColumn = 1 },
    };
    return info;
}

} // namespace trellum
