#include "ReportInfo.h"

namespace trellum {

const ReportInfo& reportInfo(ReportKind kind)
{
    static const ReportInfo completion { ReportKind::Completion, QStringLiteral("frm维修完成情况表"),
        QStringLiteral("维修完成情况一览表"), QStringLiteral("维修完成情况表"), QStringLiteral("维修完成情况一览表"),
        QStringLiteral("开始统计"), QStringLiteral("统计日期范围"), QStringLiteral("勾选小区"), 1740, 2, 2, 1, 1 };
    static const ReportInfo ledger { ReportKind::Ledger, QStringLiteral("frm班组核算台账New"),
        QStringLiteral("班组经济核算台账"), QStringLiteral("班组经济核算台账"), QStringLiteral("班组经济核算台账汇总表"),
        QStringLiteral("开始统计"), QStringLiteral("统计日期范围"), QStringLiteral("勾选维修人员"), 2100, 3, 3, 2, 2 };
    static const ReportInfo performance { ReportKind::Performance, QStringLiteral("frm维修工考绩汇总New"),
        QStringLiteral("维修工考绩汇总"), QStringLiteral("维修工考绩汇总"), QStringLiteral("维修工考绩汇总表"),
        QStringLiteral("开始汇总"), QStringLiteral("汇总日期范围"), QStringLiteral("勾选维修人员"), 2025, 2, 2, -1, 1 };
    static const ReportInfo monthEnd { ReportKind::MonthEnd, QStringLiteral("frm报修月底汇总New"),
        QStringLiteral("报修簿月底汇总"), QStringLiteral("报修簿月底汇总"), QStringLiteral("报修簿月底汇总表"),
        QStringLiteral("开始统计"), QStringLiteral("统计日期范围"), QStringLiteral("勾选小区"), 1545, 2, 2, 1, 1 };
    switch (kind) {
    case ReportKind::Completion: return completion;
    case ReportKind::Ledger: return ledger;
    case ReportKind::Performance: return performance;
    case ReportKind::MonthEnd: return monthEnd;
    }
    return completion;
}

} // namespace trellum
