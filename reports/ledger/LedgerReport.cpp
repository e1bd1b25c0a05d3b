#include "LedgerReport.h"

namespace trellum {

const ReportInfo& LedgerReport::info() const
{
    static const ReportInfo info {
        .kind = ReportKind::Ledger,
        .windowName = QStringLiteral("frm班组核算台账New"),
        .caption = QStringLiteral("班组经济核算台账"),
        .shortName = QStringLiteral("班组经济核算台账"),
        .title = QStringLiteral("班组经济核算台账汇总表"),
        .runButton = QStringLiteral("开始统计"),
        .dateLabel = QStringLiteral("统计日期范围"),
        .treeLabel = QStringLiteral("勾选维修人员"),
        .treeTopTwips = 2100,
        .tree = TreeKind::Workers,
        .headerRows = kHeaderRows,
        .highlight = { .firstReactingRow = 3, .totalsLabelColumn = 2, .firstColouredColumn = 2 },
    };
    return info;
}

} // namespace trellum
