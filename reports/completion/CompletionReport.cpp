#include "CompletionReport.h"

namespace trellum {

const ReportInfo& CompletionReport::info() const
{
    static const ReportInfo info {
        .kind = ReportKind::Completion,
        .windowName = QStringLiteral("frm维修完成情况表"),
        .caption = QStringLiteral("维修完成情况一览表"),
        .shortName = QStringLiteral("维修完成情况表"),
        .title = QStringLiteral("维修完成情况一览表"),
        .runButton = QStringLiteral("开始统计"),
        .dateLabel = QStringLiteral("统计日期范围"),
        .treeLabel = QStringLiteral("勾选小区"),
        .treeTopTwips = 1740,
        .tree = TreeKind::Offices,
        .headerRows = kHeaderRows,
        .highlight = { .firstReactingRow = 2, .totalsLabelColumn = 1, .firstColouredColumn = 1 },
    };
    return info;
}

} // namespace trellum
