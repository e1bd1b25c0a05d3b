#include "DemoDatabase.h"

#include "DemoSchema.h"
#include "OutputFile.h"
#include "SqlFunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <stdexcept>

namespace trellum {
namespace {

constexpr std::array RegionNames{ "东区", "西区", "南区", "北区", "中区", "城东区", "城西区", "滨江区", "高新区", "开发区",
                                  "新城区", "老城区", "湖滨区", "江北区", "江南区", "港区", "河西区", "河东区", "山前区", "园区" };
constexpr std::array EstatePrefixes{ "阳光", "翠湖", "锦绣", "金色", "梅园", "桂花", "紫荆", "碧水", "丽景", "怡和",
                                     "康乐", "幸福", "春晖", "福临", "东方", "绿地", "和平", "长青", "玉兰", "百合",
                                     "海棠", "枫林", "书香", "凤凰", "天鹅", "望江", "明珠", "银杏", "香樟", "清泉" };
constexpr std::array EstateSuffixes{ "花园", "苑", "新村", "家园", "华庭", "公寓", "小区", "名都", "雅居", "山庄" };
constexpr std::array Surnames{ "王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱", "胡",
                               "郭", "何", "高", "林", "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹" };
constexpr std::array GivenNames{ "建国", "志强", "海涛", "国平", "永明", "德华", "军", "勇", "磊", "俊杰", "卫东",
                                 "立新", "春生", "小龙", "文斌", "红兵", "宏伟", "振华", "明亮", "建军", "秀英", "桂兰",
                                 "玉梅", "丽华", "金凤", "宝山", "长林", "福生", "国庆", "新民", "树森", "天佑", "家豪" };
// A worker's trade (岗位 text, nullptr for none) and the position that goes with it.
constexpr std::array Trades{ "03 水电工", "03 水电工", "03 水电工", "05 木工", "05 木工", "04 泥瓦工",
                             "06 油漆工", "07 管道工", static_cast<const char*>(nullptr), "08 电梯工" };
constexpr std::array TradePositions{ "WX03", "WX03", "WX03", "WX05", "WX05", "WX04", "WX06", "WX07", "WX09", "WX08" };
constexpr std::array CategoryNames{ "水电", "土建", "木工", "门窗", "管道疏通", "电梯", "消防", "绿化", "油漆", "防水",
                                    "燃气", "弱电", "监控", "门禁", "路面", "外墙", "照明", "排水", "供暖", "屋面",
                                    "玻璃", "五金", "卫浴", "空调" };
constexpr std::array CategoryWeights{ 30, 12, 10, 10, 14, 5, 4, 3, 4, 6, 3, 3, 2, 2, 2, 3, 4, 4, 2, 3, 2, 3, 4, 2 };
// Per mille of a category's orders that concern a common part of the building.
constexpr std::array CategoryPublic{ 80, 150, 60, 120, 200, 900, 850, 950, 150, 250, 100, 300,
                                     900, 850, 950, 900, 700, 300, 200, 600, 200, 100, 50, 80 };
constexpr std::array<std::array<const char*, 4>, 8> CategoryActions{ {
    { "水龙头更换", "电路跳闸检修", "灯具更换", "水管漏水维修" },
    { "墙面开裂修补", "地砖空鼓修补", "顶棚渗水处理", "墙面粉刷" },
    { "木门修理", "橱柜门修理", "地板翘起修复", "门框加固" },
    { "窗户密封条更换", "门锁更换", "纱窗更换", "窗户把手维修" },
    { "下水道疏通", "马桶疏通", "地漏疏通", "化粪池清掏" },
    { "电梯按钮维修", "电梯门故障处理", "电梯异响检修", "电梯照明维修" },
    { "消防栓检修", "烟感更换", "应急灯更换", "灭火器更换" },
    { "树木修剪", "草坪补种", "花坛修整", "枯枝清理" },
} };
constexpr std::array GenericActions{ "检修", "维修", "故障处理", "部件更换" };
constexpr std::array RoomPlaces{ "室内", "厨房", "卫生间", "阳台", "客厅", "卧室" };
constexpr std::array PublicPlaces{ "公共部位楼道", "公共部位屋面", "公共部位地下室", "公共部位外墙" };
// Housing types; rooms also use a NULL type and a code without a fwxzk row.
constexpr std::array HousingCodes{ "01", "02", "03", "04", "05", "06" };
constexpr std::array HousingNames{ "售后房", "直管房", "公房", "商品房", "已上市售后房", "经济适用房" };

// Writes value as `width` decimal digits ending just before `end`.
void putDigits(char* end, int value, int width)
{
    for (int i = 0; i < width; ++i, value /= 10)
        *--end = char('0' + value % 10);
}

std::string twoDigits(int n)
{
    char buf[2];
    putDigits(buf + 2, n, 2);
    return std::string(buf, 2);
}

// 'YYYY-MM-DD' or 'YYYY-MM-DD HH:MM:SS' of a Julian day and a second of that day.
std::string stamp(qint64 julianDay, int second = -1)
{
    int y = 0, m = 0, d = 0;
    QDate::fromJulianDay(julianDay).getDate(&y, &m, &d);
    char buf[] = "0000-00-00 00:00:00";
    putDigits(buf + 4, y, 4);
    putDigits(buf + 7, m, 2);
    putDigits(buf + 10, d, 2);
    if (second < 0)
        return std::string(buf, 10);
    putDigits(buf + 13, second / 3600, 2);
    putDigits(buf + 16, second / 60 % 60, 2);
    putDigits(buf + 19, second % 60, 2);
    return std::string(buf, 19);
}

QString outOfRange(const char* name, qint64 value, qint64 low, qint64 high)
{
    if (value >= low && value <= high)
        return QString();
    return QStringLiteral("%1 must be between %2 and %3, not %4").arg(QLatin1String(name)).arg(low).arg(high).arg(value);
}

} // namespace

QString DemoDatabase::validate(const Options& o)
{
    if (o.outPath.isEmpty())
        return QStringLiteral("--out FILE is required");
    const QFileInfo out(o.outPath);
    if (out.isDir())
        return QStringLiteral("--out names a folder: %1").arg(o.outPath);
    if (!out.absoluteDir().exists())
        return QStringLiteral("the folder of --out does not exist: %1").arg(out.absolutePath());
    for (const QString& error : { outOfRange("--orders", o.orders, 1, MaxOrders),
                                  outOfRange("--regions", o.regions, 1, MaxRegions),
                                  outOfRange("--offices", o.offices, o.regions, qint64(MaxOfficesPerRegion) * o.regions),
                                  outOfRange("--workers", o.workers, o.regions, MaxWorkers),
                                  outOfRange("--categories", o.categories, 2, MaxCategories),
                                  outOfRange("--years", o.years, 1, MaxYears) })
        if (!error.isEmpty())
            return error;
    if (!o.end.isValid() || o.end.year() < 1950 || o.end.year() > 2200)
        return QStringLiteral("--end must be a day between 1950 and 2200");
    return QString();
}

void DemoDatabase::CloseDb::operator()(sqlite3* db) const
{
    sqlite3_close(db);
}

void DemoDatabase::FinalizeStatement::operator()(sqlite3_stmt* st) const
{
    sqlite3_finalize(st);
}

DemoDatabase::DemoDatabase(const Options& options)
    : m_options(options)
{
}

DemoDatabase::~DemoDatabase() = default;

// --- random numbers (splitmix64: the same sequence on every platform and library) ---

std::uint64_t DemoDatabase::next()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int DemoDatabase::below(int n)
{
    return n <= 1 ? 0 : int(next() % std::uint64_t(n));
}

bool DemoDatabase::chance(int perMille)
{
    return below(1000) < perMille;
}

// --- sqlite helpers: every failure becomes an exception carrying SQLite's message ---

void DemoDatabase::check(int rc, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + (m_db ? sqlite3_errmsg(m_db.get()) : sqlite3_errstr(rc)));
}

void DemoDatabase::exec(const char* sql)
{
    char* err = nullptr;
    const int rc = sqlite3_exec(m_db.get(), sql, nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const std::string message = std::string(err ? err : sqlite3_errstr(rc)) + " in " + sql;
        sqlite3_free(err);
        throw std::runtime_error(message);
    }
}

DemoDatabase::Statement DemoDatabase::prepare(const char* sql)
{
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(m_db.get(), sql, -1, &st, nullptr), sql);
    return Statement(st);
}

void DemoDatabase::bindText(sqlite3_stmt* st, int index, const std::string& value)
{
    check(sqlite3_bind_text(st, index, value.data(), int(value.size()), SQLITE_TRANSIENT), "bind");
}

void DemoDatabase::bindText(sqlite3_stmt* st, int index, const char* value)
{
    // only literals of this file come here, so SQLite may keep the pointer
    check(value ? sqlite3_bind_text(st, index, value, -1, SQLITE_STATIC) : sqlite3_bind_null(st, index), "bind");
}

void DemoDatabase::bindInt(sqlite3_stmt* st, int index, qint64 value)
{
    check(sqlite3_bind_int64(st, index, value), "bind");
}

void DemoDatabase::bindReal(sqlite3_stmt* st, int index, double value)
{
    check(sqlite3_bind_double(st, index, value), "bind");
}

void DemoDatabase::bindNull(sqlite3_stmt* st, int index)
{
    check(sqlite3_bind_null(st, index), "bind");
}

void DemoDatabase::step(sqlite3_stmt* st)
{
    check(sqlite3_step(st), "insert");
    check(sqlite3_reset(st), "reset");
}

// --- the file ---

QString DemoDatabase::write()
{
    const QString refused = validate(m_options);
    if (!refused.isEmpty())
        return refused;
    // Written as every output of the program is: into a part file moved over the target once
    // complete, a device or a named pipe sent the finished file in place.
    const QString target = m_options.outPath;
    OutputFile out;
    QByteArray file;
    DbStatus error = out.open(target);
    if (!error)
        error = out.fileToFill(&file);
    if (error)
        return QStringLiteral("cannot write %1: %2").arg(target, error->description);
    try {
        build(QFile::decodeName(file));
    } catch (const std::exception& e) {
        m_orderInsert.reset();
        m_labourInsert.reset();
        m_db.reset();
        return QStringLiteral("cannot write %1: %2").arg(target, QString::fromUtf8(e.what()));
    }
    if (const auto failed = out.commitFilled())
        return QStringLiteral("cannot write %1: %2").arg(target, failed->description);
    return QString();
}

void DemoDatabase::build(const QString& path)
{
    m_state = m_options.seed;
    m_summary = Summary();
    m_offices.clear();
    m_officeWeights.clear();
    m_workers.clear();
    m_regionWorkers.assign(std::size_t(m_options.regions), {});
    m_categoryWeights.clear();
    m_categoryCodes.clear();

    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    m_db.reset(raw);
    check(rc, "open");
    check(registerTsqlFunctions(m_db.get()), "register functions");
    exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA locking_mode=EXCLUSIVE;"
         " PRAGMA temp_store=MEMORY; PRAGMA cache_size=-131072");
    exec("BEGIN");
    for (const QString& statement : schemaStatements())
        exec(statement.toUtf8().constData());

    m_summary.lastDay = m_options.end;
    m_summary.firstDay = m_options.end.addYears(-m_options.years).addDays(1);
    writeLogin();
    writeRegionsAndOffices();
    writeWorkers();
    writeCategories();
    writeHousing();
    writeOrders();
    exec("COMMIT");
    if (m_options.indexes) {
        exec("BEGIN");
        createIndexes();
        exec("COMMIT");
    }
    exec("ANALYZE");
    m_orderInsert.reset();
    m_labourInsert.reset();
    const int closed = sqlite3_close(m_db.get());
    if (closed == SQLITE_OK)
        m_db.release();
    check(closed, "close");
}

// --- login: departments, positions, the demo users ---

void DemoDatabase::writeLogin()
{
    const std::string left = stamp(m_options.end.addDays(-90).toJulianDay());
    const std::string movedOn = stamp(m_options.end.addDays(-200).toJulianDay());
    exec("INSERT INTO 职能部门类别 VALUES ('01', '业务部门'), ('02', '职能部门');"
         "INSERT INTO 岗位类别 VALUES ('01', '管理岗'), ('02', '技术岗'), ('03', '操作岗'), ('04', '服务岗');"
         "INSERT INTO 职能部门new VALUES ('0101', '维修部', '01'), ('0102', '客服部', '01'), ('0201', '办公室', '02'),"
         " ('0202', '财务部', '02');"
         "INSERT INTO 岗位信息new VALUES ('WX01', '调度员', '0101', '01'), ('WX02', '维修主管', '0101', '01'),"
         " ('WX03', '水电工', '0101', '03'), ('WX04', '泥瓦工', '0101', '03'), ('WX05', '木工', '0101', '03'),"
         " ('WX06', '油漆工', '0101', '03'), ('WX07', '管道工', '0101', '03'), ('WX08', '电梯工', '0101', '02'),"
         " ('WX09', '维修工', '0101', '03'), ('KF01', '接待员', '0102', '04'), ('BG01', '文员', '0201', '04'),"
         " ('CW01', '会计', '0202', '02')");
    Statement employee = prepare("INSERT INTO 员工档案 VALUES (?1, '1234', ?2, ?3)");
    Statement assignment = prepare("INSERT INTO 岗位员工new VALUES (?1, ?2, ?3, ?4)");
    const auto addEmployee = [&](const char* number, const char* name, const std::string& leftOn) {
        bindText(employee.get(), 1, number);
        bindText(employee.get(), 2, name);
        leftOn.empty() ? bindNull(employee.get(), 3) : bindText(employee.get(), 3, leftOn);
        step(employee.get());
        ++m_summary.employees;
    };
    const auto addAssignment = [&](const char* number, const char* position, bool main, const std::string& leftOn) {
        bindText(assignment.get(), 1, number);
        bindText(assignment.get(), 2, position);
        bindInt(assignment.get(), 3, main ? 1 : 0);
        leftOn.empty() ? bindNull(assignment.get(), 4) : bindText(assignment.get(), 4, leftOn);
        step(assignment.get());
    };
    // 1001: one position; 1002: three current positions and an earlier one; 1003: has left the company
    addEmployee("1001", "张伟", {});
    addAssignment("1001", "WX01", true, {});
    addEmployee("1002", "李娜", {});
    addAssignment("1002", "WX03", true, {});
    addAssignment("1002", "WX05", false, {});
    addAssignment("1002", "KF01", false, {});
    addAssignment("1002", "BG01", false, movedOn);
    addEmployee("1003", "王强", left);
    addAssignment("1003", "WX02", true, {});
}

// --- regions and management offices ---

void DemoDatabase::writeRegionsAndOffices()
{
    Statement region = prepare("INSERT INTO 区域设置 VALUES (?1, ?2)");
    Statement mapping = prepare("INSERT INTO 区域对应管理处 VALUES (?1, ?2)");
    Statement office = prepare("INSERT INTO 设置管理处 VALUES (?1, ?2, ?3)");
    const qint64 first = m_summary.firstDay.toJulianDay();
    const qint64 span = m_summary.lastDay.toJulianDay() - first + 1;
    const int roomsPerOffice = int(std::clamp<qint64>(m_options.orders / m_options.offices / 4, 40, 400));
    for (int r = 0; r < m_options.regions; ++r) {
        bindText(region.get(), 1, twoDigits(r + 1));
        if (r < int(RegionNames.size()))
            bindText(region.get(), 2, RegionNames[std::size_t(r)]);
        else
            bindText(region.get(), 2, QStringLiteral("第%1片区").arg(r + 1).toStdString());
        step(region.get());
    }
    const int estates = int(EstatePrefixes.size() * EstateSuffixes.size());
    const int officesInFirst = (m_options.offices + m_options.regions - 1) / m_options.regions;
    for (int k = 0; k < m_options.offices; ++k) {
        Office o;
        o.region = k % m_options.regions;
        const int inRegion = k / m_options.regions;
        o.regionCode = twoDigits(o.region + 1);
        o.code = o.regionCode + twoDigits(inRegion + 1);
        o.roomBase = 100001 + k * roomsPerOffice;
        o.roomCount = roomsPerOffice;
        // the last office of the first region has closed, when that region has another one
        if (o.region == 0 && officesInFirst > 1 && inRegion == officesInFirst - 1)
            o.endDay = first + span * 2 / 3;
        // every estate name once (prefix k, suffix shifted by the round), then second phases
        const int p = k % int(EstatePrefixes.size());
        const int round = (k % estates) / int(EstatePrefixes.size());
        std::string name = std::string(EstatePrefixes[std::size_t(p)])
            + EstateSuffixes[std::size_t((round + p) % int(EstateSuffixes.size()))];
        if (k >= estates)
            name += QStringLiteral("%1期").arg(k / estates + 1).toStdString();
        bindText(mapping.get(), 1, o.regionCode);
        bindText(mapping.get(), 2, o.code);
        step(mapping.get());
        bindText(office.get(), 1, o.code);
        bindText(office.get(), 2, name);
        o.endDay ? bindText(office.get(), 3, stamp(o.endDay)) : bindNull(office.get(), 3);
        step(office.get());
        m_officeWeights.push_back((m_officeWeights.empty() ? 0 : m_officeWeights.back()) + 2 + k * 7 % 5);
        m_offices.push_back(std::move(o));
    }
}

// --- repair workers: region team, position assignment and employee record ---

void DemoDatabase::writeWorkers()
{
    Statement worker = prepare("INSERT INTO PG区域维修人员 VALUES (?1, ?2, ?3, ?4, ?5)");
    Statement assignment = prepare("INSERT INTO 岗位员工new VALUES (?1, ?2, ?3, ?4)");
    Statement employee = prepare("INSERT INTO 员工档案 VALUES (?1, '1234', ?2, ?3)");
    const qint64 first = m_summary.firstDay.toJulianDay();
    const qint64 span = m_summary.lastDay.toJulianDay() - first + 1;
    const int inFirst = (m_options.workers + m_options.regions - 1) / m_options.regions;
    for (int j = 0; j < m_options.workers; ++j) {
        Worker w;
        w.region = j % m_options.regions;
        char code[4];
        putDigits(code + 4, 11 + j, 4);
        w.code.assign(code, 4);
        // the last worker of the first region has left, when the region keeps another one
        if (w.region == 0 && inFirst > 1 && j / m_options.regions == inFirst - 1)
            w.endDay = first + span * 3 / 4;
        const int g = j % int(GivenNames.size());
        const int round = j / int(GivenNames.size());
        const std::string name = std::string(Surnames[std::size_t((g + round) % int(Surnames.size()))]) + GivenNames[std::size_t(g)];
        const std::size_t trade = std::size_t(j % int(Trades.size()));
        const std::string endText = w.endDay ? stamp(w.endDay) : std::string();
        bindText(worker.get(), 1, twoDigits(w.region + 1));
        bindText(worker.get(), 2, w.code);
        bindText(worker.get(), 3, name);
        const bool handyman = j % 20 == 19;
        bindText(worker.get(), 4, handyman ? "杂工" : Trades[trade]);
        w.endDay ? bindText(worker.get(), 5, endText) : bindNull(worker.get(), 5);
        step(worker.get());
        bindText(assignment.get(), 1, w.code);
        bindText(assignment.get(), 2, handyman ? "WX09" : TradePositions[trade]);
        bindInt(assignment.get(), 3, 1);
        w.endDay ? bindText(assignment.get(), 4, endText) : bindNull(assignment.get(), 4);
        step(assignment.get());
        if (j == 1) { // a plumber's second, part-time trade: two current assignments
            bindText(assignment.get(), 2, "WX07");
            bindInt(assignment.get(), 3, 0);
            step(assignment.get());
        }
        bindText(employee.get(), 1, w.code);
        bindText(employee.get(), 2, name);
        w.endDay ? bindText(employee.get(), 3, endText) : bindNull(employee.get(), 3);
        step(employee.get());
        ++m_summary.employees;
        m_regionWorkers[std::size_t(w.region)].push_back(j);
        m_workers.push_back(std::move(w));
    }
}

// --- repair categories (the last one has ended) and housing types with their rooms ---

void DemoDatabase::writeCategories()
{
    Statement category = prepare("INSERT INTO PG报修类别设置 VALUES (?1, ?2, ?3)");
    const qint64 first = m_summary.firstDay.toJulianDay();
    m_categoryEndDay = first + (m_summary.lastDay.toJulianDay() - first + 1) / 2;
    for (int c = 0; c < m_options.categories; ++c) {
        const bool named = c < int(CategoryNames.size());
        m_categoryCodes.push_back(twoDigits(c + 1));
        bindText(category.get(), 1, m_categoryCodes.back());
        if (named)
            bindText(category.get(), 2, CategoryNames[std::size_t(c)]);
        else
            bindText(category.get(), 2, QStringLiteral("其他%1").arg(c + 1).toStdString());
        c + 1 == m_options.categories ? bindText(category.get(), 3, stamp(m_categoryEndDay)) : bindNull(category.get(), 3);
        step(category.get());
        const int weight = named ? CategoryWeights[std::size_t(c)] : 2;
        m_categoryWeights.push_back((m_categoryWeights.empty() ? 0 : m_categoryWeights.back()) + weight);
    }
}

void DemoDatabase::writeHousing()
{
    Statement housing = prepare("INSERT INTO fwxzk VALUES (?1, ?2)");
    for (std::size_t h = 0; h < HousingCodes.size(); ++h) {
        bindText(housing.get(), 1, HousingCodes[h]);
        bindText(housing.get(), 2, HousingNames[h]);
        step(housing.get());
    }
    Statement room = prepare("INSERT INTO 室表 VALUES (?1, ?2)");
    for (std::size_t k = 0; k < m_offices.size(); ++k) {
        const Office& o = m_offices[k];
        // estates are mostly sold-off (售后房), mostly directly managed (直管房), or mixed with commercial housing
        const char* main = k % 3 == 0 ? "01" : k % 3 == 1 ? "02" : "04";
        for (int i = 0; i < o.roomCount; ++i) {
            const int r = below(1000);
            const char* type = r < 700 ? main
                : r < 930              ? HousingCodes[std::size_t(below(int(HousingCodes.size())))]
                : r < 970              ? static_cast<const char*>(nullptr)
                                       : "99";
            bindInt(room.get(), 1, o.roomBase + i);
            bindText(room.get(), 2, type);
            step(room.get());
            ++m_summary.rooms;
        }
    }
}

// --- work orders and their labour items ---

int DemoDatabase::pickOffice(qint64 day)
{
    for (;;) {
        const int r = below(m_officeWeights.back());
        const int k = int(std::upper_bound(m_officeWeights.begin(), m_officeWeights.end(), r) - m_officeWeights.begin());
        if (!m_offices[std::size_t(k)].endDay || day < m_offices[std::size_t(k)].endDay)
            return k;
    }
}

int DemoDatabase::pickCategory(qint64 day)
{
    for (;;) {
        const int r = below(m_categoryWeights.back());
        const int c = int(std::upper_bound(m_categoryWeights.begin(), m_categoryWeights.end(), r) - m_categoryWeights.begin());
        if (c + 1 < m_options.categories || day < m_categoryEndDay)
            return c;
    }
}

std::string DemoDatabase::pickWorkers(int region, qint64 day)
{
    m_candidates.clear();
    for (int j : m_regionWorkers[std::size_t(region)])
        if (!m_workers[std::size_t(j)].endDay || day < m_workers[std::size_t(j)].endDay)
            m_candidates.push_back(j);
    const int r = below(100);
    const int wanted = std::min(int(m_candidates.size()), r < 70 ? 1 : r < 92 ? 2 : 3);
    std::string list;
    for (int n = 0; n < wanted; ++n) {
        const int pick = n + below(int(m_candidates.size()) - n); // partial shuffle: distinct workers
        std::swap(m_candidates[std::size_t(n)], m_candidates[std::size_t(pick)]);
        if (n > 0)
            list += chance(60) ? ", " : ",";
        list += m_workers[std::size_t(m_candidates[std::size_t(n)])].code;
    }
    return list;
}

void DemoDatabase::writeOrders()
{
    m_orderInsert = prepare("INSERT INTO PG派工单 (编号, 管理处, 区域DH, 报修类别编号, 报修时间, 报修方式, 报修来源,"
                            " 销单日期, 是否销单, 维修完成, 撤消时间, 联系单处理结果, 维修情况, 维修项目, 是否回访,"
                            " 回访验收结果, 维修人, 跟随单编号, 材料费, 人工费, 室ID)"
                            " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21)");
    m_labourInsert = prepare("INSERT INTO pg维修人工费清单 VALUES (?1, ?2, ?3)");
    const qint64 first = m_summary.firstDay.toJulianDay();
    const double days = double(m_summary.lastDay.toJulianDay() - first + 1);
    const double count = double(m_options.orders);
    for (qint64 i = 0; i < m_options.orders; ++i) {
        // report days rise with the order number, evenly over the whole period
        const double u = double(next() >> 11) / 9007199254740992.0;
        const qint64 day = first + std::min(qint64((double(i) + u) * days / count), qint64(days) - 1);
        writeOrder(i + 1, day, 7 * 3600 + below(14 * 3600));
    }
    m_summary.orders = m_options.orders;
}

void DemoDatabase::writeOrder(qint64 number, qint64 reportDay, int reportSecond)
{
    sqlite3_stmt* st = m_orderInsert.get();
    const qint64 lastDay = m_summary.lastDay.toJulianDay();
    const Office& office = m_offices[std::size_t(pickOffice(reportDay))];
    const int category = pickCategory(reportDay);
    const bool common = chance(CategoryPublic[std::size_t(category % int(CategoryPublic.size()))]);

    // closing: most within 0 to 20 days, a few later or never; nothing after the last day
    const int d = below(1000);
    const int delay = d < 250 ? 0 : d < 700 ? 1 + below(3) : d < 900 ? 4 + below(7) : d < 985 ? 11 + below(10) : 21 + below(40);
    const qint64 closeDay = reportDay + delay;
    const bool closed = closeDay <= lastDay && !chance(8);
    const int closeSecond = delay == 0 ? std::min(86399, reportSecond + 1800 + below(4 * 3600)) : 8 * 3600 + below(11 * 3600);
    const bool done = closed && chance(960);
    const bool revoked = chance(15);

    bindInt(st, 1, number);
    bindText(st, 2, office.code);
    bindText(st, 3, office.regionCode);
    bindText(st, 4, m_categoryCodes[std::size_t(category)]);
    bindText(st, 5, stamp(reportDay, reportSecond));
    const int way = below(100);
    bindText(st, 6, way < 55 ? "电话" : way < 85 ? "上门" : "纸质");
    const int source = below(100);
    bindText(st, 7, source < 22 ? "微信报修" : source < 62 ? "业主报修" : source < 85 ? "管理处巡查" : source < 97 ? "热线转办" : nullptr);
    closed ? bindText(st, 8, stamp(closeDay, closeSecond)) : bindNull(st, 8);
    bindInt(st, 9, closed && chance(985) ? 1 : 0);
    bindInt(st, 10, done ? 1 : 0);
    if (revoked) { // cancelled soon after the report, or after the closing (a duplicate found later)
        const qint64 anchorDay = closed ? closeDay : reportDay;
        const int anchorSecond = closed ? closeSecond : reportSecond;
        const qint64 revokeDay = std::min(lastDay, anchorDay + below(3));
        bindText(st, 11, stamp(revokeDay, revokeDay == anchorDay ? std::min(86399, anchorSecond + 300 + below(3600))
                                                                 : 8 * 3600 + below(10 * 3600)));
    } else {
        bindNull(st, 11);
    }
    const int handling = below(1000);
    bindText(st, 12, handling < 30 ? "作废" : handling < 300 ? "已处理" : nullptr);
    const int status = below(1000);
    if (closed)
        bindText(st, 13, status < 15 ? "转计划" : status < 30 ? "已转计划维修" : status < 42 ? "转注销" : status < 55 ? "业主原因转注销"
                          : status < 75 ? nullptr : status < 110 ? "已完成，业主满意" : status < 130 ? "部分完成" : "已完成");
    else
        bindText(st, 13, status < 400 ? nullptr : status < 700 ? "维修中" : "待派工");
    if (chance(10)) {
        bindNull(st, 14);
    } else {
        const char* action = category < int(CategoryActions.size())
            ? CategoryActions[std::size_t(category)][std::size_t(below(4))]
            : GenericActions[std::size_t(below(int(GenericActions.size())))];
        std::string item = common ? PublicPlaces[std::size_t(below(int(PublicPlaces.size())))]
                                  : RoomPlaces[std::size_t(below(int(RoomPlaces.size())))];
        if (category >= int(CategoryActions.size()))
            item += category < int(CategoryNames.size()) ? CategoryNames[std::size_t(category)] : "设施";
        bindText(st, 14, item + action);
    }
    const bool revisited = done && chance(700);
    bindInt(st, 15, revisited ? 1 : 0);
    bindInt(st, 16, revisited && chance(920) ? 1 : 0);
    const std::string workers = closed || chance(600) ? pickWorkers(office.region, reportDay) : std::string();
    workers.empty() ? bindNull(st, 17) : bindText(st, 17, workers);
    if (number > 100 && chance(30))
        bindText(st, 18, std::to_string(number - 1 - below(int(std::min<qint64>(number - 1, 2000)))));
    else
        bindNull(st, 18);
    if (closed && !chance(250)) {
        int cents = 500 + below(20000);
        if (chance(100))
            cents += below(60000); // a larger part now and then
        bindReal(st, 19, cents / 100.0);
    } else {
        bindNull(st, 19);
    }
    closed && !chance(30) ? bindReal(st, 20, 20 + below(57) * 5) : bindNull(st, 20);
    const int room = below(1000);
    if ((common && room < 700) || (!common && room < 50))
        bindNull(st, 21);
    else if (room >= 990)
        bindInt(st, 21, 9000001 + below(1000)); // a room that is not in 室表
    else
        bindInt(st, 21, office.roomBase + below(office.roomCount));
    step(st);

    // labour items: most completed orders have one or two, some none or three
    const int items = below(100);
    const int itemCount = done ? (items < 15 ? 0 : items < 65 ? 1 : items < 90 ? 2 : 3) : closed ? items % 2 : items < 5;
    for (int k = 0; k < itemCount; ++k) {
        const int q = below(100);
        bindInt(m_labourInsert.get(), 1, number);
        bindReal(m_labourInsert.get(), 2, q < 80 ? 1.0 : q < 92 ? 2.0 : q < 97 ? 3.0 : 0.5);
        bindReal(m_labourInsert.get(), 3, (1 + below(8)) * 0.5);
        step(m_labourInsert.get());
        ++m_summary.labourItems;
    }
}

void DemoDatabase::createIndexes()
{
    for (const QString& statement : indexStatements())
        exec(statement.toUtf8().constData());
}

} // namespace trellum
