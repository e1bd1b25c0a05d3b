#include "Criteria.h"

#include "SqlText.h"

namespace trellum {

QString reportName(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Completion: return QStringLiteral("completion");
    case ReportKind::Ledger: return QStringLiteral("ledger");
    case ReportKind::Performance: return QStringLiteral("performance");
    case ReportKind::MonthEnd: return QStringLiteral("monthend");
    }
    return QString();
}

namespace {

enum class Check { Dates, Region, Nodes, Categories };

std::optional<CaptureFailure> checkDates(ReportKind kind, const FilterState& s)
{
    if (treeOfWorkers(kind)) {
        if (s.endDate < s.startDate)
            return CaptureFailure { QStringLiteral("截止日期必须大于开始日期!"), FocusTarget::EndDate };
    } else if (s.startDate > s.endDate) {
        return CaptureFailure { QStringLiteral("开始日期不能大于结束日期,请重新设定!"), FocusTarget::StartDate };
    }
    return std::nullopt;
}

std::optional<CaptureFailure> checkNodes(ReportKind kind, const FilterState& s, ReportCriteria& c)
{
    QStringList codes;
    for (const TreeNode& node : s.nodes)
        if (node.checked && node.member)
            codes << node.code;
    QString& list = treeOfWorkers(kind) ? c.workerCodes : c.officeCodes;
    list = sqlList(codes);
    if (list.isEmpty())
        return CaptureFailure { treeOfWorkers(kind) ? QStringLiteral("请勾选维修人员!") : QStringLiteral("请勾选小区!"),
                                FocusTarget::None };
    return std::nullopt;
}

std::optional<CaptureFailure> checkCategories(ReportKind kind, const FilterState& s, ReportCriteria& c)
{
    QStringList codes, names;
    for (std::size_t i = 0; i < s.categories.size(); ++i) {
        if (i < s.categoryTicks.size() && s.categoryTicks[i]) {
            codes << s.categories[i].code;
            names << s.categories[i].name;
        }
    }
    c.categoryCodes = sqlList(codes);
    c.tickedCategoryCodes = codes;
    if (kind != ReportKind::MonthEnd)
        c.categoryNames = names.join(QStringLiteral("，"));
    if (codes.isEmpty())
        return CaptureFailure { QStringLiteral("请勾选报修类别!"), FocusTarget::None };
    return std::nullopt;
}

} // namespace

std::optional<CaptureFailure> captureCriteria(ReportKind kind, const FilterState& state, ReportCriteria& criteria)
{
    const Check order[4] = {
        kind == ReportKind::Performance ? Check::Region : Check::Dates,
        kind == ReportKind::Performance ? Check::Dates : Check::Region,
        Check::Nodes,
        Check::Categories,
    };
    for (Check check : order) {
        std::optional<CaptureFailure> failure;
        switch (check) {
        case Check::Dates:
            failure = checkDates(kind, state);
            break;
        case Check::Region:
            if (!state.region)
                failure = CaptureFailure { QStringLiteral("请选择区域!"), FocusTarget::Region };
            break;
        case Check::Nodes:
            failure = checkNodes(kind, state, criteria);
            break;
        case Check::Categories:
            failure = checkCategories(kind, state, criteria);
            break;
        }
        if (failure)
            return failure;
    }
    criteria.startDate = state.startDate;
    criteria.endDate = state.endDate;
    criteria.regionCode = state.region->code;
    criteria.regionName = state.region->name;
    return std::nullopt;
}

} // namespace trellum
