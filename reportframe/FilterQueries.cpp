#include "FilterQueries.h"

#include "SqlText.h"

#include <QSet>

namespace trellum {

DbStatus loadRegions(DbConnection& db, std::vector<RegionEntry>& out)
{
    out.clear();
    DbCursor cur = db.select(QStringLiteral("Select * From 区域设置 Order By 区域编号"));
    while (cur.next())
        out.push_back(RegionEntry { cur.text(QStringLiteral("区域编号")), cur.text(QStringLiteral("区域名称")) });
    return cur.error();
}

DbStatus loadCategories(DbConnection& db, CategoryTable& out)
{
    out.clear();
    DbCursor cur = db.select(QStringLiteral("Select * ") + QStringLiteral(" From PG报修类别设置 ")
                             + QStringLiteral(" Where 终止日期 is null") + QStringLiteral(" Order by 类别编号"));
    while (cur.next())
        out.push_back(CategoryEntry { cur.text(QStringLiteral("类别编号")), cur.text(QStringLiteral("类别名称")) });
    return cur.error();
}

DbStatus loadTree(DbConnection& db, TreeKind tree, const RegionEntry& region, std::vector<TreeNode>& out)
{
    out.clear();
    out.push_back(TreeNode { QStringLiteral("Q") + region.code, region.text(), QString(), false, false });
    const bool workers = tree == TreeKind::Workers;
    const QString sql = workers
        ? QStringLiteral("Select *") + QStringLiteral(" From PG区域维修人员")
              + QStringLiteral(" Inner Join 岗位员工New On 工号=员工代号") + QStringLiteral(" Where 区域号 =")
              + sqlQuote(region.code) + QStringLiteral(" And 岗位员工New.离岗日期 Is NULL")
              + QStringLiteral(" And PG区域维修人员.终止日期 Is Null") + QStringLiteral(" Order By  工号")
        : QStringLiteral("Select 区域码,管理处码,gyd_name") + QStringLiteral(" From 区域对应管理处 ")
              + QStringLiteral(" Inner Join 设置管理处 On 管理处码=gyd_dh") + QStringLiteral(" Where  区域码 =")
              + sqlQuote(region.code) + QStringLiteral(" And 设置管理处.终止日期 Is Null")
              + QStringLiteral(" Order By 区域码");
    DbCursor cur = db.select(sql);
    QSet<QString> seen;
    while (cur.next()) {
        TreeNode node;
        node.member = true;
        if (workers) {
            node.code = cur.text(QStringLiteral("工号"));
            node.text = node.code + QLatin1Char(' ') + cur.text(QStringLiteral("姓名")) + QStringLiteral("【")
                + cur.text(QStringLiteral("岗位")) + QStringLiteral("】");
        } else {
            node.code = cur.text(QStringLiteral("管理处码"));
            node.text = node.code + QLatin1Char(' ') + cur.text(QStringLiteral("gyd_name"));
        }
        if (seen.contains(node.code))
            continue;
        seen.insert(node.code);
        node.key = QStringLiteral("G") + node.code;
        out.push_back(std::move(node));
    }
    return cur.error();
}

} // namespace trellum
