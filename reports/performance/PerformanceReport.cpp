#include "PerformanceReport.h"

namespace trellum {

const ReportInfo& PerformanceReport::info() const
{
    static const ReportInfo info {
        .kind = ReportKind::Performance,
        .windowName = QStringLiteral("frm维修工考绩汇总New"),
        .caption = QStringLiteral("维修工考绩汇总"),
        .shortName = QStringLiteral("维修工考绩汇总"),
        .title = QStringLiteral("维修工考绩汇总表"),
        .runButton = QStringLiteral("开始汇总"),
        .dateLabel = QStringLiteral("汇总日期范围"),
        .treeLabel = QStringLiteral("勾选维修人员"),
        .treeTopTwips = 2025,
        .tree = TreeKind::Workers,
        .headerRows = kHeaderRows,
        .highlight = { .firstReactingRow = 2, .totalsLabelColumn = -1, .firstColouredColumn = 1 },
        // the region is checked before the dates
        .checkOrder = { CriteriaCheck::Region, CriteriaCheck::Dates, CriteriaCheck::Nodes, CriteriaCheck::Categories },
    };
    return info;
}

} // namespace trellum
