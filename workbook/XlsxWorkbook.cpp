#include "XlsxWorkbook.h"

#include "OutputFile.h"
#include "PageGeometry.h"

#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

#include <cerrno>
#include <map>
#include <set>
#include <tuple>
#include <utility>

namespace trellum {

namespace {

DbError writerError(lxw_error number)
{
    return { number, QString::fromUtf8(lxw_strerror(number)) };
}

// Owns a workbook until it is closed; one that is never closed is freed without writing a file.
class WorkbookHandle {
public:
    explicit WorkbookHandle(lxw_workbook* workbook) : m_workbook(workbook) {}
    ~WorkbookHandle()
    {
        if (m_workbook)
            lxw_workbook_free(m_workbook);
    }
    WorkbookHandle(const WorkbookHandle&) = delete;
    WorkbookHandle& operator=(const WorkbookHandle&) = delete;

    lxw_workbook* get() const { return m_workbook; }
    // Writes the file and frees the workbook, whatever the outcome.
    lxw_error close() { return workbook_close(std::exchange(m_workbook, nullptr)); }

private:
    lxw_workbook* m_workbook;
};

// One cell format per distinct style, made the first time the style is asked for.
class FormatTable {
public:
    explicit FormatTable(lxw_workbook* workbook) : m_workbook(workbook) {}

    // The format of `style`: nullptr for the default style unless `explicitDefault` (a cell of a
    // merged area must carry a format of its own, or it takes the merge's). Null on failure too.
    lxw_format* get(const CellStyle& style, bool explicitDefault)
    {
        if (style == CellStyle() && !explicitDefault)
            return nullptr;
        const auto key = std::make_tuple(int(style.align), style.numberFormat, style.fill, style.fontName,
                                         style.bold, style.fontSize, style.border, style.wrap);
        const auto found = m_formats.find(key);
        if (found != m_formats.end())
            return found->second;
        lxw_format* f = workbook_add_format(m_workbook);
        if (!f)
            return nullptr;
        switch (style.align) {
        case SheetAlign::General: break;
        case SheetAlign::Left: format_set_align(f, LXW_ALIGN_LEFT); break;
        case SheetAlign::Centre: format_set_align(f, LXW_ALIGN_CENTER); break;
        case SheetAlign::Right: format_set_align(f, LXW_ALIGN_RIGHT); break;
        }
        if (!style.numberFormat.isEmpty())
            format_set_num_format(f, style.numberFormat.toUtf8().constData());
        if (style.fill) {
            // blue-green-red in, red-green-blue out
            const BgrColour c = *style.fill;
            format_set_bg_color(f, lxw_color_t(((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu)));
        }
        if (!style.fontName.isEmpty())
            format_set_font_name(f, style.fontName.toUtf8().constData());
        if (style.bold)
            format_set_bold(f);
        if (style.fontSize > 0)
            format_set_font_size(f, style.fontSize);
        if (style.border)
            format_set_border(f, LXW_BORDER_THIN);
        if (style.wrap)
            format_set_text_wrap(f);
        m_formats.emplace(key, f);
        return f;
    }

private:
    using Key = std::tuple<int, QString, std::optional<BgrColour>, QString, bool, double, bool, bool>;
    lxw_workbook* m_workbook;
    std::map<Key, lxw_format*> m_formats;
};

bool insideSheet(int row, int col)
{
    return row >= 1 && col >= 1 && row <= LXW_ROW_MAX && col <= LXW_COL_MAX;
}

lxw_error writeValue(lxw_worksheet* ws, int row, int col, const CellValue& value, lxw_format* format)
{
    const auto r = lxw_row_t(row - 1);
    const auto c = lxw_col_t(col - 1);
    switch (value.kind) {
    case CellValue::Kind::Number: return worksheet_write_number(ws, r, c, value.number, format);
    case CellValue::Kind::Text: return worksheet_write_string(ws, r, c, value.text.toUtf8().constData(), format);
    case CellValue::Kind::Empty: break;
    }
    return format ? worksheet_write_blank(ws, r, c, format) : LXW_NO_ERROR;
}

// The page setup: A4, landscape where the form is wide, one page wide, centred, the column
// headers on every page and the page number in the footer.
lxw_error setUpPages(lxw_worksheet* ws, const Sheet& sheet)
{
    constexpr double inch = 72;
    worksheet_set_paper(ws, 9); // A4
    if (PageGeometry::landscape(sheet))
        worksheet_set_landscape(ws);
    else
        worksheet_set_portrait(ws);
    worksheet_fit_to_pages(ws, 1, 0);
    worksheet_center_horizontally(ws);
    worksheet_set_margins(ws, PageGeometry::kMarginSide / inch, PageGeometry::kMarginSide / inch,
                          PageGeometry::kMarginTop / inch, PageGeometry::kMarginBottom / inch);
    if (const auto titles = sheet.printTitleRows()) {
        if (!insideSheet(titles->second, 1))
            return LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
        if (const lxw_error e = worksheet_repeat_rows(ws, lxw_row_t(titles->first - 1), lxw_row_t(titles->second - 1)))
            return e;
    }
    return worksheet_set_footer(ws, "&C第 &P 页 共 &N 页");
}

} // namespace

DbStatus XlsxWorkbook::saveAs(const QString& path) const
{
    // A device or a named pipe is sent the finished file, made in a scratch file.
    OutputFile out;
    QByteArray file;
    if (auto error = out.open(path))
        return error;
    if (auto error = out.fileToFill(&file))
        return error;
    if (auto error = writeTo(file))
        return error;
    if (auto error = out.commitFilled())
        return error;
    return std::nullopt;
}

DbStatus XlsxWorkbook::writeTo(const QByteArray& file) const
{
    WorkbookHandle workbook(workbook_new(file.constData()));
    if (!workbook.get())
        return writerError(LXW_ERROR_MEMORY_MALLOC_FAILED);
    lxw_worksheet* ws = workbook_add_worksheet(workbook.get(), nullptr);
    if (!ws)
        return writerError(LXW_ERROR_MEMORY_MALLOC_FAILED);
    FormatTable formats(workbook.get());
    const DbError noFormat = writerError(LXW_ERROR_MEMORY_MALLOC_FAILED);
    const DbError outside = writerError(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE);

    for (const auto& [col, width] : m_sheet.columnWidths()) {
        if (!insideSheet(1, col))
            return outside;
        if (const lxw_error e = worksheet_set_column(ws, lxw_col_t(col - 1), lxw_col_t(col - 1), width, nullptr))
            return writerError(e);
    }

    std::set<int> rows;
    for (const auto& [row, height] : m_sheet.rowHeights())
        rows.insert(row);
    for (const auto& [row, wrap] : m_sheet.rowWraps())
        rows.insert(row);
    for (const int row : rows) {
        if (!insideSheet(row, 1))
            return outside;
        const auto height = m_sheet.rowHeights().find(row);
        const auto wrap = m_sheet.rowWraps().find(row);
        lxw_format* format = nullptr;
        if (wrap != m_sheet.rowWraps().end() && wrap->second) {
            CellStyle wrapped;
            wrapped.wrap = true;
            if (!(format = formats.get(wrapped, false)))
                return noFormat;
        }
        const double points = height == m_sheet.rowHeights().end() ? LXW_DEF_ROW_HEIGHT : height->second;
        if (const lxw_error e = worksheet_set_row(ws, lxw_row_t(row - 1), points, format))
            return writerError(e);
    }

    // A merged area first gets the top-left cell's format on every cell, then each of its cells
    // is written again with its own style (a default style explicitly, so as to replace the
    // merge's), the top-left one with the area's value.
    for (const SheetRange& m : m_sheet.merges()) {
        if (!insideSheet(m.top, m.left) || !insideSheet(m.bottom, m.right))
            return outside;
        lxw_format* topLeft = formats.get(m_sheet.style(m.top, m.left), true);
        if (!topLeft)
            return noFormat;
        if (const lxw_error e = worksheet_merge_range(ws, lxw_row_t(m.top - 1), lxw_col_t(m.left - 1),
                                                      lxw_row_t(m.bottom - 1), lxw_col_t(m.right - 1), "", topLeft))
            return writerError(e);
        for (int r = m.top; r <= m.bottom; ++r)
            for (int c = m.left; c <= m.right; ++c) {
                lxw_format* own = formats.get(m_sheet.style(r, c), true);
                if (!own)
                    return noFormat;
                const CellValue value = r == m.top && c == m.left ? m_sheet.value(r, c) : CellValue();
                if (const lxw_error e = writeValue(ws, r, c, value, own))
                    return writerError(e);
            }
    }

    for (const auto& [pos, cell] : m_sheet.cells()) {
        const auto [row, col] = pos;
        if (m_sheet.mergeAt(row, col))
            continue;
        if (!insideSheet(row, col))
            return outside;
        const CellStyle style = m_sheet.style(row, col);
        lxw_format* format = formats.get(style, false);
        if (!format && !(style == CellStyle()))
            return noFormat;
        if (const lxw_error e = writeValue(ws, row, col, cell.first, format))
            return writerError(e);
    }

    if (const lxw_error e = setUpPages(ws, m_sheet))
        return writerError(e);
    if (const lxw_error e = workbook.close())
        return writerError(e);
    return std::nullopt;
}

} // namespace trellum
