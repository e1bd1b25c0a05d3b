#include "ReportScenario.h"

#include "FilterQueries.h"
#include "ReportCatalog.h"
#include "SqliteFloor.h"


#include <algorithm>
#include <chrono>

namespace trellum::bench {

MessageAnswer ReportScenario::Quiet::show(const Message& message)
{
    texts << message.text;
    return message.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

ReportScenario::ReportScenario(ReportKind kind, const QString& regionCode, const QDate& start, const QDate& end)
    : m_kind(kind)
    , m_regionCode(regionCode)
    , m_start(start)
    , m_end(end)
    , m_report(&findReport(kind))
{
}

QString ReportScenario::prepare(const QString& databasePath)
{
    if (!OpenDatabase(m_session, m_messenger, QString(), QString(), QString(), QStringLiteral("sqlite:") + databasePath))
        return m_messenger.texts.join(QLatin1Char(' '));
    DbConnection& db = *m_session.connection;
    std::vector<RegionEntry> regions;
    if (const DbStatus s = loadRegions(db, regions))
        return reportErrorText(*s);
    const auto region = std::find_if(regions.begin(), regions.end(),
                                     [&](const RegionEntry& r) { return r.code == m_regionCode; });
    if (region == regions.end())
        return QStringLiteral("no region %1").arg(m_regionCode);
    if (const DbStatus s = loadCategories(db, m_state.categories))
        return reportErrorText(*s);
    m_report->layoutGrid(m_grid, m_state.categories);
    if (const DbStatus s = loadTree(db, m_report->info().tree, *region, m_state.nodes))
        return reportErrorText(*s);
    // 全选: the root and every node ticked; every category ticked
    for (TreeNode& node : m_state.nodes)
        node.checked = true;
    m_state.categoryTicks.assign(m_state.categories.size(), true);
    m_state.region = *region;
    m_state.startDate = m_start;
    m_state.endDate = m_end;
    return QString();
}

ReportScenario::Run ReportScenario::run()
{
    Run out;
    DbConnection& db = *m_session.connection;
    db.setStatementObserver([&out](const QString& sql) { out.statements << sql; });
    const auto begin = std::chrono::steady_clock::now();
    ReportCriteria criteria;
    if (const auto refused = captureCriteria(m_report->info(), m_state, criteria)) {
        out.error = refused->message;
    } else {
        TypeAnalysis boxes;
        if (const DbStatus s = m_report->run(db, RunInput { criteria, true, m_state.categories }, m_grid, boxes))
            out.error = reportErrorText(*s);
    }
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    db.setStatementObserver(nullptr);
    out.gridRows = m_grid.rows();
    return out;
}

bool ReportScenario::automaticIndexes() const
{
    return SqliteFloor::automaticIndexes(static_cast<sqlite3*>(m_session.connection->sqliteHandle()));
}

} // namespace trellum::bench
