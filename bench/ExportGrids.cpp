#include "ExportGrids.h"

#include "CellText.h"
#include "LedgerReport.h"
#include "LedgerWorkerBlock.h"
#include "MonthEndReport.h"
#include "RedrawPause.h"
#include "ReportCatalog.h"

#include <array>
#include <cstdint>

namespace trellum::bench {

namespace {

// A small fixed-seed generator (splitmix64), the same numbers on every machine.
class Draw {
public:
    explicit Draw(std::uint64_t seed) : m_state(seed) {}
    int below(int n)
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return int((z ^ (z >> 31)) % std::uint64_t(n));
    }

private:
    std::uint64_t m_state;
};

const char16_t* const kEstates[] = { u"阳光花园", u"翠湖苑", u"锦绣新村", u"金色家园", u"梅园华庭", u"桂花公寓",
                                     u"紫荆小区", u"碧水名都", u"丽景雅居", u"怡和山庄" };
const char16_t* const kNames[] = { u"王建国", u"李志强", u"张海涛", u"刘国平", u"陈永明", u"杨德华", u"黄军", u"赵勇" };
const char16_t* const kTrades[] = { u"水电工", u"木工", u"泥瓦工", u"油漆工", u"管道工" };

// A count that is sometimes absent (an office without such orders).
QString count(Draw& d, int high)
{
    return d.below(5) == 0 ? QString() : QString::number(d.below(high));
}

} // namespace

CategoryTable ExportGrids::categories(int count)
{
    static const char16_t* const names[] = { u"水电", u"土建", u"木工", u"门窗", u"管道疏通", u"电梯", u"消防", u"绿化",
                                             u"油漆", u"防水", u"燃气", u"弱电", u"监控", u"门禁", u"路面", u"外墙" };
    CategoryTable out;
    for (int i = 0; i < count; ++i)
        out.push_back({ QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                        QString::fromUtf16(names[i % int(std::size(names))]) });
    return out;
}

void ExportGrids::monthEnd(ReportGrid& grid, int offices, const CategoryTable& categories)
{
    MonthEndReport().layoutGrid(grid, categories);
    Draw d(2026);
    const RedrawPause pause(grid);
    static constexpr std::array kCountColumns = { 2, 3, 4, 6, 7, 8, 9, 13, 14, 15, 18 };
    for (int k = 0; k < offices; ++k) {
        const int r = grid.appendRow();
        grid.setRow(r);
        grid.setText(r, 0, QString::number(r - 1));
        grid.setText(r, 1, QString::fromUtf16(kEstates[k % int(std::size(kEstates))]) + QString::number(k / 10 + 1)
                               + QStringLiteral("期"));
        for (int c : kCountColumns)
            grid.setText(r, c, count(d, c == 2 || c == 18 ? 400 : 120));
        for (int from : { 7, 13 }) {
            double sum = 0;
            for (int c = from; c < from + 3; ++c)
                sum += cellNumber(grid.text(r, c));
            grid.setText(r, from + 3, plainNumber(sum));
        }
        for (int j = 0; j < int(categories.size()); ++j)
            grid.setText(r, MonthEndReport::kStandardColumns + j, count(d, 40));
    }
    std::vector<double> sums(std::size_t(grid.cols()), 0.0);
    for (int r = MonthEndReport::kHeaderRows; r < grid.rows(); ++r)
        for (int c = 2; c < grid.cols(); ++c)
            sums[std::size_t(c)] += cellNumber(grid.text(r, c));
    const int t = grid.appendRow();
    grid.setText(t, 0, QString::number(t - 1));
    grid.setText(t, 1, QStringLiteral("合计"));
    for (int c = 2; c < grid.cols(); ++c)
        grid.setText(t, c, plainNumber(sums[std::size_t(c)]));
    for (int c = 1; c < grid.cols(); ++c)
        grid.setBackground(t, c, kTotalColour);
}

void ExportGrids::ledger(ReportGrid& grid, int workers)
{
    LedgerReport().layoutGrid(grid, {});
    Draw d(1130);
    const RedrawPause pause(grid);
    const QString standard = formatNumber(160, QStringLiteral("0.00"));
    for (int w = 0; w < workers; ++w) {
        const QString name = QString::fromUtf16(kNames[w % int(std::size(kNames))]) + QStringLiteral("【")
            + QString::fromUtf16(kTrades[w % int(std::size(kTrades))]) + QStringLiteral("】");
        LedgerWorkerBlock block(grid);
        block.addWorkerLine(name, formatNumber(d.below(20000) / 100.0, QStringLiteral("0.00")), standard,
                            formatNumber(d.below(500000) / 100.0, QStringLiteral("0.00")),
                            formatNumber(d.below(900000) / 100.0, QStringLiteral("0.00")));
        block.close();
    }
    std::array<double, 4> totals {};
    for (int r = LedgerReport::kHeaderRows; r < grid.rows(); ++r)
        if (grid.text(r, 2) == QStringLiteral("合计"))
            for (std::size_t i = 0; i < totals.size(); ++i)
                totals[i] += cellNumber(grid.text(r, LedgerWorkerBlock::kFigureColumns[i]));
    const int t = LedgerWorkerBlock::appendNumberedRow(grid);
    LedgerWorkerBlock::writeSumLine(grid, t, QStringLiteral("总计"), totals, kTotalColour);
}

ExportContext ExportGrids::context(ReportKind kind, const ReportGrid& grid, const CategoryTable& categories)
{
    ExportContext c;
    c.grid = &grid;
    c.startDate = QDate(2026, 11, 1);
    c.endDate = QDate(2026, 11, 30);
    c.regionName = QStringLiteral("南区");
    QStringList names;
    for (const CategoryEntry& e : categories)
        names << e.name;
    c.categoryNames = kind == ReportKind::MonthEnd ? QString() : names.join(QStringLiteral("，"));
    c.today = QDate(2026, 12, 1);
    c.title = findReport(kind).info().title;
    if (kind == ReportKind::MonthEnd)
        c.typeAnalysis = { QStringLiteral("0"), QString(), QString(), QStringLiteral("5123"), QStringLiteral("9377"),
                           QStringLiteral("2411"), QStringLiteral("3306") };
    c.remark = kind == ReportKind::MonthEnd ? QStringLiteral("本月数据已核对。") : QString();
    return c;
}

} // namespace trellum::bench
