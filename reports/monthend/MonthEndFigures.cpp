#include "MonthEndReport.h"

#include "CellText.h"
#include "RedrawPause.h"

#include <optional>
#include <utility>
#include <vector>

namespace trellum {

namespace {

constexpr int kHeaderRows = MonthEndReport::kHeaderRows;
constexpr int kStandardColumns = MonthEndReport::kStandardColumns;

// Header rows 0 and 1 of the standard columns.
const char16_t* const kHeader0[kStandardColumns] = {
    u"序", u"小区名称", u"上月结转", u"本月报修", u"本月注解", u"本月外转", u"转计划单",
    u"实际报修", u"实际报修", u"实际报修", u"实际报修", u"本月超期", u"本月超期",
    u"本月完成", u"本月完成", u"本月完成", u"本月完成", u"及时率", u"本月结转",
};
const char16_t* const kHeader1[kStandardColumns] = {
    u"序", u"小区名称", u"上月结转", u"本月报修", u"本月注解", u"本月外转", u"转计划单",
    u"直管房", u"公用部位", u"售后房", u"合计", u"一", u"三",
    u"直管房", u"公用部位", u"售后房", u"合计", u"及时率", u"本月结转",
};

// A count of the outer statement: empty for NULL (no matching order), else an integer.
QString countText(const DbCursor& cur, const QString& field)
{
    return cur.isNull(field) ? QString() : formatNumber(cur.number(field), QStringLiteral("0"));
}

// One row of the outer statement: the office and its counts by grid column.
struct OfficeRow {
    std::optional<QString> code; // gyd_dh, absent for an office without a 设置管理处 row
    QString name;
    std::vector<std::pair<int, QString>> counts;
};

OfficeRow readOffice(const DbCursor& cur)
{
    static const std::pair<int, const char16_t*> kFields[] = {
        { 2, u"上月结转" }, { 3, u"本月报修" }, { 4, u"转注销" }, { 6, u"转计划" },
        { 7, u"直管房" }, { 8, u"公用部位" }, { 9, u"售后房" },
        { 13, u"直管房完成" }, { 14, u"公用部位完成" }, { 15, u"售后房完成" }, { 18, u"本月结存" },
    };
    OfficeRow row;
    if (!cur.isNull(QStringLiteral("gyd_dh")))
        row.code = cur.text(QStringLiteral("gyd_dh"));
    row.name = cur.text(QStringLiteral("gyd_name"));
    for (const auto& [col, field] : kFields)
        row.counts.emplace_back(col, countText(cur, QString::fromUtf16(field)));
    return row;
}

// Column `to` := the sum of the numeric values of columns `from` to `from` + 2 (empty counts 0).
void writeSum(ReportGrid& grid, int row, int from, int to)
{
    double sum = 0;
    for (int c = from; c < from + 3; ++c)
        sum += cellNumber(grid.text(row, c));
    grid.setText(row, to, plainNumber(sum));
}

// The totals row over every column from 2 on; the never-filled columns total "0" as well.
void appendTotals(ReportGrid& grid)
{
    std::vector<double> sums(std::size_t(grid.cols()), 0.0);
    for (int r = kHeaderRows; r < grid.rows(); ++r)
        for (int c = 2; c < grid.cols(); ++c)
            sums[std::size_t(c)] += cellNumber(grid.text(r, c));
    const int t = grid.appendRow();
    grid.setRow(t);
    // the totals row is numbered too: one more than the office rows
    grid.setText(t, 0, QString::number(t - 1));
    grid.setText(t, 1, QStringLiteral("合计"));
    for (int c = 2; c < grid.cols(); ++c)
        grid.setText(t, c, plainNumber(sums[std::size_t(c)]));
    for (int c = 1; c < grid.cols(); ++c)
        grid.setBackground(t, c, kTotalColour);
}

// Writes an office row's category counts, each into its own category column: found by code in
// the window's CategoryTable, so two categories of one name keep their counts apart.
void writeCategoryCells(ReportGrid& grid, int row, const RunInput& input, const std::vector<std::optional<double>>& counts)
{
    const QStringList& ticked = input.criteria.tickedCategoryCodes;
    for (qsizetype k = 0; k < ticked.size() && std::size_t(k) < counts.size(); ++k) {
        // no completed order of this office and category: the cell stays empty
        if (!counts[std::size_t(k)])
            continue;
        for (std::size_t j = 0; j < input.categories.size(); ++j) {
            if (input.categories[j].code == ticked[k]) {
                grid.setText(row, kStandardColumns + int(j), formatNumber(*counts[std::size_t(k)], QStringLiteral("0")));
                break;
            }
        }
    }
}

} // namespace

MonthEndReport::Sources MonthEndReport::groupedSources()
{
    return { countsStatement, CountCategories, FillTypeAnalysis };
}

MonthEndReport::MonthEndReport(Sources sources)
    : m_sources(std::move(sources))
{
}

void MonthEndReport::layoutGrid(ReportGrid& grid, const CategoryTable& categories) const
{
    const int cols = kStandardColumns + int(categories.size());
    const RedrawPause pause(grid);
    grid.setRows(kHeaderRows);
    grid.setCols(cols);
    grid.setFixedRows(kHeaderRows);
    grid.setFixedCols(1);
    QString format = QStringLiteral("^|< |> |> |> |> |> |> |> |> |> |> |> |> |> |> |> |> |> ");
    for (std::size_t j = 0; j < categories.size(); ++j)
        format += QStringLiteral("|>");
    grid.setFormatString(format);
    grid.setMergeCells(true);
    for (int c = 0; c < cols; ++c)
        grid.setHeaderAlign(c, CellAlign::Centre);
    grid.setWordWrap(true);
    grid.setRowHeight(0, 300);
    grid.setRowHeight(1, 800);
    for (int c = 0; c < kStandardColumns; ++c) {
        grid.setText(0, c, QString::fromUtf16(kHeader0[c]));
        grid.setText(1, c, QString::fromUtf16(kHeader1[c]));
        grid.setColWidth(c, c == 1 ? 3000 : 600);
    }
    for (int j = 0; j < int(categories.size()); ++j) {
        const int c = kStandardColumns + j;
        grid.setText(0, c, QStringLiteral("工种分析"));
        grid.setText(1, c, categories[std::size_t(j)].name);
        grid.setColWidth(c, 600);
    }
    grid.setMergeRow(0, true);
    for (int c : { 0, 1, 2, 3, 4, 5, 6, 17, 18 })
        grid.setMergeCol(c, true);
}

DbStatus MonthEndReport::run(DbConnection& db, const RunInput& input, ReportGrid& grid, TypeAnalysis& boxes) const
{
    boxes = TypeAnalysis();
    // a failing statement leaves the header rows only and empty boxes
    auto fail = [&](const DbError& e) -> DbStatus {
        grid.setRows(kHeaderRows);
        boxes = TypeAnalysis();
        return e;
    };
    if (DbStatus s = fillOffices(db, input, grid))
        return fail(*s);
    if (DbStatus s = m_sources.boxes(db, input.criteria, boxes))
        return fail(*s);
    return std::nullopt;
}

DbStatus MonthEndReport::fillOffices(DbConnection& db, const RunInput& input, ReportGrid& grid) const
{
    // the office rows and the totals row are drawn once, before the type-analysis statement goes out
    const RedrawPause pause(grid);
    // The outer result is read whole before the category statements go out on the same connection,
    // which serves one open result at a time on the server backend.
    db.setCommandTimeout(0);
    DbCursor cur = db.select(m_sources.counts(input.criteria));
    grid.setRows(kHeaderRows);
    if (cur.failed())
        return cur.error();
    std::vector<OfficeRow> offices;
    while (cur.next())
        offices.push_back(readOffice(cur));
    if (cur.failed())
        return cur.error();

    std::vector<std::optional<QString>> codes;
    for (const OfficeRow& office : offices)
        codes.push_back(office.code);
    CategoryCells cells;
    if (DbStatus s = m_sources.categories(db, input.criteria, codes, cells))
        return s;

    for (std::size_t i = 0; i < offices.size(); ++i) {
        const OfficeRow& office = offices[i];
        const int r = grid.appendRow();
        grid.setRow(r);
        grid.setText(r, 0, QString::number(r - 1));
        // an office mapped to the region without a 设置管理处 row shows with an empty name
        grid.setText(r, 1, office.name);
        if (office.code)
            grid.setRowKey(r, { *office.code });
        for (const auto& [col, text] : office.counts)
            grid.setText(r, col, text);
        writeSum(grid, r, 7, 10);
        writeSum(grid, r, 13, 16);
        if (i < cells.size())
            writeCategoryCells(grid, r, input, cells[i]);
    }
    appendTotals(grid);
    return std::nullopt;
}

std::optional<CellDetail> MonthEndReport::cellDetail(const RunInput& input, const ReportGrid& grid, int row, int col) const
{
    if (row < kHeaderRows || row >= grid.rows())
        return std::nullopt;
    const std::vector<QStringList> keys = keysBehind(grid, row, 1, QStringLiteral("合计"));
    CellDetail detail = namedCell(info().title, grid, row, col, 1);
    detail.parts = detailParts(input.criteria, col, input.categories, officeRowsTable(keys));
    // a category column of a category not ticked counts no orders: its list is empty
    if (detail.parts.empty() && col < kStandardColumns)
        return std::nullopt;
    return detail;
}

} // namespace trellum
