#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

namespace trellum::test {

// A small embedded database made by a test: the program's schema (and indexes) in a fresh file
// of its own, filled through the helpers below. A null QString is stored as NULL.
class FixtureDb {
public:
    explicit FixtureDb(bool withIndexes = true);
    ~FixtureDb();
    FixtureDb(const FixtureDb&) = delete;
    FixtureDb& operator=(const FixtureDb&) = delete;

    QString path() const { return m_path; }
    // "sqlite:" + path, the Svr setting that selects this file.
    QString svr() const { return QStringLiteral("sqlite:") + m_path; }
    // Runs statements on the fixture (writes are the test's own, never the program's).
    void exec(const QString& sql);
    // Runs one statement with values bound to ?1, ?2, ...
    void exec(const QString& sql, const std::vector<QVariant>& values);
    // Closes the file so that it can be copied or changed from outside.
    void close();

    void addRegion(const QString& code, const QString& name);
    void addOffice(const QString& region, const QString& code, const QString& name, const QString& endDate = QString());
    // An office mapped to the region without a 设置管理处 row.
    void mapOffice(const QString& region, const QString& code);
    // A repair worker of the region with a current position assignment.
    void addWorker(const QString& region, const QString& code, const QString& name, const QString& trade,
                   const QString& endDate = QString());
    void addCategory(const QString& code, const QString& name, const QString& endDate = QString());
    void addHousing(const QString& code, const QString& name);
    void addRoom(long long id, const QString& housingCode);

    struct Order {
        QString office;
        QString region;
        QString category = QStringLiteral("1");
        QString reported;                          // 报修时间
        QString closed;                            // 销单日期
        int closedFlag = 1;                        // 是否销单
        int completed = 1;                         // 维修完成
        QString revoked;                           // 撤消时间
        QString handling;                          // 联系单处理结果
        QString status = QStringLiteral("已完成"); // 维修情况
        QString item = QStringLiteral("室内");     // 维修项目
        int revisited = 0;                         // 是否回访
        int accepted = 0;                          // 回访验收结果
        QString workers;                           // 维修人
        QString follows;                           // 跟随单编号
        std::optional<double> material;            // 材料费
        std::optional<double> labour;              // 人工费
        std::optional<long long> room;             // 室ID
        QString channel = QStringLiteral("电话");  // 报修方式
        QString source;                            // 报修来源
    };
    // Adds an order and returns its 编号.
    long long addOrder(const Order& order);
    void addLabour(long long order, double quantity, double hours);

    // Login records: an employee, and a position held by them.
    void addEmployee(const QString& number, const QString& password, const QString& name,
                     const QString& leftOn = QString());
    void addPosition(const QString& employee, const QString& positionCode, const QString& positionName,
                     const QString& departmentCode, const QString& departmentName, bool main,
                     const QString& leftOn = QString());

private:
    QTemporaryDir m_dir;
    QString m_path;
    sqlite3* m_db = nullptr;
};

} // namespace trellum::test
