#include "DirectFormats.h"

#include <xlsxwriter.h>

namespace trellum::bench {

DirectFormats::DirectFormats(lxw_workbook* workbook)
    : m_workbook(workbook)
{
}

lxw_format* DirectFormats::get(std::uint16_t key, bool explicitPlain)
{
    if (key == 0 && !explicitPlain)
        return nullptr;
    lxw_format*& f = m_formats[key];
    if (!f)
        f = make(key);
    return f;
}

lxw_format* DirectFormats::make(std::uint16_t key)
{
    lxw_format* f = workbook_add_format(m_workbook);
    switch (key & 3) {
    case Left: format_set_align(f, LXW_ALIGN_LEFT); break;
    case Centre: format_set_align(f, LXW_ALIGN_CENTER); break;
    case Right: format_set_align(f, LXW_ALIGN_RIGHT); break;
    default: break;
    }
    if ((key & (3 << 2)) == Whole)
        format_set_num_format(f, "#0");
    else if ((key & (3 << 2)) == Hundredths)
        format_set_num_format(f, "#0.00");
    // the report colours, red-green-blue
    if ((key & (3 << 4)) == TotalFill)
        format_set_bg_color(f, 0xC0C0FF);
    else if ((key & (3 << 4)) == SubtotalFill)
        format_set_bg_color(f, 0xC0FFFF);
    if (key & Font)
        format_set_font_name(f, "微软雅黑");
    if (key & Bold)
        format_set_bold(f);
    if (key & Size9)
        format_set_font_size(f, 9);
    if (key & Border)
        format_set_border(f, LXW_BORDER_THIN);
    if (key & Wrap)
        format_set_text_wrap(f);
    return f;
}

} // namespace trellum::bench
