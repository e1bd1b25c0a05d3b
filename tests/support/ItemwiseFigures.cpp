#include "ItemwiseFigures.h"

#include "CellText.h"
#include "CompletionReport.h"
#include "ReportCatalog.h"
#include "SqlText.h"

namespace trellum::test {

namespace {

// The period, the closed and completed flags of the performance statements' conditions.
QString periodCondition(const ReportCriteria& c)
{
    return QStringLiteral("CONVERT(char(8),销单日期,112) Between ") + sqlQuote(sqlDate(c.startDate))
        + QStringLiteral(" And ") + sqlQuote(sqlDate(c.endDate)) + QStringLiteral(" And 是否销单=1 And 维修完成 =1");
}

// The worker's region and the ticked categories, the end of the performance conditions.
QString regionAndCategories(const ReportCriteria& c, const QString& workerRegion)
{
    return QStringLiteral(" And 区域DH=") + sqlQuote(workerRegion) + QStringLiteral(" And 报修类别编号 In(")
        + c.categoryCodes + QStringLiteral(")");
}

// A field of the current row, absent for NULL.
std::optional<double> value(const DbCursor& cur, const QString& field)
{
    return cur.isNull(field) ? std::nullopt : std::optional<double>(cur.number(field));
}

// The first row's field of a statement (absent for no row or NULL), read to its end.
DbStatus firstValue(DbConnection& db, const QString& sql, const QString& field, std::optional<double>& out)
{
    DbCursor cur = db.select(sql);
    out.reset();
    if (cur.next())
        out = value(cur, field);
    while (cur.next()) {
    }
    return cur.error();
}

} // namespace

QString itemwiseLedgerStatement(const ReportCriteria& c, const QString& workerCode, const QString& workerRegion)
{
    const QString where = QStringLiteral(" where CONVERT(char(8),销单日期,112) Between ") + sqlQuote(sqlDate(c.startDate))
        + QStringLiteral(" And ") + sqlQuote(sqlDate(c.endDate)) + QStringLiteral(" And 是否销单=1 And 维修完成 =1 And ")
        + workerItemPosition(workerCode) + QStringLiteral(" > 0") + QStringLiteral(" And 区域DH=") + sqlQuote(workerRegion)
        + QStringLiteral(" And 报修类别编号 In(") + c.categoryCodes + QStringLiteral(")");
    const QString material =
        QStringLiteral("Select SUM(Case When 材料费 Is Null Then 0 Else 材料费 End) as 材料费实际 ,区域DH From PG派工单")
        + where + QStringLiteral(" group by 区域DH");
    const QString hours =
        QStringLiteral("Select  SUM(维修工时*B.数量/(len(维修人)-LEN(replace(维修人,',',''))+1)) as 平均工时 ,区域DH "
                       "From PG派工单 left Join pg维修人工费清单 B on 编号=任务单编号")
        + where + QStringLiteral(" group by 区域DH");
    const QString labour = QStringLiteral("Select SUM(PG派工单.人工费) as 人工费实际  ,区域DH  From PG派工单") + where
        + QStringLiteral(" group by 区域DH");
    return QStringLiteral("Select DISTINCT PG派工单.区域dh,A1.材料费实际, A2.平均工时, A3.人工费实际 From pg派工单 Inner Join (")
        + material + QStringLiteral(") A1 On PG派工单.区域DH = A1.区域dh Inner Join (") + hours
        + QStringLiteral(") A2 On PG派工单.区域DH = A2.区域dh Inner Join (") + labour
        + QStringLiteral(") A3 On PG派工单.区域DH = A3.区域dh");
}

DbStatus itemwiseLedgerFigures(DbConnection& db, const ReportCriteria& c, const std::vector<WorkerRecord>& workers,
                               LedgerReport::FigureList& figures)
{
    figures.assign(workers.size(), std::nullopt);
    for (std::size_t i = 0; i < workers.size(); ++i) {
        DbCursor cur = db.select(itemwiseLedgerStatement(c, workers[i].code, workers[i].region));
        if (cur.next())
            figures[i] = LedgerReport::WorkerFigures { value(cur, QStringLiteral("材料费实际")),
                                                       value(cur, QStringLiteral("平均工时")),
                                                       value(cur, QStringLiteral("人工费实际")) };
        while (cur.next()) {
        }
        if (cur.failed())
            return cur.error();
    }
    return std::nullopt;
}

DbStatus itemwisePerformanceFigures(DbConnection& db, const ReportCriteria& c, const std::vector<WorkerRecord>& workers,
                                    PerformanceReport::FigureList& figures)
{
    figures.assign(workers.size(), PerformanceReport::WorkerFigures());
    for (std::size_t i = 0; i < workers.size(); ++i) {
        const WorkerRecord& w = workers[i];
        const QString hours =
            QStringLiteral("Select SUM(维修工时*B.数量/(len(维修人)-LEN(replace(维修人,',',''))+1)) as 平均工时 "
                           "From PG派工单 left Join pg维修人工费清单 B on 编号=任务单编号 where ")
            + periodCondition(c) + QStringLiteral(" And ") + workerItemPosition(w.code) + QStringLiteral(" > 0")
            + regionAndCategories(c, w.region);
        if (DbStatus s = firstValue(db, hours, QStringLiteral("平均工时"), figures[i].hours))
            return s;
        if (!figures[i].hours)
            continue;
        const QString orders = QStringLiteral("Select Count(编号) As 张数 From PG派工单 Where ") + periodCondition(c)
            + QStringLiteral(" And 跟随单编号 Is Null And ") + workerItemPosition(w.code) + QStringLiteral(" = 1")
            + regionAndCategories(c, w.region);
        if (DbStatus s = firstValue(db, orders, QStringLiteral("张数"), figures[i].orders))
            return s;
    }
    return std::nullopt;
}

namespace {

// The eleven per-office counts A to K, each grouped by 管理处.
const QString kCounts[11] = {
    // 上月结转
    QStringLiteral("Select Count (编号) as 上月结转,管理处 From PG派工单 Where CONVERT(char(8),报修时间,112)<{start} And "
        "(CONVERT(char(8),销单日期,112) >= {start} Or 销单日期 Is Null) And ((撤消时间 is null and 联系单处理结果 "
        "is null) or (撤消时间 is null and 联系单处理结果 <> '作废')) And 管理处 In ({offices}) And 区域DH = "
        "{region} And 报修类别编号 In({categories}) Group by 管理处"),
    // 本月报修
    QStringLiteral("Select count (编号) as 本月报修,管理处 From PG派工单 Where CONVERT(char(8),报修时间,112) Between "
        "{start} And {end} And ((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is null and 联系单处理结果 "
        "<> '作废')) And 管理处 In ({offices}) And 区域DH = {region} And 报修类别编号 In({categories}) Group "
        "by 管理处"),
    // 本月结存
    QStringLiteral("Select Count (编号) as 本月结存,管理处 From PG派工单 Where CONVERT(char(8),报修时间,112) <= {end} And "
        "(销单日期 is null  Or CONVERT(char(8),销单日期,112) > {end}) And ((撤消时间 is null and 联系单处理结果 is "
        "null) or (撤消时间 is null and 联系单处理结果 <> '作废')) And 管理处 In ({offices}) And 区域DH = {region} "
        "And 报修类别编号 In({categories}) Group by 管理处"),
    // 售后房
    QStringLiteral("Select count (编号) as 售后房,管理处 From PG派工单 Left Join 室表 On 室ID=室表.S_ID Left Join  fwxzk on "
        "房屋性质=fwxz_dh Where CONVERT(char(8),报修时间,112) Between {start} And {end} And ((撤消时间 is "
        "null and 联系单处理结果 is null) or (撤消时间 is null and 联系单处理结果 <> '作废')) And FWXZ_xz='售后房' AND "
        "维修项目 Not Like '%公共部位%' And 管理处 In ({offices}) And 区域DH = {region} And 报修类别编号 "
        "In({categories}) Group by 管理处"),
    // 直管房
    QStringLiteral("Select count (编号) as 直管房,管理处 From PG派工单 Left Join 室表 On 室ID=室表.S_ID Left Join  fwxzk on "
        "房屋性质=fwxz_dh Where CONVERT(char(8),报修时间,112) Between {start} And {end} And ((撤消时间 is "
        "null and 联系单处理结果 is null) or (撤消时间 is null and 联系单处理结果 <> '作废')) And (FWXZ_xz not like "
        "'%售后房%' or FWXZ_xz is null) AND 维修项目 Not Like '%公共部位%' And 管理处 In ({offices}) And 区域DH "
        "= {region} And 报修类别编号 In({categories}) Group by 管理处"),
    // 公用部位
    QStringLiteral("Select count (编号) as 公用部位,管理处 From PG派工单 Left Join 室表 On 室ID=室表.S_ID Left Join  fwxzk "
        "on 房屋性质=fwxz_dh Where CONVERT(char(8),报修时间,112) Between {start} And {end} And ((撤消时间 is "
        "null and 联系单处理结果 is null) or (撤消时间 is null and 联系单处理结果 <> '作废')) And (FWXZ_xz is null "
        "Or FWXZ_xz is not null) And 管理处 In ({offices}) And 区域DH = {region} AND 维修项目 Like "
        "'%公共部位%' And 报修类别编号 In({categories}) Group by 管理处"),
    // 售后房完成
    QStringLiteral("Select count (编号) as 售后房完成,管理处 From PG派工单 left Join 室表 On 室ID=室表.S_ID left Join  fwxzk "
        "on 房屋性质=fwxz_dh Where CONVERT(char(8),销单日期,112) Between {start} And {end} and 销单日期 Is "
        "Not Null and 是否销单=1 And 维修完成 =1 And ((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is "
        "null and 联系单处理结果 <> '作废')) And FWXZ_xz='售后房' AND 维修项目 Not Like '%公共部位%' And 管理处 In "
        "({offices}) And 区域DH = {region} And 报修类别编号 In({categories}) Group by 管理处"),
    // 直管房完成
    QStringLiteral("Select count (编号) as 直管房完成,管理处 From PG派工单 left Join 室表 On 室ID=室表.S_ID left Join  fwxzk "
        "on 房屋性质=fwxz_dh Where CONVERT(char(8),销单日期,112) Between {start} And {end} and 销单日期 Is "
        "Not Null and 是否销单=1 And 维修完成 =1 And ((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is "
        "null and 联系单处理结果 <> '作废')) And (FWXZ_xz <>'售后房' or FWXZ_xz is null) AND 维修项目 Not Like "
        "'%公共部位%' And 管理处 In ({offices}) And 区域DH = {region} And 报修类别编号 In({categories}) Group "
        "by 管理处"),
    // 公用部位完成
    QStringLiteral("Select count (编号) as 公用部位完成,管理处 From PG派工单 left Join 室表 On 室ID=室表.S_ID left Join  fwxzk "
        "on 房屋性质=fwxz_dh Where CONVERT(char(8),销单日期,112) Between {start} And {end} and 销单日期 Is "
        "Not Null and 是否销单=1 And 维修完成 =1 And ((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is "
        "null and 联系单处理结果 <> '作废')) AND 维修项目 Like '%公共部位%' And (FWXZ_xz is null Or FWXZ_xz is "
        "not null) And 管理处 In ({offices}) And 区域DH = {region} And 报修类别编号 In({categories}) Group "
        "by 管理处"),
    // 转计划
    QStringLiteral("Select count (编号) as 转计划,管理处 From PG派工单 Where (CONVERT(char(8),报修时间,112) Between "
        "{start} And {end} Or CONVERT(char(8),报修时间,112) < {start}) And CONVERT(char(8),销单日期,112) "
        "Between {start} And {end} And ((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is null and "
        "联系单处理结果 <> '作废')) And 维修情况 like '%转计划%'  And 管理处 In ({offices}) And 区域DH = {region} And "
        "报修类别编号 In({categories}) Group by 管理处"),
    // 转注销
    QStringLiteral("Select count (编号) as 转注销,管理处 From PG派工单 Where CONVERT(char(8),报修时间,112) Between {start} "
        "And {end} And CONVERT(char(8),销单日期,112) Between {start} And {end} And ((撤消时间 is null "
        "and 联系单处理结果 is null) or (撤消时间 is null and 联系单处理结果 <> '作废')) And 维修情况 like '%转注销%'  And "
        "管理处 In ({offices}) And 区域DH = {region} And 报修类别编号 In({categories}) Group by 管理处"),
};

// The office rows joined to each count in turn.
const QString kOuter =
    QStringLiteral("Select gyd_dh, gyd_name, A.上月结转, B.本月报修, C.本月结存, D.售后房, E.直管房, F.公用部位,  G.售后房完成, "
        "H.直管房完成, I.公用部位完成, J.转计划, K.转注销 From 区域对应管理处 Left Join 设置管理处 On 管理处码=gyd_dh Left Join "
        "({A}) A On GYD_DH = A.管理处 Left Join ({B}) B On GYD_DH = B.管理处 Left Join ({C}) C On "
        "GYD_DH = C.管理处 Left Join ({D}) D On GYD_DH = D.管理处 Left Join ({E}) E On GYD_DH = E.管理处 "
        "Left Join ({F}) F On GYD_DH = F.管理处 Left Join ({G}) G On GYD_DH = G.管理处 Left Join ({H}) "
        "H On GYD_DH = H.管理处 Left Join ({I}) I On GYD_DH = I.管理处 Left Join ({J}) J On GYD_DH = "
        "J.管理处 Left Join ({K}) K On GYD_DH = K.管理处 Where 区域码= {region}");

// 本月报修 (box 0) counts every order reported in the period, revoked ones too; the other four
// count the orders completed in the period by 报修方式 or, for 微信, by 报修来源.
const QString kReported =
    QStringLiteral("Select count (编号) as 本月报修 From PG派工单 Where CONVERT(char(8),报修时间,112) Between {start} "
        "And {end} And (撤消时间 Is Null Or 撤消时间 Is Not Null) And 管理处 In ({offices}) And 区域DH = "
        "{region} And 报修类别编号 In({categories})");

const QString kChannels[4] = {
    QStringLiteral("Select count (编号) as 上门报修 From PG派工单 where CONVERT(char(81),销单日期,112) Between {start} "
        "And {end} and 是否销单=1 And 维修完成 =1 And ((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is "
        "null and 联系单处理结果 <> '作废')) And 管理处 In ({offices}) And 区域DH = {region} And 报修方式='上门' And "
        "报修类别编号 In({categories})"),
    QStringLiteral("Select count (编号) as 电话报修 From PG派工单 where CONVERT(char(81),销单日期,112) Between {start} "
        "And {end} and 是否销单=1 And 维修完成 =1 And ((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is "
        "null and 联系单处理结果 <> '作废')) And 管理处 In ({offices}) And 区域DH = {region} And 报修方式='电话' And "
        "报修类别编号 In({categories})"),
    QStringLiteral("Select count (编号) as 纸质报修 From PG派工单 where CONVERT(char(81),销单日期,112) Between {start} "
        "And {end} and 是否销单=1 And 维修完成 =1 And ((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is "
        "null and 联系单处理结果 <> '作废')) And 管理处 In ({offices}) And 区域DH = {region} And 报修方式='纸质' And "
        "报修类别编号 In({categories})"),
    QStringLiteral("Select count (编号) as 微信报修 From PG派工单 where CONVERT(char(81),销单日期,112) Between {start} "
        "And {end} and 是否销单=1 And 维修完成 =1 And ((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is "
        "null and 联系单处理结果 <> '作废')) And 管理处 In ({offices}) And 区域DH = {region} And 报修来源='微信报修' "
        "And 报修类别编号 In({categories})"),
};

} // namespace

QString itemwiseCountsStatement(const ReportCriteria& c)
{
    QString out = kOuter;
    // the parts go in last to first, so that no part is searched for another's marker
    for (int k = 10; k >= 0; --k)
        out.replace(QStringLiteral("({%1})").arg(QChar(u'A' + k)),
                    QLatin1Char('(') + MonthEndReport::withCriteria(kCounts[k], c) + QLatin1Char(')'));
    return out.replace(QStringLiteral("{region}"), sqlQuote(c.regionCode));
}

DbStatus itemwiseTypeAnalysis(DbConnection& db, const ReportCriteria& c, TypeAnalysis& boxes)
{
    struct Box {
        std::size_t box;
        const char16_t* column;
        const QString& statement;
    };
    const Box statements[] = {
        { 0, u"本月报修", kReported }, { 3, u"上门报修", kChannels[0] }, { 4, u"电话报修", kChannels[1] },
        { 5, u"纸质报修", kChannels[2] }, { 6, u"微信报修", kChannels[3] },
    };
    boxes[0] = QStringLiteral("0");
    for (const Box& s : statements) {
        db.setCommandTimeout(0);
        DbCursor cur = db.select(MonthEndReport::withCriteria(s.statement, c));
        if (cur.failed())
            return cur.error();
        const bool found = cur.next();
        if (cur.failed())
            return cur.error();
        if (found)
            boxes[s.box] = plainNumber(cur.number(QString::fromUtf16(s.column)));
    }
    return std::nullopt;
}

QString itemwiseCategoryStatement(const ReportCriteria& c, const QString& officeCode, const QString& categoryCode)
{
    return QStringLiteral("Select COUNT(编号) as 报修类别分析 From PG派工单 where CONVERT(char(81),销单日期,112) Between ")
        + sqlQuote(sqlDate(c.startDate)) + QStringLiteral(" And ") + sqlQuote(sqlDate(c.endDate))
        + QStringLiteral(" and 是否销单=1 And 维修完成 =1 And ((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is "
                         "null and 联系单处理结果 <> '作废')) and 管理处=")
        + sqlQuote(officeCode) + QStringLiteral(" and 区域DH=") + sqlQuote(c.regionCode) + QStringLiteral(" and 报修类别编号=")
        + sqlQuote(categoryCode) + QStringLiteral(" group by 报修类别编号");
}

DbStatus itemwiseCategoryCells(DbConnection& db, const ReportCriteria& c,
                               const std::vector<std::optional<QString>>& officeCodes, MonthEndReport::CategoryCells& cells)
{
    cells.assign(officeCodes.size(), std::vector<std::optional<double>>(std::size_t(c.tickedCategoryCodes.size())));
    for (std::size_t i = 0; i < officeCodes.size(); ++i) {
        if (!officeCodes[i])
            continue;
        for (qsizetype k = 0; k < c.tickedCategoryCodes.size(); ++k) {
            db.setCommandTimeout(0);
            DbCursor cur = db.select(itemwiseCategoryStatement(c, *officeCodes[i], c.tickedCategoryCodes[k]));
            if (cur.next())
                cells[i][std::size_t(k)] = cur.number(QStringLiteral("报修类别分析"));
            if (cur.failed())
                return cur.error();
        }
    }
    return std::nullopt;
}

DbStatus runItemwise(ReportKind kind, DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& boxes)
{
    switch (kind) {
    case ReportKind::Ledger:
        return LedgerReport(itemwiseLedgerFigures).run(db, input, grid, boxes);
    case ReportKind::Performance:
        return PerformanceReport(itemwisePerformanceFigures).run(db, input, grid, boxes);
    case ReportKind::MonthEnd:
        return MonthEndReport({ itemwiseCountsStatement, itemwiseCategoryCells, itemwiseTypeAnalysis })
            .run(db, input, grid, boxes);
    case ReportKind::Completion:
        break;
    }
    // the completion overview has always been one statement
    return CompletionReport().run(db, input, grid, boxes);
}

RunInput everythingTicked(ReportKind kind, DbConnection& db, const QString& region, const QDate& start, const QDate& end)
{
    RunInput in;
    in.criteria.startDate = start;
    in.criteria.endDate = end;
    in.criteria.regionCode = region;
    QStringList members;
    DbCursor cur = db.select(findReport(kind).info().treeOfWorkers()
                                 ? QStringLiteral("Select 工号 As c From PG区域维修人员 Where 区域号 = ") + sqlQuote(region)
                                 : QStringLiteral("Select 管理处码 As c From 区域对应管理处 Where 区域码 = ") + sqlQuote(region));
    while (cur.next())
        members << cur.text(QStringLiteral("c"));
    (findReport(kind).info().treeOfWorkers() ? in.criteria.workerCodes : in.criteria.officeCodes) = sqlList(members);
    DbCursor categories = db.select(QStringLiteral("Select 类别编号, 类别名称 From PG报修类别设置 Order By 类别编号"));
    while (categories.next()) {
        in.categories.push_back({ categories.text(QStringLiteral("类别编号")), categories.text(QStringLiteral("类别名称")) });
        in.criteria.tickedCategoryCodes << in.categories.back().code;
    }
    in.criteria.categoryCodes = sqlList(in.criteria.tickedCategoryCodes);
    return in;
}

QString differenceFromItemwise(ReportKind kind, DbConnection& db, const RunInput& input, int* rows)
{
    const Report* report = &findReport(kind);
    ReportGrid grouped, itemwise;
    report->layoutGrid(grouped, input.categories);
    report->layoutGrid(itemwise, input.categories);
    TypeAnalysis groupedBoxes, itemwiseBoxes;
    if (const DbStatus s = report->run(db, input, grouped, groupedBoxes))
        return QStringLiteral("grouped: ") + s->description;
    if (const DbStatus s = runItemwise(kind, db, input, itemwise, itemwiseBoxes))
        return QStringLiteral("item by item: ") + s->description;
    if (rows)
        *rows = grouped.rows() - grouped.fixedRows();
    if (grouped.rows() != itemwise.rows() || grouped.cols() != itemwise.cols())
        return QStringLiteral("grouped %1 x %2, item by item %3 x %4")
            .arg(grouped.rows()).arg(grouped.cols()).arg(itemwise.rows()).arg(itemwise.cols());
    for (int r = 0; r < grouped.rows(); ++r)
        for (int c = 0; c < grouped.cols(); ++c)
            if (grouped.text(r, c) != itemwise.text(r, c) || grouped.background(r, c) != itemwise.background(r, c))
                return QStringLiteral("row %1 col %2: grouped '%3', item by item '%4'")
                    .arg(r).arg(c).arg(grouped.text(r, c), itemwise.text(r, c));
    for (std::size_t b = 0; b < groupedBoxes.size(); ++b)
        if (groupedBoxes[b] != itemwiseBoxes[b])
            return QStringLiteral("box %1: grouped '%2', item by item '%3'").arg(b).arg(groupedBoxes[b], itemwiseBoxes[b]);
    return QString();
}

} // namespace trellum::test
