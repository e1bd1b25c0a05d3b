#include "SpliceScene.h"

#include <QDateTime>

namespace trellum::test {

namespace {

// Office i lies in region kOfficeRegion[i]; worker i in kWorkerRegion[i].
constexpr int kOfficeRegion[] = { 0, 0, 0, 0, 1 };
constexpr int kWorkerRegion[] = { 0, 0, 0, 1 };
constexpr int kEndedOffice = 3;
constexpr int kEndedCategory = 3;
constexpr int kOrders = 90;

std::vector<Spelled> spelled(const QStringList& codes, const QStringList& names)
{
    std::vector<Spelled> out;
    for (qsizetype i = 0; i < codes.size(); ++i)
        out.push_back({ codes[i], names[i] });
    return out;
}

QString stamp(const QDate& day, const char* time)
{
    return day.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + QString::fromLatin1(time);
}

// The trade shown in brackets: the 岗位 text after its blank.
QString shownTrade(const QString& post)
{
    const qsizetype blank = post.indexOf(QLatin1Char(' '));
    return blank < 0 ? post : post.mid(blank + 1);
}

} // namespace

SpliceScene::SpliceScene(Spelling spelling)
{
    if (spelling == Spelling::Plain) {
        m_regions = spelled({ "01", "02" }, { "东区", "西区" });
        m_offices = spelled({ "0101", "0102", "0103", "0104", "0201" }, { "阳光花园", "梅园小区", "丽景苑", "旧城", "春晖新村" });
        m_workers = spelled({ "0011", "0012", "0013", "0021" }, { "王建国", "陈永明", "李华", "吴磊" });
        m_trades = { "03 水电工", "04 木工", "05 油漆工", "03 水电工" };
        m_categories = spelled({ "K1", "K2", "K3", "K4" }, { "电", "水", "木", "旧" });
        return;
    }
    m_regions = spelled({ "01' OR '1'='1", "02\"; DROP TABLE 区域设置; -- Ωμέγα" }, { "东区' --", "西区 \"%_\", ; Ünï" });
    m_offices = spelled({ "0101'); DELETE FROM PG派工单; --", "0102 50%_off, {offices}", "0103\"x\";y 🔧", "0104 ended'",
                          "0201' OR 区域码 <> '" },
                        { "阳光' 花园", "梅园, \"小区\"; --", "丽景苑 %_ Ünïcødé", "旧城'", "春晖 🔧 Ωμέγα" });
    m_workers = spelled({ "0011' OR '1'='1 x", "0012\"; --%_Ωμ", "0013, {workers}", "0021 🔧'" },
                        { "王' 建国", "陈\"永明\" --", "李,华;", "吴磊 Ünï" });
    m_trades = { "03 水电' \"工\"", "04 木工 %_", "05 油漆,工;", "03 Ωμέγα--" };
    m_categories = spelled({ "K1' OR '1'='1", "K2\"; --", "K3 %_,x", "K4 Ω'" }, { "电, 气' --", "水 \"%_\"", "木; Ünïcødé 🔧", "旧'" });
}

void SpliceScene::fill(FixtureDb& db) const
{
    db.exec(QStringLiteral("BEGIN"));
    for (const Spelled& r : m_regions)
        db.addRegion(r.code, r.name);
    for (std::size_t i = 0; i < m_offices.size(); ++i)
        db.addOffice(m_regions[std::size_t(kOfficeRegion[i])].code, m_offices[i].code, m_offices[i].name,
                     int(i) == kEndedOffice ? QStringLiteral("2023-12-31") : QString());
    for (std::size_t i = 0; i < m_workers.size(); ++i)
        db.addWorker(m_regions[std::size_t(kWorkerRegion[i])].code, m_workers[i].code, m_workers[i].name, m_trades[i]);
    for (std::size_t i = 0; i < m_categories.size(); ++i)
        db.addCategory(m_categories[i].code, m_categories[i].name,
                       int(i) == kEndedCategory ? QStringLiteral("2020-01-01") : QString());
    // housing types: rooms 1 直管房, 2 售后房, 3 none, 4 公房
    db.addHousing(QStringLiteral("Z"), QStringLiteral("直管房"));
    db.addHousing(QStringLiteral("S"), QStringLiteral("售后房"));
    db.addHousing(QStringLiteral("G"), QStringLiteral("公房"));
    db.addRoom(1, QStringLiteral("Z"));
    db.addRoom(2, QStringLiteral("S"));
    db.addRoom(3, QString());
    db.addRoom(4, QStringLiteral("G"));

    const QString& w0 = m_workers[0].code;
    const QString& w1 = m_workers[1].code;
    const QStringList crews = { w0, w1, w0 + QLatin1Char(',') + w1, QStringLiteral(" ") + w1 + QStringLiteral(" , ") + w0,
                                w1 + QLatin1Char(',') + w0 + QLatin1Char(',') + w1 };
    const char* const channels[] = { "上门", "电话", "纸质", "网络" };
    const QDate first(2024, 2, 10);
    for (int k = 0; k < kOrders; ++k) {
        FixtureDb::Order o;
        const int office = k % 5;
        // every thirteenth order names region 1 for an office of region 0
        const int region = k % 13 == 12 ? 1 : kOfficeRegion[office];
        o.office = m_offices[std::size_t(office)].code;
        o.region = m_regions[std::size_t(region)].code;
        o.category = m_categories[std::size_t(k % 4)].code;
        const QDate reported = first.addDays(k * 7 % 60);
        o.reported = stamp(reported, "09:30:00");
        const bool closed = k % 6 != 5;
        o.closed = closed ? stamp(reported.addDays(k % 9), "16:00:00") : QString();
        o.closedFlag = closed ? 1 : 0;
        o.completed = closed && k % 11 != 3 ? 1 : 0;
        o.revoked = k % 17 == 4 ? QStringLiteral("2024-03-05 10:00:00") : QString();
        o.handling = k % 19 == 7 ? QStringLiteral("作废") : QString();
        o.status = k % 10 == 2 ? QStringLiteral("转计划") : k % 10 == 6 ? QStringLiteral("已转注销") : QStringLiteral("已完成");
        o.item = k % 7 == 1 ? QStringLiteral("公共部位维修") : QStringLiteral("室内");
        o.revisited = k % 3 != 0 ? 1 : 0;
        o.accepted = o.revisited && k % 4 != 1 ? 1 : 0;
        o.workers = region == 1 ? m_workers[3].code : crews[k % crews.size()];
        o.follows = k % 8 == 3 ? QStringLiteral("123") : QString();
        if (k % 4 != 0)
            o.material = 10.5 + k;
        o.labour = 20 + k * 0.25;
        o.room = 1 + k % 4;
        o.channel = QString::fromUtf8(channels[k % 4]);
        o.source = k % 5 == 2 ? QStringLiteral("微信报修") : QString();
        const long long number = db.addOrder(o);
        if (k % 3 != 2)
            db.addLabour(number, 1 + k % 3, 0.5 + (k % 4) * 0.5);
    }
    db.exec(QStringLiteral("COMMIT"));
}

QHash<QString, QString> SpliceScene::translation(const SpliceScene& from, const SpliceScene& to)
{
    QHash<QString, QString> out;
    auto pair = [&](const std::vector<Spelled>& a, const std::vector<Spelled>& b) {
        for (std::size_t i = 0; i < a.size(); ++i) {
            out.insert(a[i].code, b[i].code);
            out.insert(a[i].name, b[i].name);
            out.insert(a[i].code + QLatin1Char(' ') + a[i].name, b[i].code + QLatin1Char(' ') + b[i].name);
        }
    };
    pair(from.m_regions, to.m_regions);
    pair(from.m_offices, to.m_offices);
    pair(from.m_workers, to.m_workers);
    pair(from.m_categories, to.m_categories);
    for (std::size_t i = 0; i < from.m_workers.size(); ++i) {
        const auto shown = [](const SpliceScene& s, std::size_t w) {
            return s.m_workers[w].name + QStringLiteral("【") + shownTrade(s.m_trades[w]) + QStringLiteral("】");
        };
        out.insert(shown(from, i), shown(to, i));
        // the worker tree shows the whole 岗位
        const auto node = [](const SpliceScene& s, std::size_t w) {
            return s.m_workers[w].code + QLatin1Char(' ') + s.m_workers[w].name + QStringLiteral("【") + s.m_trades[w]
                + QStringLiteral("】");
        };
        out.insert(node(from, i), node(to, i));
    }
    return out;
}

} // namespace trellum::test
