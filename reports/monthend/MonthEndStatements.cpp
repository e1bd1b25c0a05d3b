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

// The markers every per-office and type-analysis statement uses.
QString withCriteria(const QString& text, const ReportCriteria& c)
{
    return splice(text, { { QLatin1String("start"), sqlQuote(sqlDate(c.startDate)) },
                          { QLatin1String("end"), sqlQuote(sqlDate(c.endDate)) },
                          { QLatin1String("region"), sqlQuote(c.regionCode) },
                          { QLatin1String("offices"), c.officeCodes },
                          { QLatin1String("categories"), c.categoryCodes } });
}

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

const QString kOuter =
    QStringLiteral("Select gyd_dh, gyd_name, A.上月结转, B.本月报修, C.本月结存, D.售后房, E.直管房, F.公用部位,  G.售后房完成, "
        "H.直管房完成, I.公用部位完成, J.转计划, K.转注销 From 区域对应管理处 Left Join 设置管理处 On 管理处码=gyd_dh Left Join "
        "({A}) A On GYD_DH = A.管理处 Left Join ({B}) B On GYD_DH = B.管理处 Left Join ({C}) C On "
        "GYD_DH = C.管理处 Left Join ({D}) D On GYD_DH = D.管理处 Left Join ({E}) E On GYD_DH = E.管理处 "
        "Left Join ({F}) F On GYD_DH = F.管理处 Left Join ({G}) G On GYD_DH = G.管理处 Left Join ({H}) "
        "H On GYD_DH = H.管理处 Left Join ({I}) I On GYD_DH = I.管理处 Left Join ({J}) J On GYD_DH = "
        "J.管理处 Left Join ({K}) K On GYD_DH = K.管理处 Where 区域码= {region}");

// The orders are counted per office and category first; the offices and categories are then
// matched by the database's own equality, as a condition 管理处='...' would match them.
const QString kCategory =
    QStringLiteral("Select O.序 As 管理处序, C.序 As 类别序, X.报修类别分析 From (Select 管理处, 报修类别编号, COUNT(编号) as "
        "报修类别分析 From PG派工单 where CONVERT(char(81),销单日期,112) Between {start} And {end} and 是否销单=1 And "
        "维修完成 =1 And ((撤消时间 is null and 联系单处理结果 is null) or (撤消时间 is null and 联系单处理结果 <> '作废')) and "
        "区域DH={region} group by 管理处, 报修类别编号) X Inner Join ({offices}) O On X.管理处 = O.管理处 Inner Join "
        "({categories}) C On X.报修类别编号 = C.类别");

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

QString MonthEndReport::countsStatement(const ReportCriteria& c)
{
    QString part[11];
    for (int k = 0; k < 11; ++k)
        part[k] = withCriteria(kCounts[k], c);
    return splice(kOuter, { { QLatin1String("A"), part[0] }, { QLatin1String("B"), part[1] },
                            { QLatin1String("C"), part[2] }, { QLatin1String("D"), part[3] },
                            { QLatin1String("E"), part[4] }, { QLatin1String("F"), part[5] },
                            { QLatin1String("G"), part[6] }, { QLatin1String("H"), part[7] },
                            { QLatin1String("I"), part[8] }, { QLatin1String("J"), part[9] },
                            { QLatin1String("K"), part[10] }, { QLatin1String("region"), sqlQuote(c.regionCode) } });
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

std::array<MonthEndReport::BoxStatement, 5> MonthEndReport::typeAnalysisStatements(const ReportCriteria& c)
{
    return { { { 0, QStringLiteral("本月报修"), withCriteria(kReported, c) },
               { 3, QStringLiteral("上门报修"), withCriteria(kChannels[0], c) },
               { 4, QStringLiteral("电话报修"), withCriteria(kChannels[1], c) },
               { 5, QStringLiteral("纸质报修"), withCriteria(kChannels[2], c) },
               { 6, QStringLiteral("微信报修"), withCriteria(kChannels[3], c) } } };
}

} // namespace trellum
