#include "DirectWorkbook.h"

#include "CellText.h"
#include "DirectFormats.h"

#include <QFile>

#include <xlsxwriter.h>

#include <initializer_list>
#include <memory>

namespace trellum::bench {

namespace {

using F = DirectFormats;

constexpr std::uint16_t kBody = F::Font | F::Size9;
constexpr std::uint16_t kBoxed = F::Font | F::Size9 | F::Border;

struct CloseWorkbook {
    void operator()(lxw_workbook* w) const { lxw_workbook_free(w); }
};

// Digits with an optional sign and at most one decimal point read as a number.
bool numberShape(const QString& t)
{
    int digits = 0;
    int points = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (c == u'.')
            ++points;
        else if (!(i == 0 && (c == u'-' || c == u'+')))
            return false;
    }
    return digits > 0 && points <= 1;
}

// Opens, fills through `fill` and closes a workbook of one sheet.
template <typename Fill>
bool writeBook(const QString& path, Fill fill)
{
    std::unique_ptr<lxw_workbook, CloseWorkbook> book(workbook_new(QFile::encodeName(path).constData()));
    if (!book)
        return false;
    lxw_worksheet* sheet = workbook_add_worksheet(book.get(), nullptr);
    DirectFormats formats(book.get());
    fill(sheet, formats);
    return workbook_close(book.release()) == LXW_NO_ERROR;
}

} // namespace

DirectWorkbook::DirectWorkbook(lxw_worksheet* sheet, DirectFormats& formats)
    : m_sheet(sheet)
    , m_formats(formats)
{
}

void DirectWorkbook::text(int row, int col, const QString& text, std::uint16_t key)
{
    lxw_format* f = m_formats.get(key);
    if (text.isEmpty()) {
        if (f)
            worksheet_write_blank(m_sheet, lxw_row_t(row - 1), lxw_col_t(col - 1), f);
    } else if (numberShape(text)) {
        worksheet_write_number(m_sheet, lxw_row_t(row - 1), lxw_col_t(col - 1), text.toDouble(), f);
    } else {
        worksheet_write_string(m_sheet, lxw_row_t(row - 1), lxw_col_t(col - 1), text.toUtf8().constData(), f);
    }
}

void DirectWorkbook::number(int row, int col, const QString& text, std::uint16_t key)
{
    lxw_format* f = m_formats.get(key);
    if (text.isEmpty())
        worksheet_write_blank(m_sheet, lxw_row_t(row - 1), lxw_col_t(col - 1), f);
    else
        worksheet_write_number(m_sheet, lxw_row_t(row - 1), lxw_col_t(col - 1), text.toDouble(), f);
}

void DirectWorkbook::blank(int row, int col, std::uint16_t key)
{
    if (lxw_format* f = m_formats.get(key))
        worksheet_write_blank(m_sheet, lxw_row_t(row - 1), lxw_col_t(col - 1), f);
}

template <typename KeyAt>
void DirectWorkbook::merge(const Area& a, const QString& value, KeyAt keyAt)
{
    worksheet_merge_range(m_sheet, lxw_row_t(a.top - 1), lxw_col_t(a.left - 1), lxw_row_t(a.bottom - 1),
                          lxw_col_t(a.right - 1), "", m_formats.get(keyAt(a.top, a.left), true));
    for (int r = a.top; r <= a.bottom; ++r)
        for (int c = a.left; c <= a.right; ++c) {
            lxw_format* f = m_formats.get(keyAt(r, c), true);
            if (r == a.top && c == a.left && !value.isEmpty()) {
                if (numberShape(value))
                    worksheet_write_number(m_sheet, lxw_row_t(r - 1), lxw_col_t(c - 1), value.toDouble(), f);
                else
                    worksheet_write_string(m_sheet, lxw_row_t(r - 1), lxw_col_t(c - 1), value.toUtf8().constData(), f);
            } else {
                worksheet_write_blank(m_sheet, lxw_row_t(r - 1), lxw_col_t(c - 1), f);
            }
        }
}

void DirectWorkbook::widths(const ReportGrid& grid)
{
    for (int c = 0; c < grid.cols(); ++c)
        worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c), grid.colWidth(c) / 110.0, nullptr);
}

bool DirectWorkbook::writeMonthEnd(const ExportContext& ctx, const QString& path)
{
    return writeBook(path, [&ctx](lxw_worksheet* sheet, DirectFormats& formats) {
        const ReportGrid& grid = *ctx.grid;
        const int n = grid.cols();
        const int r = grid.rows();
        DirectWorkbook w(sheet, formats);
        w.widths(grid);
        worksheet_set_row(sheet, 3, LXW_DEF_ROW_HEIGHT, formats.get(F::Wrap));
        worksheet_set_row(sheet, 4, 30, formats.get(F::Wrap));

        // title, period
        w.merge({ 1, 1, 1, n }, ctx.title, [](int, int c) -> std::uint16_t { return F::Centre | F::Font | (c <= 18 ? F::Bold : 0); });
        for (int c = 1; c <= n; ++c)
            w.blank(2, c, kBody);
        w.merge({ 3, 1, 3, 2 }, QStringLiteral(" 汇总日期: ") + isoDate(ctx.startDate) + QStringLiteral(" 至 ") + isoDate(ctx.endDate),
                [](int, int) { return kBody; });
        for (int c = 3; c <= n; ++c)
            w.blank(3, c, kBody);

        // the two header rows and their merges
        const auto head = [](int, int) -> std::uint16_t { return F::Centre | F::TotalFill | kBoxed | F::Wrap; };
        for (int c = 1; c <= 7; ++c)
            w.merge({ 4, c, 5, c }, grid.text(0, c - 1), head);
        for (const Area& a : { Area { 4, 8, 4, 11 }, Area { 4, 12, 4, 13 }, Area { 4, 14, 4, 17 }, Area { 4, 18, 5, 18 },
                               Area { 4, 19, 5, 19 } })
            w.merge(a, grid.text(0, a.left - 1), head);
        if (n > 20)
            w.merge({ 4, 20, 4, n }, grid.text(0, 19), head);
        for (int c = 8; c <= n; ++c)
            if (c != 18 && c != 19)
                w.text(5, c, grid.text(1, c - 1), head(5, c));

        // office rows and the totals row
        for (int i = 2; i < r; ++i) {
            const std::uint16_t fill = i == r - 1 ? F::TotalFill : 0;
            w.text(i + 4, 1, grid.text(i, 0), kBoxed | fill);
            w.text(i + 4, 2, grid.text(i, 1), kBoxed | fill);
            for (int j = 2; j < n; ++j)
                w.number(i + 4, j + 1, grid.text(i, j), F::Right | F::Whole | kBoxed | fill);
        }

        // the type-analysis block
        const auto boxed = [](int, int) { return kBoxed; };
        for (int row = r + 4; row <= r + 7; ++row)
            for (int c = 1; c <= n; ++c)
                if (row == r + 7 || c == 1 || (row > r + 4 && c >= 3 && c <= 9))
                    w.blank(row, c, row == r + 7 ? kBody : kBoxed);
        w.merge({ r + 4, 2, r + 4, n }, QString(), boxed);
        w.merge({ r + 5, 2, r + 6, 2 }, QStringLiteral("类型分析"), boxed);
        const char16_t* const labels[] = { u"维修", u"开箱", u"设摊", u"访问", u"电话", u"其他", u"微信" };
        for (int i = 0; i < 7; ++i)
            w.text(r + 5, 3 + i, QString::fromUtf16(labels[i]), kBoxed);
        for (int box : { 0, 3, 4, 5, 6 })
            w.text(r + 6, 3 + box, ctx.typeAnalysis[std::size_t(box)], kBoxed);
        w.merge({ r + 5, 10, r + 6, 10 }, QStringLiteral("附记:"), boxed);
        w.merge({ r + 5, 11, r + 6, n }, ctx.remark, boxed);
    });
}

bool DirectWorkbook::writeLedger(const ExportContext& ctx, const QString& path)
{
    return writeBook(path, [&ctx](lxw_worksheet* sheet, DirectFormats& formats) {
        const ReportGrid& grid = *ctx.grid;
        constexpr int n = 18;
        const int r = grid.rows();
        DirectWorkbook w(sheet, formats);
        w.widths(grid);
        const auto body = [](int, int) { return kBody; };

        // title, form number, team, period, units
        w.merge({ 1, 1, 1, n }, ctx.title, [](int, int) -> std::uint16_t { return F::Centre | F::Font | F::Bold; });
        w.merge({ 2, 17, 2, 18 }, QStringLiteral(" 表 号: Velmor(90)统另4表"), [](int, int) -> std::uint16_t { return F::Left | kBody; });
        w.merge({ 3, 1, 3, 3 }, QStringLiteral(" 班    组: ") + ctx.regionName, body);
        w.merge({ 3, 8, 3, 11 }, QStringLiteral(" 统计日期: ") + isoDate(ctx.startDate) + QStringLiteral(" 至 ") + isoDate(ctx.endDate),
                [](int, int) -> std::uint16_t { return F::Centre | kBody; });
        w.merge({ 3, 17, 3, 18 }, QStringLiteral(" 单 位: 小时 元"), body);
        for (int c = 1; c <= 16; ++c)
            w.blank(2, c, kBody);
        for (int c = 4; c <= 16; ++c)
            if (c < 8 || c > 11)
                w.blank(3, c, kBody);

        // the three header rows as the printed form merges them
        const auto head = [](int, int) -> std::uint16_t { return F::Centre | kBoxed; };
        static constexpr Area merges[] = { { 4, 1, 6, 1 },   { 4, 2, 4, 3 },   { 5, 2, 6, 2 },   { 5, 3, 6, 3 },
                                           { 4, 4, 4, 8 },   { 5, 4, 5, 7 },   { 5, 8, 6, 8 },   { 4, 9, 4, 12 },
                                           { 5, 9, 5, 11 },  { 5, 12, 6, 12 }, { 4, 13, 4, 16 }, { 5, 13, 5, 15 },
                                           { 5, 16, 6, 16 }, { 4, 17, 4, 18 }, { 5, 17, 6, 17 }, { 5, 18, 6, 18 } };
        for (const Area& a : merges)
            w.merge(a, grid.text(a.top - 4, a.left - 1), head);
        for (int c : { 4, 5, 6, 7, 9, 10, 11, 13, 14, 15 })
            w.text(6, c, grid.text(2, c - 1), head(6, c));

        // worker lines, empty lines, subtotal lines and the total line
        for (int i = 3; i < r; ++i) {
            std::uint16_t fill = 0;
            if (i == r - 1)
                fill = F::TotalFill;
            else if (grid.text(i, 2).contains(QStringLiteral("合计")) && grid.background(i, n - 1))
                fill = F::SubtotalFill;
            for (int j = 0; j < n; ++j) {
                if (j == 7 || j == 11 || j == 15)
                    w.number(i + 4, j + 1, grid.text(i, j), F::Right | F::Hundredths | kBoxed | fill);
                else
                    w.text(i + 4, j + 1, grid.text(i, j), kBoxed | fill);
            }
        }
        for (int c = 1; c <= n; ++c)
            w.blank(r + 4, c, kBody);
        w.text(r + 5, 2, QStringLiteral(" 报修类别: ") + ctx.categoryNames, 0);
    });
}

} // namespace trellum::bench
