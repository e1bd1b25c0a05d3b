#include "ReportRun.h"

#include "FilterQueries.h"

#include <algorithm>

namespace trellum {

namespace {

// Ticks the listed codes (or all, for nullopt) among `codes`; returns the first unknown code, if any.
std::optional<QString> tick(const std::optional<QStringList>& list, const QStringList& codes, std::vector<bool>& ticks)
{
    ticks.assign(std::size_t(codes.size()), !list.has_value());
    if (!list)
        return std::nullopt;
    for (const QString& code : *list) {
        const qsizetype i = codes.indexOf(code);
        if (i < 0)
            return code;
        ticks[std::size_t(i)] = true;
    }
    return std::nullopt;
}

HeadlessFailure databaseFailure(const DbError& error)
{
    return { HeadlessFailure::Kind::Database, reportErrorText(error) };
}

} // namespace

std::optional<HeadlessFailure> runHeadlessReport(DbConnection& db, const Report& report, const HeadlessRequest& request,
                                    HeadlessRun& result)
{
    std::vector<RegionEntry> regions;
    if (const DbStatus s = loadRegions(db, regions))
        return databaseFailure(*s);
    const auto region = std::find_if(regions.begin(), regions.end(),
                                     [&](const RegionEntry& r) { return r.code == request.regionCode; });
    if (region == regions.end())
        return HeadlessFailure { HeadlessFailure::Kind::Refused, QStringLiteral("区域 %1 不存在。").arg(request.regionCode) };
    result.region = *region;
    FilterState state;
    if (const DbStatus s = loadCategories(db, result.categories))
        return databaseFailure(*s);
    if (const DbStatus s = loadTree(db, report.info().tree, *region, state.nodes))
        return databaseFailure(*s);

    // the root is no code of its own: "all" ticks it (and so every node), a list ticks its nodes
    QStringList nodeCodes;
    for (const TreeNode& n : state.nodes)
        nodeCodes << (n.member ? n.code : QString());
    std::vector<bool> nodeTicks;
    const auto unknownNode = tick(request.nodeCodes, nodeCodes, nodeTicks);
    if (unknownNode || (request.nodeCodes && !state.nodes.empty() && nodeTicks[0]))
        return HeadlessFailure { HeadlessFailure::Kind::Refused,
                            QStringLiteral("%1 %2 不在区域 %3 的树中。")
                                .arg(report.info().treeOfWorkers() ? QStringLiteral("维修人员") : QStringLiteral("小区"),
                                     unknownNode.value_or(QString()), region->code) };
    for (std::size_t i = 0; i < state.nodes.size(); ++i)
        state.nodes[i].checked = nodeTicks[i];
    QStringList categoryCodes;
    for (const CategoryEntry& c : result.categories)
        categoryCodes << c.code;
    if (const auto unknown = tick(request.categoryCodes, categoryCodes, state.categoryTicks))
        return HeadlessFailure { HeadlessFailure::Kind::Refused, QStringLiteral("报修类别 %1 不在类别列表中。").arg(*unknown) };
    state.categories = result.categories;
    state.startDate = request.startDate;
    state.endDate = request.endDate;
    state.region = *region;

    report.layoutGrid(result.grid, result.categories);
    if (const auto refused = captureCriteria(report.info(), state, result.criteria))
        return HeadlessFailure { HeadlessFailure::Kind::Refused, refused->message };
    if (const DbStatus s = report.run(db, RunInput { result.criteria, true, result.categories }, result.grid, result.boxes))
        return databaseFailure(*s);
    return std::nullopt;
}

ExportContext headlessExportContext(const Report& report, const HeadlessRun& result, const QDate& today, const QString& remark)
{
    ExportContext context;
    context.grid = &result.grid;
    context.startDate = result.criteria.startDate;
    context.endDate = result.criteria.endDate;
    context.regionName = result.region.name;
    context.categoryNames = result.criteria.categoryNames;
    context.today = today;
    context.title = report.info().title;
    context.typeAnalysis = result.boxes;
    context.remark = remark;
    return context;
}

} // namespace trellum
