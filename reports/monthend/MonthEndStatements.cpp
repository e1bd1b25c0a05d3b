#include "MonthEndReport.h"

#include "CellText.h"
#include "SqlText.h"

#include <initializer_list>
#include <utility>

namespace trellum {

namespace {

using Splice = std::pair<QLatin1String, QString>;

// Puts the values into the {name} markers of a statement in one pass, so a value that itself
// holds a marker's text is never replaced again.
QString splice(const QString& text, std::initializer_list<Splice> values)
{
    QString out;
    out.reserve(text.size() * 2);
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('{'), i);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char('}'), open);
        if (close < 0) {
            out += QStringView(text).mid(i);
            break;
        }
        out += QStringView(text).mid(i, open - i);
        const QStringView name = QStringView(text).mid(open + 1, close - open - 1);
        const Splice* found = nullptr;
        for (const Splice& v : values)
            if (name == v.first)
                found = &v;
        if (found) {
            out += found->second;
            i = close + 1;
        } else {
            out += QLatin1Char('{');
            i = open + 1;
        }
    }
    return out;
}

// Every count of a run shares these conditions: an order neither revoked nor voided, of a ticked
// office and category of the region.
const QString kCountedOrders =
    QStringLiteral("((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is null and 联系单处理结果 <> '作废')) And "
        "管理处 In ({offices}) And 区域DH = {region} And 报修类别编号 In({categories})");

// A per-office count: its column and the condition an order meets to be counted in it.
struct Count {
    const char16_t* column;
    const char16_t* condition;
};

// The counts read from the orders alone.
const Count kOrderCounts[] = {
    { u"上月结转", u"CONVERT(char(8),报修时间,112)<{start} And (CONVERT(char(8),销单日期,112) >= {start} Or 销单日期 Is "
                   u"Null)" },
    { u"本月报修", u"CONVERT(char(8),报修时间,112) Between {start} And {end}" },
    { u"本月结存", u"CONVERT(char(8),报修时间,112) <= {end} And (销单日期 is null  Or CONVERT(char(8),销单日期,112) > "
                   u"{end})" },
    { u"转计划", u"(CONVERT(char(8),报修时间,112) Between {start} And {end} Or CONVERT(char(8),报修时间,112) < {start}) "
                 u"And CONVERT(char(8),销单日期,112) Between {start} And {end} And 维修情况 like '%转计划%'" },
    { u"转注销", u"CONVERT(char(8),报修时间,112) Between {start} And {end} And CONVERT(char(8),销单日期,112) Between "
                 u"{start} And {end} And 维修情况 like '%转注销%'" },
};

// The counts by housing type, read from the orders joined to their rooms and housing types; a
// housing code listed twice counts its orders twice, so these are kept apart from the others.
const Count kHousingCounts[] = {
    { u"售后房", u"CONVERT(char(8),报修时间,112) Between {start} And {end} And FWXZ_xz='售后房' AND 维修项目 Not Like "
                 u"'%公共部位%'" },
    { u"直管房", u"CONVERT(char(8),报修时间,112) Between {start} And {end} And (FWXZ_xz not like '%售后房%' or FWXZ_xz "
                 u"is null) AND 维修项目 Not Like '%公共部位%'" },
    { u"公用部位", u"CONVERT(char(8),报修时间,112) Between {start} And {end} And (FWXZ_xz is null Or FWXZ_xz is not "
                   u"null) AND 维修项目 Like '%公共部位%'" },
    { u"售后房完成", u"CONVERT(char(8),销单日期,112) Between {start} And {end} and 销单日期 Is Not Null and 是否销单=1 "
                     u"And 维修完成 =1 And FWXZ_xz='售后房' AND 维修项目 Not Like '%公共部位%'" },
    { u"直管房完成", u"CONVERT(char(8),销单日期,112) Between {start} And {end} and 销单日期 Is Not Null and 是否销单=1 "
                     u"And 维修完成 =1 And (FWXZ_xz <>'售后房' or FWXZ_xz is null) AND 维修项目 Not Like '%公共部位%'" },
    { u"公用部位完成", u"CONVERT(char(8),销单日期,112) Between {start} And {end} and 销单日期 Is Not Null and 是否销单=1 "
                       u"And 维修完成 =1 AND 维修项目 Like '%公共部位%' And (FWXZ_xz is null Or FWXZ_xz is not null)" },
};

// The orders a pass may count, as a condition every count's own condition implies: it only
// narrows the orders read, so that a database with indexes on the region and the day of 报修时间
// or 销单日期 seeks the few that can count instead of reading the region's whole history. Each
// alternative names the region, so that each can be sought through such an index on its own.
// CONVERT(char(8),销单日期,112) is NULL exactly when 销单日期 is, and compares as
// CONVERT(char(81),销单日期,112) does (the longer text only pads the same day with blanks).
const QString kMayCountOrders =
    QStringLiteral("((区域DH = {region} And CONVERT(char(8),报修时间,112) Between {start} And {end}) Or (区域DH = {region} "
        "And CONVERT(char(8),销单日期,112) >= {start}) Or (区域DH = {region} And CONVERT(char(8),销单日期,112) > {end}) "
        "Or (区域DH = {region} And CONVERT(char(8),销单日期,112) Is Null))");
const QString kInPeriodOrders =
    QStringLiteral("((区域DH = {region} And CONVERT(char(8),报修时间,112) Between {start} And {end}) Or (区域DH = {region} "
        "And CONVERT(char(8),销单日期,112) Between {start} And {end}))");

// One pass over the counted orders of `from` that meet `narrowing`, grouped by office. Each order is marked once per
// count (1 when it meets the count's condition), and 有号 when its 编号 is not NULL, which is
// what COUNT(编号) counts. An office none of whose orders meets a condition gets NULL there,
// as a count grouped by office has no row for it.
QString groupedCounts(const QString& from, const QString& narrowing, const Count* counts, std::size_t n)
{
    QString marks;
    QString sums;
    for (std::size_t k = 0; k < n; ++k) {
        const QString column = QString::fromUtf16(counts[k].column);
        marks += QStringLiteral(", Case When ") + QString::fromUtf16(counts[k].condition)
            + QStringLiteral(" Then 1 Else 0 End As 计") + column;
        sums += QStringLiteral(", Case When Max(计%1) = 1 Then Sum(计%1 * 有号) End As %1").arg(column);
    }
    return QStringLiteral("Select 管理处") + sums + QStringLiteral(" From (Select 管理处, Case When 编号 Is Null Then 0 "
        "Else 1 End As 有号") + marks + QStringLiteral(" From ") + from + QStringLiteral(" Where ") + kCountedOrders
        + QStringLiteral(" And ") + narrowing
        + QStringLiteral(") T Group by 管理处");
}

// The orders joined to their rooms and housing types.
const QString kHousingFrom = QStringLiteral("PG派工单 Left Join 室表 On 室ID=室表.S_ID Left Join  fwxzk on 房屋性质=fwxz_dh");

// The region's offices with their counts: O from the orders, H by housing type.
const QString kOuter =
    QStringLiteral("Select gyd_dh, gyd_name, O.上月结转, O.本月报修, O.本月结存, H.售后房, H.直管房, H.公用部位, H.售后房完成, "
        "H.直管房完成, H.公用部位完成, O.转计划, O.转注销 From 区域对应管理处 Left Join 设置管理处 On 管理处码=gyd_dh Left Join "
        "({O}) O On GYD_DH = O.管理处 Left Join ({H}) H On GYD_DH = H.管理处 Where 区域码= {region}");

// The orders are counted per office and category first; the offices and categories are then
// matched by the database's own equality, as a condition 管理处='...' would match them.
// A category cell counts the orders of its office and category that meet this.
const QString kCategoryOrders =
    QStringLiteral("CONVERT(char(81),销单日期,112) Between {start} And {end} and 是否销单=1 And "
        "维修完成 =1 And ((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is null and 联系单处理结果 <> '作废')) and "
        "区域DH={region}");
const QString kCategory =
    QStringLiteral("Select O.序 As 管理处序, C.序 As 类别序, X.报修类别分析 From (Select 管理处, 报修类别编号, COUNT(编号) as "
        "报修类别分析 From PG派工单 where ") + kCategoryOrders + QStringLiteral(" group by 管理处, 报修类别编号) X Inner Join "
        "({offices}) O On X.管理处 = O.管理处 Inner Join ({categories}) C On X.报修类别编号 = C.类别");

// The type-analysis boxes in one pass over the ticked offices' and categories' orders: 本月报修
// (box 0) counts every order reported in the period, revoked ones too; the other four count the
// orders completed in the period by 报修方式 or, for 微信, by 报修来源.
const Count kBoxes[] = {
    { u"本月报修", u"CONVERT(char(8),报修时间,112) Between {start} And {end} And (撤消时间 Is Null Or 撤消时间 Is Not "
                   u"Null)" },
    { u"上门报修", u"CONVERT(char(81),销单日期,112) Between {start} And {end} and 是否销单=1 And 维修完成 =1 And "
                   u"((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is null and 联系单处理结果 <> '作废')) And "
                   u"报修方式='上门'" },
    { u"电话报修", u"CONVERT(char(81),销单日期,112) Between {start} And {end} and 是否销单=1 And 维修完成 =1 And "
                   u"((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is null and 联系单处理结果 <> '作废')) And "
                   u"报修方式='电话'" },
    { u"纸质报修", u"CONVERT(char(81),销单日期,112) Between {start} And {end} and 是否销单=1 And 维修完成 =1 And "
                   u"((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is null and 联系单处理结果 <> '作废')) And "
                   u"报修方式='纸质'" },
    { u"微信报修", u"CONVERT(char(81),销单日期,112) Between {start} And {end} and 是否销单=1 And 维修完成 =1 And "
                   u"((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is null and 联系单处理结果 <> '作废')) And "
                   u"报修来源='微信报修'" },
};

// Where a count column of the grid takes its orders from: its count and the pass that reads it.
struct CountColumn {
    int col;
    const Count* count;
    const QString* from;
    const QString* narrowing;
};

const QString kOrdersFrom = QStringLiteral("PG派工单");

const CountColumn kCountColumns[] = {
    { 2, &kOrderCounts[0], &kOrdersFrom, &kMayCountOrders },   { 3, &kOrderCounts[1], &kOrdersFrom, &kMayCountOrders },
    { 4, &kOrderCounts[4], &kOrdersFrom, &kMayCountOrders },   { 6, &kOrderCounts[3], &kOrdersFrom, &kMayCountOrders },
    { 18, &kOrderCounts[2], &kOrdersFrom, &kMayCountOrders },  { 7, &kHousingCounts[1], &kHousingFrom, &kInPeriodOrders },
    { 8, &kHousingCounts[2], &kHousingFrom, &kInPeriodOrders }, { 9, &kHousingCounts[0], &kHousingFrom, &kInPeriodOrders },
    { 13, &kHousingCounts[4], &kHousingFrom, &kInPeriodOrders }, { 14, &kHousingCounts[5], &kHousingFrom, &kInPeriodOrders },
    { 15, &kHousingCounts[3], &kHousingFrom, &kInPeriodOrders },
};

} // namespace

std::vector<DetailPart> MonthEndReport::detailParts(const ReportCriteria& c, int col, const CategoryTable& categories,
                                                    const QString& rowsTable)
{
    const QString from = QStringLiteral(" Inner Join (") + rowsTable + QStringLiteral(") R On 管理处 = R.管理处码");
    std::vector<DetailPart> parts;
    // the 合计 columns add up the three housing columns before them
    const std::vector<int> cols = col == 10 ? std::vector<int> { 7, 8, 9 }
        : col == 16                         ? std::vector<int> { 13, 14, 15 }
                                            : std::vector<int> { col };
    for (int one : cols) {
        for (const CountColumn& cc : kCountColumns) {
            if (cc.col != one)
                continue;
            const bool housing = cc.from == &kHousingFrom;
            parts.push_back({ .from = *cc.from + from,
                              .where = withCriteria(kCountedOrders + QStringLiteral(" And ") + *cc.narrowing
                                                        + QStringLiteral(" And ") + QString::fromUtf16(cc.count->condition)
                                                        + QStringLiteral(" And 编号 Is Not Null"),
                                                    c),
                              .group = QStringLiteral("R.序"),
                              .housing = housing ? QStringLiteral("FWXZ_xz") : QString() });
        }
    }
    const int j = col - kStandardColumns;
    if (j >= 0 && std::size_t(j) < categories.size() && c.tickedCategoryCodes.contains(categories[std::size_t(j)].code)) {
        ReportCriteria only = c;
        only.categoryCodes = sqlQuote(categories[std::size_t(j)].code);
        parts.push_back({ .from = kOrdersFrom + from,
                          .where = withCriteria(kCategoryOrders + QStringLiteral(" And 报修类别编号 = {categories} And 编号 Is "
                                                                                 "Not Null"),
                                                only),
                          .group = QStringLiteral("R.序") });
    }
    return parts;
}

QString MonthEndReport::withCriteria(const QString& text, const ReportCriteria& c)
{
    return splice(text, { { QLatin1String("start"), sqlQuote(sqlDate(c.startDate)) },
                          { QLatin1String("end"), sqlQuote(sqlDate(c.endDate)) },
                          { QLatin1String("region"), sqlQuote(c.regionCode) },
                          { QLatin1String("offices"), c.officeCodes },
                          { QLatin1String("categories"), c.categoryCodes } });
}

QString MonthEndReport::countsStatement(const ReportCriteria& c)
{
    const QString orders = groupedCounts(kOrdersFrom, kMayCountOrders, kOrderCounts, std::size(kOrderCounts));
    const QString housing = groupedCounts(kHousingFrom, kInPeriodOrders, kHousingCounts, std::size(kHousingCounts));
    return splice(kOuter, { { QLatin1String("O"), withCriteria(orders, c) },
                            { QLatin1String("H"), withCriteria(housing, c) },
                            { QLatin1String("region"), sqlQuote(c.regionCode) } });
}

QString MonthEndReport::categoryStatement(const ReportCriteria& c, const QStringList& officeCodes)
{
    std::vector<QStringList> offices;
    for (const QString& code : officeCodes)
        offices.push_back({ sqlQuote(code) });
    std::vector<QStringList> categories;
    for (const QString& code : c.tickedCategoryCodes)
        categories.push_back({ sqlQuote(code) });
    return splice(kCategory, { { QLatin1String("start"), sqlQuote(sqlDate(c.startDate)) },
                               { QLatin1String("end"), sqlQuote(sqlDate(c.endDate)) },
                               { QLatin1String("region"), sqlQuote(c.regionCode) },
                               { QLatin1String("offices"), sqlLiteralTable({ QStringLiteral("管理处") }, offices) },
                               { QLatin1String("categories"), sqlLiteralTable({ QStringLiteral("类别") }, categories) } });
}

QString MonthEndReport::typeAnalysisStatement(const ReportCriteria& c)
{
    QString sums;
    for (const Count& box : kBoxes)
        sums += QStringLiteral(", Coalesce(Sum(Case When ") + QString::fromUtf16(box.condition)
            + QStringLiteral(" And 编号 Is Not Null Then 1 Else 0 End), 0) As ") + QString::fromUtf16(box.column);
    return withCriteria(QStringLiteral("Select") + sums.mid(1) + QStringLiteral(" From PG派工单 Where 管理处 In ({offices}) "
                                                                             "And 区域DH = {region} And 报修类别编号 In({categories}) And ")
                            + kInPeriodOrders,
                        c);
}

} // namespace trellum
