#include "ManyOfficesDatabase.h"

#include "DemoSchema.h"
#include "ScriptedDatabase.h"

#include <QFile>

namespace trellum::bench {

QString ManyOfficesDatabase::build(const QString& outPath)
{
    const QString temporary = outPath + QStringLiteral(".tmp");
    QFile::remove(temporary);
    QStringList script { QStringLiteral("PRAGMA journal_mode=OFF"), QStringLiteral("BEGIN") };
    script << schemaStatements();
    script << QStringLiteral("INSERT INTO 区域设置 VALUES ('01', '东区')")
           << QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                             "INSERT INTO 区域对应管理处 SELECT '01', printf('%05d', i) FROM n").arg(kOffices)
           << QStringLiteral("INSERT INTO 设置管理处 SELECT 管理处码, '小区' || 管理处码, NULL FROM 区域对应管理处")
           << QStringLiteral("INSERT INTO PG报修类别设置 VALUES ('1', '水电', NULL), ('2', '土建', NULL), ('3', '木工', NULL)")
           << QStringLiteral("WITH RECURSIVE y(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM y WHERE k < 4) "
                             "INSERT INTO PG派工单 (管理处, 区域DH, 报修类别编号, 报修时间, 报修方式, 销单日期, 是否销单, 维修完成,"
                             " 维修情况, 维修项目, 是否回访, 回访验收结果, 维修人, 材料费, 人工费) "
                             "SELECT 管理处码, '01', CAST(1 + (k + 区域对应管理处.rowid) % 3 AS TEXT), printf('%04d-06-15 09:00:00', 2022 + k),"
                             " '电话', printf('%04d-06-15 17:00:00', 2022 + k), 1, 1, '已完成', '室内', 1, 1, '9001', 12.5, 30"
                             " FROM 区域对应管理处, y");
    script << indexStatements() << QStringLiteral("COMMIT") << QStringLiteral("ANALYZE");
    return buildByScript(temporary, outPath, script);
}

} // namespace trellum::bench
