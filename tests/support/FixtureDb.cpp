#include "FixtureDb.h"

#include "DemoSchema.h"
#include "SqlFunctions.h"

#include <sqlite3.h>

#include <stdexcept>

namespace trellum::test {

FixtureDb::FixtureDb(bool withIndexes)
{
    m_path = m_dir.filePath(QStringLiteral("fixture.db"));
    if (sqlite3_open(m_path.toUtf8().constData(), &m_db) != SQLITE_OK)
        throw std::runtime_error("cannot create fixture database");
    registerTsqlFunctions(m_db);
    for (const QString& s : schemaStatements())
        exec(s);
    if (withIndexes)
        for (const QString& s : indexStatements())
            exec(s);
}

FixtureDb::~FixtureDb()
{
    close();
}

void FixtureDb::close()
{
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

void FixtureDb::exec(const QString& sql)
{
    char* err = nullptr;
    if (!m_db)
        throw std::runtime_error("fixture database is closed");
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = std::string("fixture: ") + (err ? err : "error") + " in " + sql.toStdString();
        sqlite3_free(err);
        throw std::runtime_error(msg);
    }
}

void FixtureDb::exec(const QString& sql, const std::vector<QVariant>& values)
{
    if (!m_db)
        throw std::runtime_error("fixture database is closed");
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("fixture: ") + sqlite3_errmsg(m_db) + " in " + sql.toStdString());
    for (int i = 0; i < int(values.size()); ++i) {
        const QVariant& v = values[std::size_t(i)];
        if (!v.isValid() || v.isNull()) {
            sqlite3_bind_null(st, i + 1);
        } else if (v.metaType().id() == QMetaType::Double) {
            sqlite3_bind_double(st, i + 1, v.toDouble());
        } else if (v.metaType().id() == QMetaType::Int || v.metaType().id() == QMetaType::LongLong) {
            sqlite3_bind_int64(st, i + 1, v.toLongLong());
        } else {
            const QByteArray s = v.toString().toUtf8();
            sqlite3_bind_text(st, i + 1, s.constData(), int(s.size()), SQLITE_TRANSIENT);
        }
    }
    const int rc = sqlite3_step(st);
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string("fixture: ") + sqlite3_errmsg(m_db) + " in " + sql.toStdString());
}

namespace {
QVariant text(const QString& s) { return s.isNull() ? QVariant() : QVariant(s); }
template <typename T>
QVariant opt(const std::optional<T>& v) { return v ? QVariant(*v) : QVariant(); }
} // namespace

void FixtureDb::addRegion(const QString& code, const QString& name)
{
    exec(QStringLiteral("INSERT INTO 区域设置 VALUES (?1, ?2)"), { text(code), text(name) });
}

void FixtureDb::addOffice(const QString& region, const QString& code, const QString& name, const QString& endDate)
{
    mapOffice(region, code);
    exec(QStringLiteral("INSERT INTO 设置管理处 VALUES (?1, ?2, ?3)"), { text(code), text(name), text(endDate) });
}

void FixtureDb::mapOffice(const QString& region, const QString& code)
{
    exec(QStringLiteral("INSERT INTO 区域对应管理处 VALUES (?1, ?2)"), { text(region), text(code) });
}

void FixtureDb::addWorker(const QString& region, const QString& code, const QString& name, const QString& trade,
                          const QString& endDate)
{
    exec(QStringLiteral("INSERT INTO PG区域维修人员 VALUES (?1, ?2, ?3, ?4, ?5)"),
         { text(region), text(code), text(name), text(trade), text(endDate) });
    exec(QStringLiteral("INSERT INTO 岗位员工new VALUES (?1, 'WX01', 1, NULL)"), { text(code) });
}

void FixtureDb::addCategory(const QString& code, const QString& name, const QString& endDate)
{
    exec(QStringLiteral("INSERT INTO PG报修类别设置 VALUES (?1, ?2, ?3)"), { text(code), text(name), text(endDate) });
}

void FixtureDb::addHousing(const QString& code, const QString& name)
{
    exec(QStringLiteral("INSERT INTO fwxzk VALUES (?1, ?2)"), { text(code), text(name) });
}

void FixtureDb::addRoom(long long id, const QString& housingCode)
{
    exec(QStringLiteral("INSERT INTO 室表 VALUES (?1, ?2)"), { QVariant(id), text(housingCode) });
}

long long FixtureDb::addOrder(const Order& o)
{
    exec(QStringLiteral("INSERT INTO PG派工单 (管理处, 区域DH, 报修类别编号, 报修时间, 报修方式, 报修来源, 销单日期, 是否销单,"
                        " 维修完成, 撤消时间, 联系单处理结果, 维修情况, 维修项目, 是否回访, 回访验收结果, 维修人, 跟随单编号,"
                        " 材料费, 人工费, 室ID) VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14,?15,?16,?17,?18,?19,?20)"),
         { text(o.office), text(o.region), text(o.category), text(o.reported), text(o.channel), text(o.source),
           text(o.closed), QVariant(o.closedFlag), QVariant(o.completed), text(o.revoked), text(o.handling),
           text(o.status), text(o.item), QVariant(o.revisited), QVariant(o.accepted), text(o.workers),
           text(o.follows), opt(o.material), opt(o.labour), opt(o.room) });
    return sqlite3_last_insert_rowid(m_db);
}

void FixtureDb::addLabour(long long order, double quantity, double hours)
{
    exec(QStringLiteral("INSERT INTO pg维修人工费清单 VALUES (?1, ?2, ?3)"), { QVariant(order), QVariant(quantity), QVariant(hours) });
}

void FixtureDb::addEmployee(const QString& number, const QString& password, const QString& name, const QString& leftOn)
{
    exec(QStringLiteral("INSERT INTO 员工档案 VALUES (?1, ?2, ?3, ?4)"), { text(number), text(password), text(name), text(leftOn) });
}

void FixtureDb::addPosition(const QString& employee, const QString& positionCode, const QString& positionName,
                            const QString& departmentCode, const QString& departmentName, bool main, const QString& leftOn)
{
    exec(QStringLiteral("INSERT INTO 岗位员工new VALUES (?1, ?2, ?3, ?4)"),
         { text(employee), text(positionCode), QVariant(main ? 1 : 0), text(leftOn) });
    exec(QStringLiteral("INSERT INTO 岗位信息new SELECT ?1, ?2, ?3, 'GL' WHERE NOT EXISTS "
                        "(SELECT 1 FROM 岗位信息new WHERE 岗位代号 = ?1)"),
         { text(positionCode), text(positionName), text(departmentCode) });
    exec(QStringLiteral("INSERT INTO 职能部门new SELECT ?1, ?2, 'BM' WHERE NOT EXISTS "
                        "(SELECT 1 FROM 职能部门new WHERE 职能部门编号 = ?1)"),
         { text(departmentCode), text(departmentName) });
    exec(QStringLiteral("INSERT INTO 岗位类别 SELECT 'GL', '管理岗' WHERE NOT EXISTS (SELECT 1 FROM 岗位类别 WHERE 岗位类别编号 = 'GL')"));
    exec(QStringLiteral("INSERT INTO 职能部门类别 SELECT 'BM', '职能部门' WHERE NOT EXISTS "
                        "(SELECT 1 FROM 职能部门类别 WHERE 部门类别代号 = 'BM')"));
}

} // namespace trellum::test
