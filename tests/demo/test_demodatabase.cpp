// The demo database: schema, login records, the variety of the orders, determinism.

#include "DemoDatabase.h"
#include "DemoSchema.h"
#include "SqlFunctions.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <memory>

using trellum::DemoDatabase;

namespace {

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct Finalize {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;
using Query = std::unique_ptr<sqlite3_stmt, Finalize>;

// Opens a database file read-only with the T-SQL functions, as the program does.
Db openReadOnly(const QString& path)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK || trellum::registerTsqlFunctions(raw) != SQLITE_OK)
        return Db();
    return db;
}

// Every row of a statement, each column as text ("<NULL>" for NULL), columns joined by "|".
QStringList rows(sqlite3* db, const QString& sql)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &raw, nullptr) != SQLITE_OK) {
        qWarning("%s in %s", sqlite3_errmsg(db), qPrintable(sql));
        return { QStringLiteral("<ERROR>") };
    }
    Query st(raw);
    QStringList out;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        QStringList cells;
        for (int c = 0; c < sqlite3_column_count(raw); ++c)
            cells << (sqlite3_column_type(raw, c) == SQLITE_NULL
                          ? QStringLiteral("<NULL>")
                          : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, c))));
        out << cells.join(QLatin1Char('|'));
    }
    if (rc != SQLITE_DONE)
        out << QStringLiteral("<ERROR>");
    return out;
}

// The one integer a statement returns.
qint64 scalar(sqlite3* db, const QString& sql)
{
    const QStringList r = rows(db, sql);
    bool ok = false;
    const qint64 value = r.size() == 1 ? r.first().toLongLong(&ok) : 0;
    return ok ? value : -1; // -1 for a failing statement, NULL or more than one row
}

QStringList tableNames()
{
    static const QRegularExpression create(QStringLiteral("^CREATE TABLE (\\S+) \\("));
    QStringList names;
    for (const QString& s : trellum::schemaStatements())
        names << create.match(s).captured(1);
    return names;
}

DemoDatabase::Options smallOptions(const QString& path, quint64 seed)
{
    DemoDatabase::Options o;
    o.outPath = path;
    o.orders = 3000;
    o.seed = seed;
    return o;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestDemoDatabase : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyTableAndColumn();
    void indexesAndStatistics();
    void withoutIndexes();
    void refusesWhatItCannotBuild();
    void failedWriteLeavesNothing();
    void sameSeedSameFile();
    void otherSeedOtherData();
    void demoLogins_data();
    void demoLogins();
    void variants_data();
    void variants();
    void shares();
    void workersOfTheRegion();
    void masterData();
    void datesAndAmounts();
    void completionStatementRuns();

private:
    QTemporaryDir m_dir;
    QString m_path;
    Db m_db;
};

void TestDemoDatabase::initTestCase()
{
    QVERIFY(m_dir.isValid());
    DemoDatabase::Options defaults;
    defaults.outPath = m_path = m_dir.filePath(QStringLiteral("demo.db"));
    DemoDatabase demo(defaults);
    QCOMPARE(demo.write(), QString());
    QCOMPARE(demo.summary().orders, qint64(20000));
    QVERIFY(!QFile::exists(m_path + QStringLiteral(".tmp")));
    m_db = openReadOnly(m_path);
    QVERIFY(m_db);
}

void TestDemoDatabase::everyTableAndColumn()
{
    sqlite3* expected = nullptr;
    QCOMPARE(sqlite3_open(":memory:", &expected), SQLITE_OK);
    Db reference(expected);
    for (const QString& s : trellum::schemaStatements())
        QCOMPARE(sqlite3_exec(expected, s.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    const QStringList tables = tableNames();
    QCOMPARE(tables.size(), trellum::schemaStatements().size());
    for (const QString& table : tables) {
        const QString info = QStringLiteral("SELECT name, type FROM pragma_table_info('%1')").arg(table);
        QCOMPARE(rows(m_db.get(), info), rows(expected, info));
        QVERIFY2(scalar(m_db.get(), QStringLiteral("SELECT count(*) FROM ") + table) > 0, qPrintable(table));
    }
    QCOMPARE(scalar(m_db.get(), QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'"
                                              " AND name NOT LIKE 'sqlite_%'")),
             qint64(tables.size()));
}

void TestDemoDatabase::indexesAndStatistics()
{
    static const QRegularExpression create(QStringLiteral("^CREATE INDEX (\\S+) ON"));
    for (const QString& s : trellum::indexStatements()) {
        const QString name = create.match(s).captured(1);
        QVERIFY(!name.isEmpty());
        QCOMPARE(scalar(m_db.get(), QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = '%1'")
                                        .arg(name)),
                 qint64(1));
    }
    QVERIFY(scalar(m_db.get(), QStringLiteral("SELECT count(*) FROM sqlite_stat1")) > 0);
}

void TestDemoDatabase::withoutIndexes()
{
    DemoDatabase::Options o = smallOptions(m_dir.filePath(QStringLiteral("plain.db")), 1);
    o.indexes = false;
    QCOMPARE(DemoDatabase(o).write(), QString());
    Db db = openReadOnly(o.outPath);
    QVERIFY(db);
    QCOMPARE(scalar(db.get(), QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL")),
             qint64(0));
    QCOMPARE(scalar(db.get(), QStringLiteral("SELECT count(*) FROM PG派工单")), qint64(3000));
}

void TestDemoDatabase::refusesWhatItCannotBuild()
{
    DemoDatabase::Options o = smallOptions(m_dir.filePath(QStringLiteral("refused.db")), 1);
    o.offices = o.regions - 1;
    QVERIFY(DemoDatabase(o).write().startsWith(QLatin1String("--offices must be between")));
    QVERIFY(!QFile::exists(o.outPath));
    QVERIFY(!QFile::exists(o.outPath + QStringLiteral(".tmp")));
}

void TestDemoDatabase::failedWriteLeavesNothing()
{
    // a link into a folder that does not exist: the database cannot be created there
    const QString path = m_dir.filePath(QStringLiteral("blocked.db"));
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("missing/blocked.db")), path));
    const QStringList before = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    const QString error = DemoDatabase(smallOptions(path, 1)).write();
    QVERIFY2(error.startsWith(QLatin1String("cannot write")), qPrintable(error));
    QVERIFY(QFileInfo(path).isSymLink());
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System), before);
    QVERIFY(QFile::remove(path));
}

void TestDemoDatabase::sameSeedSameFile()
{
    const QString a = m_dir.filePath(QStringLiteral("a.db"));
    const QString b = m_dir.filePath(QStringLiteral("b.db"));
    QCOMPARE(DemoDatabase(smallOptions(a, 7)).write(), QString());
    QCOMPARE(DemoDatabase(smallOptions(b, 7)).write(), QString());
    const QByteArray bytes = fileBytes(a);
    QVERIFY(bytes.size() > 100000);
    QVERIFY(bytes == fileBytes(b));
    // writing again over an existing file gives the same file once more
    QCOMPARE(DemoDatabase(smallOptions(b, 7)).write(), QString());
    QVERIFY(bytes == fileBytes(b));
}

void TestDemoDatabase::otherSeedOtherData()
{
    const QString a = m_dir.filePath(QStringLiteral("seed1.db"));
    const QString b = m_dir.filePath(QStringLiteral("seed2.db"));
    QCOMPARE(DemoDatabase(smallOptions(a, 1)).write(), QString());
    QCOMPARE(DemoDatabase(smallOptions(b, 2)).write(), QString());
    const QString dump = QStringLiteral("SELECT * FROM PG派工单 ORDER BY 编号");
    const QStringList first = rows(openReadOnly(a).get(), dump);
    const QStringList second = rows(openReadOnly(b).get(), dump);
    QCOMPARE(first.size(), 3000);
    QCOMPARE(second.size(), 3000);
    QVERIFY(first != second);
    // the frame (regions, offices, logins) stays the same, the orders change
    const QString offices = QStringLiteral("SELECT * FROM 设置管理处 ORDER BY gyd_dh");
    QCOMPARE(rows(openReadOnly(a).get(), offices), rows(openReadOnly(b).get(), offices));
}

void TestDemoDatabase::demoLogins_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("employeeCheck");
    QTest::addColumn<QStringList>("positions");
    QTest::newRow("1001 one position") << "1001" << true << QStringList{ "维修部 调度员(主要)|张伟" };
    QTest::newRow("1002 three positions")
        << "1002" << true
        << QStringList{ "客服部 接待员(兼职)|李娜", "维修部 木工(兼职)|李娜", "维修部 水电工(主要)|李娜" };
    QTest::newRow("1003 has left") << "1003" << true << QStringList{};
    QTest::newRow("unknown") << "9999" << false << QStringList{};
}

void TestDemoDatabase::demoLogins()
{
    QFETCH(QString, number);
    QFETCH(bool, employeeCheck);
    QFETCH(QStringList, positions);
    const QString check = QStringLiteral("Select * From 员工档案 Where 工号 ='%1' and 帐号密码='1234'").arg(number);
    QCOMPARE(rows(m_db.get(), check).size(), employeeCheck ? 1 : 0);
    const QString login = QStringLiteral(
        "Select 员工档案.姓名,职能部门类别.部门类别代号,职能部门类别.部门类别名称,岗位类别.岗位类别编号,岗位类别名称,"
        " 职能部门new.职能部门编号 , 职能部门new.职能部门名称, 岗位信息new.岗位代号, 岗位信息new.岗位名称,"
        " 岗位员工new.主要岗位 From 岗位员工new"
        " Inner joIn 岗位信息new on 岗位员工new.岗位代号 = 岗位信息new.岗位代号"
        " Inner joIn 职能部门new on 岗位信息new.职能部门代号 = 职能部门new.职能部门编号"
        " Inner joIn 岗位类别 on 岗位信息new.岗位类别代号 = 岗位类别.岗位类别编号"
        " Inner joIn 职能部门类别 on 职能部门new.职能部门类别代号 = 职能部门类别.部门类别代号"
        " Inner joIn 员工档案 on 岗位员工new.员工代号 = 员工档案.工号"
        " Where 岗位员工new.员工代号='%1' and 员工档案.离职日期 is null AND (岗位员工new.离岗日期 IS NULL)")
                              .arg(number);
    QStringList entries;
    for (const QString& row : rows(m_db.get(), login)) {
        const QStringList f = row.split(QLatin1Char('|'));
        QCOMPARE(f.size(), 10);
        entries << f[6] + QLatin1Char(' ') + f[8] + (f[9] == QLatin1String("1") ? "(主要)" : "(兼职)") + QLatin1Char('|') + f[0];
    }
    entries.sort();
    QCOMPARE(entries, positions);
}

void TestDemoDatabase::variants_data()
{
    QTest::addColumn<QString>("condition");
    const auto row = [](const char* name, const char* condition) { QTest::newRow(name) << QString::fromUtf8(condition); };
    row("open", "销单日期 IS NULL AND 是否销单 = 0");
    row("closed and completed", "销单日期 IS NOT NULL AND 是否销单 = 1 AND 维修完成 = 1");
    row("closed, not completed", "销单日期 IS NOT NULL AND 维修完成 = 0");
    row("closed date, flag 0", "销单日期 IS NOT NULL AND 是否销单 = 0");
    row("revoked, open", "撤消时间 IS NOT NULL AND 销单日期 IS NULL");
    row("revoked after completion", "撤消时间 IS NOT NULL AND 是否销单 = 1 AND 维修完成 = 1 AND 维修情况 = '已完成'");
    row("handling NULL", "联系单处理结果 IS NULL");
    row("handling 作废", "联系单处理结果 = '作废'");
    row("handling 已处理", "联系单处理结果 = '已处理'");
    row("status 已完成", "维修情况 = '已完成'");
    row("status other text", "维修情况 LIKE '%已完成%' AND 维修情况 <> '已完成'");
    row("status 转计划", "维修情况 LIKE '%转计划%' AND 销单日期 IS NOT NULL");
    row("status 转计划 reported a month earlier", "维修情况 LIKE '%转计划%' AND substr(报修时间, 1, 7) < substr(销单日期, 1, 7)");
    row("status 转注销", "维修情况 LIKE '%转注销%' AND substr(报修时间, 1, 7) = substr(销单日期, 1, 7)");
    row("status NULL, closed", "维修情况 IS NULL AND 是否销单 = 1 AND 维修完成 = 1");
    row("item 公共部位", "维修项目 LIKE '%公共部位%'");
    row("item NULL", "维修项目 IS NULL");
    row("item in a flat", "维修项目 NOT LIKE '%公共部位%'");
    row("revisited, accepted", "是否回访 = 1 AND 回访验收结果 = 1");
    row("revisited, not accepted", "是否回访 = 1 AND 回访验收结果 = 0");
    row("completed, not revisited", "维修完成 = 1 AND 是否回访 = 0");
    row("channel 上门", "报修方式 = '上门'");
    row("channel 电话", "报修方式 = '电话'");
    row("channel 纸质", "报修方式 = '纸质'");
    row("source 微信报修", "报修来源 = '微信报修'");
    row("source other", "报修来源 <> '微信报修'");
    row("source NULL", "报修来源 IS NULL");
    row("one worker", "维修人 NOT LIKE '%,%'");
    row("two workers", "length(维修人) - length(replace(维修人, ',', '')) = 1");
    row("three workers", "length(维修人) - length(replace(维修人, ',', '')) = 2");
    row("blank after comma", "维修人 LIKE '%, %'");
    row("no worker", "维修人 IS NULL");
    row("follow-up order", "跟随单编号 IS NOT NULL");
    row("material NULL", "材料费 IS NULL AND 维修完成 = 1");
    row("material", "材料费 > 0");
    row("labour NULL, completed", "人工费 IS NULL AND 维修完成 = 1");
    row("room NULL", "室ID IS NULL");
    row("room without 室表 row", "室ID IS NOT NULL AND 室ID NOT IN (SELECT S_ID FROM 室表)");
    row("housing 售后房", "室ID IN (SELECT S_ID FROM 室表 JOIN fwxzk ON 房屋性质 = fwxz_dh WHERE FWXZ_xz = '售后房')");
    row("housing containing 售后房",
        "室ID IN (SELECT S_ID FROM 室表 JOIN fwxzk ON 房屋性质 = fwxz_dh WHERE FWXZ_xz LIKE '%售后房%' AND FWXZ_xz <> '售后房')");
    row("housing other", "室ID IN (SELECT S_ID FROM 室表 JOIN fwxzk ON 房屋性质 = fwxz_dh WHERE FWXZ_xz NOT LIKE '%售后房%')");
    row("housing NULL", "室ID IN (SELECT S_ID FROM 室表 WHERE 房屋性质 IS NULL)");
    row("housing code unknown", "室ID IN (SELECT S_ID FROM 室表 WHERE 房屋性质 NOT IN (SELECT fwxz_dh FROM fwxzk))");
    row("no labour item", "维修完成 = 1 AND 编号 NOT IN (SELECT 任务单编号 FROM pg维修人工费清单)");
    row("three labour items", "编号 IN (SELECT 任务单编号 FROM pg维修人工费清单 GROUP BY 任务单编号 HAVING count(*) = 3)");
    row("closed the day it was reported", "substr(销单日期, 1, 10) = substr(报修时间, 1, 10)");
    row("reported on the last day", "substr(报修时间, 1, 10) = '2026-11-30'");
    row("ended category", "报修类别编号 IN (SELECT 类别编号 FROM PG报修类别设置 WHERE 终止日期 IS NOT NULL)");
    row("ended office", "管理处 IN (SELECT gyd_dh FROM 设置管理处 WHERE 终止日期 IS NOT NULL)");
}

void TestDemoDatabase::variants()
{
    QFETCH(QString, condition);
    QVERIFY(scalar(m_db.get(), QStringLiteral("SELECT count(*) FROM PG派工单 WHERE ") + condition) > 0);
}

void TestDemoDatabase::shares()
{
    const auto count = [&](const char* condition) {
        return scalar(m_db.get(), QStringLiteral("SELECT count(*) FROM PG派工单 WHERE ") + QString::fromUtf8(condition));
    };
    const qint64 all = count("1");
    const qint64 closed = count("销单日期 IS NOT NULL");
    QCOMPARE(all, qint64(20000));
    QVERIFY(closed > all * 9 / 10);
    QVERIFY(count("julianday(substr(销单日期, 1, 10)) - julianday(substr(报修时间, 1, 10)) <= 20") > closed * 9 / 10);
    QVERIFY(count("是否销单 = 1") > all * 9 / 10);
    QVERIFY(count("维修完成 = 1") > all * 9 / 10);
    QVERIFY(count("维修情况 = '已完成'") > all * 3 / 4);
    QVERIFY(count("撤消时间 IS NOT NULL") < all / 20);
    QVERIFY(count("跟随单编号 IS NULL") > all * 9 / 10);
    QVERIFY(count("维修项目 IS NULL") < all / 20);
    QVERIFY(count("维修情况 IS NULL AND 销单日期 IS NOT NULL") < all / 20);
}

void TestDemoDatabase::workersOfTheRegion()
{
    QHash<QString, QString> regionOf;
    for (const QString& row : rows(m_db.get(), QStringLiteral("SELECT 工号, 区域号 FROM PG区域维修人员"))) {
        const QStringList f = row.split(QLatin1Char('|'));
        QVERIFY2(!regionOf.contains(f[0]), qPrintable(f[0]));
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9]{4}$")).match(f[0]).hasMatch());
        regionOf.insert(f[0], f[1]);
    }
    const QStringList orders = rows(m_db.get(), QStringLiteral("SELECT 维修人, 区域DH, 管理处 FROM PG派工单 WHERE 维修人 IS NOT NULL"));
    QVERIFY(orders.size() > 19000);
    for (const QString& row : orders) {
        const QStringList f = row.split(QLatin1Char('|'));
        QVERIFY2(f[2].startsWith(f[1]), qPrintable(row));
        const QStringList codes = f[0].split(QLatin1Char(','));
        QVERIFY2(codes.size() >= 1 && codes.size() <= 3, qPrintable(row));
        QSet<QString> seen;
        for (int i = 0; i < codes.size(); ++i) {
            const QString code = codes[i].trimmed();
            QVERIFY2(codes[i] == code || (i > 0 && codes[i] == QLatin1Char(' ') + code), qPrintable(row));
            QVERIFY2(regionOf.value(code) == f[1], qPrintable(row));
            QVERIFY2(!seen.contains(code), qPrintable(row));
            seen.insert(code);
        }
    }
}

void TestDemoDatabase::masterData()
{
    sqlite3* db = m_db.get();
    QCOMPARE(rows(db, QStringLiteral("SELECT * FROM 区域设置 ORDER BY 区域编号")),
             QStringList({ "01|东区", "02|西区", "03|南区", "04|北区" }));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM 设置管理处")), qint64(16));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM 设置管理处 WHERE 终止日期 IS NOT NULL")), qint64(1));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM 设置管理处 WHERE gyd_name = '阳光花园' AND gyd_dh = '0101'")), qint64(1));
    // every office belongs to exactly one region, under a code that starts with the region's
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM 设置管理处 WHERE (SELECT count(*) FROM 区域对应管理处"
                                       " WHERE 管理处码 = gyd_dh AND substr(gyd_dh, 1, 2) = 区域码) = 1")),
             qint64(16));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM 区域对应管理处 WHERE 管理处码 NOT IN (SELECT gyd_dh FROM 设置管理处)")),
             qint64(0));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM PG区域维修人员")), qint64(24));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM PG区域维修人员 WHERE 终止日期 IS NOT NULL")), qint64(1));
    for (const char* trade : { "岗位 IS NULL", "岗位 = '03 水电工'", "岗位 = '05 木工'", "instr(岗位, ' ') = 0" })
        QVERIFY2(scalar(db, QStringLiteral("SELECT count(*) FROM PG区域维修人员 WHERE ") + QString::fromUtf8(trade)) > 0, trade);
    // a worker has an employee record and, while active, a current position (the worker tree's join)
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM PG区域维修人员 WHERE 工号 NOT IN (SELECT 工号 FROM 员工档案)")),
             qint64(0));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(DISTINCT 工号) FROM PG区域维修人员 Inner Join 岗位员工New On 工号=员工代号"
                                       " Where 岗位员工New.离岗日期 Is NULL And PG区域维修人员.终止日期 Is Null")),
             qint64(23));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM PG报修类别设置")), qint64(8));
    QCOMPARE(rows(db, QStringLiteral("Select 类别编号, 类别名称 From PG报修类别设置 Where 终止日期 is not null")),
             QStringList({ "08|绿化" }));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM fwxzk WHERE FWXZ_xz IN ('售后房', '直管房', '公房', '商品房')")),
             qint64(4));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM 区域设置 WHERE instr(区域编号, ' ') > 0")), qint64(0));
}

void TestDemoDatabase::datesAndAmounts()
{
    sqlite3* db = m_db.get();
    const QString stamp = QStringLiteral("'[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'");
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM PG派工单 WHERE 报修时间 GLOB ") + stamp), qint64(20000));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM PG派工单 WHERE 销单日期 IS NOT NULL AND NOT 销单日期 GLOB ") + stamp),
             qint64(0));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM PG派工单 WHERE 撤消时间 IS NOT NULL AND NOT 撤消时间 GLOB ") + stamp),
             qint64(0));
    QCOMPARE(rows(db, QStringLiteral("SELECT min(substr(报修时间, 1, 10)), max(substr(报修时间, 1, 10)) FROM PG派工单")),
             QStringList({ "2024-12-01|2026-11-30" }));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM PG派工单 WHERE 销单日期 < 报修时间 OR 撤消时间 < 报修时间"
                                       " OR 销单日期 > '2026-11-30 23:59:59' OR 撤消时间 > '2026-11-30 23:59:59'")),
             qint64(0));
    // nothing is reported for an office or in a category after its end
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM PG派工单 JOIN 设置管理处 ON 管理处 = gyd_dh"
                                       " WHERE 终止日期 IS NOT NULL AND 报修时间 >= 终止日期")),
             qint64(0));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM PG派工单 JOIN PG报修类别设置 ON 报修类别编号 = 类别编号"
                                       " WHERE 终止日期 IS NOT NULL AND 报修时间 >= 终止日期")),
             qint64(0));
    QCOMPARE(rows(db, QStringLiteral("SELECT DISTINCT typeof(材料费) FROM PG派工单 ORDER BY 1")), QStringList({ "null", "real" }));
    QCOMPARE(rows(db, QStringLiteral("SELECT DISTINCT typeof(人工费) FROM PG派工单 ORDER BY 1")), QStringList({ "null", "real" }));
    QCOMPARE(rows(db, QStringLiteral("SELECT min(维修工时), max(维修工时), min(数量) > 0, typeof(数量), typeof(维修工时)"
                                     " FROM pg维修人工费清单")),
             QStringList({ "0.5|4.0|1|real|real" }));
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM pg维修人工费清单 WHERE 任务单编号 NOT IN (SELECT 编号 FROM PG派工单)")),
             qint64(0));
}

void TestDemoDatabase::completionStatementRuns()
{
    // the region's per-office completed counts, through the expression index on the closing day
    const QString sql = QStringLiteral(
        "Select gyd_dh, A.本月完成 From 区域对应管理处 Left Join 设置管理处 On 管理处码=gyd_dh Left Join ("
        "Select Count (编号) as 本月完成,管理处 From PG派工单 Where CONVERT(char(8),销单日期,112) Between '20261101' And "
        "'20261130' and 是否销单=1 And 维修完成 =1 And 撤消时间 Is Null And 区域DH='01' And 维修情况 Not like '%转计划%'"
        " Group by 管理处) A On GYD_DH = A.管理处 Where 区域码= '01' Order By gyd_dh");
    const QStringList result = rows(m_db.get(), sql);
    QCOMPARE(result.size(), 4);
    QVERIFY(result[0].startsWith(QLatin1String("0101|")));
    QVERIFY(result[0].section(QLatin1Char('|'), 1).toInt() > 10);
    QVERIFY(result[3].endsWith(QLatin1String("|<NULL>"))); // the office that has closed
}

QTEST_GUILESS_MAIN(TestDemoDatabase)
#include "test_demodatabase.moc"
