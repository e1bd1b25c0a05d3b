#include "DemoSchema.h"

namespace trellum {

QStringList schemaStatements()
{
    return {
        // people, positions and departments (login)
        QStringLiteral("CREATE TABLE 员工档案 (工号 TEXT, 帐号密码 TEXT, 姓名 TEXT, 离职日期 TEXT)"),
        QStringLiteral("CREATE TABLE 岗位员工new (员工代号 TEXT, 岗位代号 TEXT, 主要岗位 INTEGER, 离岗日期 TEXT)"),
        QStringLiteral("CREATE TABLE 岗位信息new (岗位代号 TEXT, 岗位名称 TEXT, 职能部门代号 TEXT, 岗位类别代号 TEXT)"),
        QStringLiteral("CREATE TABLE 职能部门new (职能部门编号 TEXT, 职能部门名称 TEXT, 职能部门类别代号 TEXT)"),
        QStringLiteral("CREATE TABLE 岗位类别 (岗位类别编号 TEXT, 岗位类别名称 TEXT)"),
        QStringLiteral("CREATE TABLE 职能部门类别 (部门类别代号 TEXT, 部门类别名称 TEXT)"),
        // regions, offices and workers
        QStringLiteral("CREATE TABLE 区域设置 (区域编号 TEXT, 区域名称 TEXT)"),
        QStringLiteral("CREATE TABLE 区域对应管理处 (区域码 TEXT, 管理处码 TEXT)"),
        QStringLiteral("CREATE TABLE 设置管理处 (gyd_dh TEXT, gyd_name TEXT, 终止日期 TEXT)"),
        QStringLiteral("CREATE TABLE PG区域维修人员 (区域号 TEXT, 工号 TEXT, 姓名 TEXT, 岗位 TEXT, 终止日期 TEXT)"),
        // repair categories
        QStringLiteral("CREATE TABLE PG报修类别设置 (类别编号 TEXT, 类别名称 TEXT, 终止日期 TEXT)"),
        // repair orders and their labour items
        QStringLiteral("CREATE TABLE PG派工单 (编号 INTEGER PRIMARY KEY, 管理处 TEXT, 区域DH TEXT, 报修类别编号 TEXT,"
                       " 报修时间 TEXT, 报修方式 TEXT, 报修来源 TEXT, 销单日期 TEXT, 是否销单 INTEGER, 维修完成 INTEGER,"
                       " 撤消时间 TEXT, 联系单处理结果 TEXT, 维修情况 TEXT, 维修项目 TEXT, 是否回访 INTEGER,"
                       " 回访验收结果 INTEGER, 维修人 TEXT, 跟随单编号 TEXT, 材料费 REAL, 人工费 REAL, 室ID INTEGER)"),
        QStringLiteral("CREATE TABLE pg维修人工费清单 (任务单编号 INTEGER, 数量 REAL, 维修工时 REAL)"),
        // rooms and housing types
        QStringLiteral("CREATE TABLE 室表 (S_ID INTEGER PRIMARY KEY, 房屋性质 TEXT)"),
        QStringLiteral("CREATE TABLE fwxzk (fwxz_dh TEXT, FWXZ_xz TEXT)"),
    };
}

QStringList indexStatements()
{
    // The work-order indexes lead with the region. Those for the period conditions index the day
    // conversion the statements compare (expression indexes: CONVERT is deterministic and registered
    // wherever the file is opened) and carry the columns the statements test or add up, so that
    // SQLite answers from the index without reading the orders themselves.
    return {
        // the ledger's outer join over the region's orders, the narrowest index there is (SQLite prefers
        // an automatic index of its own over it while the connection lets it build one)
        QStringLiteral("CREATE INDEX ix_派工单_区域 ON PG派工单 (区域DH)"),
        // orders closed in the period: completion counts, ledger and performance figures
        QStringLiteral("CREATE INDEX ix_派工单_销单 ON PG派工单 (区域DH, CONVERT(char(8),销单日期,112), 管理处, 是否销单,"
                       " 维修完成, 报修类别编号, 维修人, 跟随单编号, 材料费, 人工费, 撤消时间, 是否回访, 回访验收结果, 维修情况)"),
        // the month-end's category cells (one office and category each: a seek) and its channel counts
        QStringLiteral("CREATE INDEX ix_派工单_销单81 ON PG派工单 (区域DH, 是否销单, 维修完成, 管理处, 报修类别编号,"
                       " CONVERT(char(81),销单日期,112), 撤消时间, 联系单处理结果)"),
        // orders reported before, in or up to the period: the month-end counts
        QStringLiteral("CREATE INDEX ix_派工单_报修 ON PG派工单 (区域DH, CONVERT(char(8),报修时间,112), 管理处, 报修类别编号,"
                       " 销单日期, 撤消时间, 联系单处理结果, 维修项目, 室ID, 维修情况)"),
        // an order's labour items with what the shared man-hours multiply
        QStringLiteral("CREATE INDEX ix_人工费_任务单 ON pg维修人工费清单 (任务单编号, 数量, 维修工时)"),
        QStringLiteral("CREATE INDEX ix_对应_区域 ON 区域对应管理处 (区域码, 管理处码)"),
        QStringLiteral("CREATE INDEX ix_管理处_dh ON 设置管理处 (gyd_dh)"),
        QStringLiteral("CREATE INDEX ix_维修人员_区域 ON PG区域维修人员 (区域号, 工号)"),
        QStringLiteral("CREATE INDEX ix_岗位员工_员工 ON 岗位员工new (员工代号)"),
        QStringLiteral("CREATE INDEX ix_员工_工号 ON 员工档案 (工号)"),
        QStringLiteral("CREATE INDEX ix_fwxzk_dh ON fwxzk (fwxz_dh, FWXZ_xz)"),
    };
}

} // namespace trellum
