#include "Criteria.h"

#include "SqlText.h"

namespace trellum {

namespace {

std::optional<CaptureFailure> checkDates(const ReportInfo& info, const FilterState& s)
{
    if (info.treeOfWorkers()) {
        if (s.endDate < s.startDate)
            return CaptureFailure { QStringLiteral("截止日期必须大于开始日期!"), FocusTarget::EndDate };
    } else if (s.startDate > s.endDate) {
        return CaptureFailure { QStringLiteral("开始日期不能大于结束日期,请重新设定!"), FocusTarget::StartDate };
    }
    return std::nullopt;
}

std::optional<CaptureFailure> checkNodes(const ReportInfo& info, const FilterState& s, ReportCriteria& c)
{
    QStringList codes;
    for (const TreeNode& node : s.nodes)
        if (node.checked && node.member)
            codes << node.code;
    QString& list = info.treeOfWorkers() ? c.workerCodes : c.officeCodes;
    list = sqlList(codes);
    if (list.isEmpty())
        return CaptureFailure { info.treeOfWorkers() ? QStringLiteral("请勾选维修人员!") : QStringLiteral("请勾选小区!"),
                                FocusTarget::None };
    return std::nullopt;
}

std::optional<CaptureFailure> checkCategories(const ReportInfo& info, const FilterState& s, ReportCriteria& c)
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
    if (info.kind != ReportKind::MonthEnd)
        c.categoryNames = names.join(QStringLiteral("，"));
    if (codes.isEmpty())
        return CaptureFailure { QStringLiteral("请勾选报修类别!"), FocusTarget::None };
    return std::nullopt;
}

} // namespace

std::optional<CaptureFailure> captureCriteria(const ReportInfo& info, const FilterState& state, ReportCriteria& criteria)
{
    for (CriteriaCheck check : info.checkOrder) {
        std::optional<CaptureFailure> failure;
        switch (check) {
        case CriteriaCheck::Dates:
            failure = checkDates(info, state);
            break;
        case CriteriaCheck::Region:
            if (!state.region)
                failure = CaptureFailure { QStringLiteral("请选择区域!"), FocusTarget::Region };
            break;
        case CriteriaCheck::Nodes:
            failure = checkNodes(info, state, criteria);
            break;
        case CriteriaCheck::Categories:
            failure = checkCategories(info, state, criteria);
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
