#include "SheetPainter.h"

#include "CellText.h"
#include "PageGeometry.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <map>
#include <tuple>

namespace trellum {

namespace {

// The fonts a cell's text is set in: its own, then the CJK fonts the program installs, so that a
// font the machine lacks ("微软雅黑") is stood in for by one that has every glyph.
const QStringList kStandInFonts = { QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC") };
constexpr double kDefaultFontPoints = 11;
constexpr double kPadding = 2; // points between a text and its cell's sides
constexpr double kLinePoints = 0.5;

QFont cellFont(const CellStyle& style, double points)
{
    QFont font;
    QStringList families;
    if (!style.fontName.isEmpty())
        families << style.fontName;
    families << kStandInFonts;
    font.setFamilies(families);
    font.setPointSizeF(std::max(points, 1.0));
    font.setBold(style.bold);
    font.setHintingPreference(QFont::PreferNoHinting); // paper needs no fitting of glyphs to pixels
    return font;
}

// The fonts of the cell styles met so far, each made once.
class FontCache {
public:
    const QFont& get(const CellStyle& style, double scale)
    {
        const double points = (style.fontSize > 0 ? style.fontSize : kDefaultFontPoints) * scale;
        const auto key = std::make_tuple(style.fontName, style.bold, points);
        auto it = m_fonts.find(key);
        if (it == m_fonts.end())
            it = m_fonts.emplace(key, cellFont(style, points)).first;
        return it->second;
    }

private:
    std::map<std::tuple<QString, bool, double>, QFont> m_fonts;
};

QColor colourOf(BgrColour c)
{
    return QColor(int(c & 0xFFu), int((c >> 8) & 0xFFu), int((c >> 16) & 0xFFu));
}

// The text a cell shows: a number in its format ("General" shows it plainly), a text as it is.
QString shownText(const CellValue& value, const CellStyle& style)
{
    switch (value.kind) {
    case CellValue::Kind::Number:
        return style.numberFormat.isEmpty() ? plainNumber(value.number) : formatNumber(value.number, style.numberFormat);
    case CellValue::Kind::Text: return value.text;
    case CellValue::Kind::Empty: break;
    }
    return {};
}

Qt::Alignment horizontal(const CellStyle& style, const CellValue& value)
{
    switch (style.align) {
    case SheetAlign::Left: return Qt::AlignLeft;
    case SheetAlign::Centre: return Qt::AlignHCenter;
    case SheetAlign::Right: return Qt::AlignRight;
    case SheetAlign::General: break;
    }
    return value.kind == CellValue::Kind::Number ? Qt::AlignRight : Qt::AlignLeft;
}

} // namespace

QPageLayout SheetPainter::pageLayout() const
{
    using namespace PageGeometry;
    return QPageLayout(QPageSize(QPageSize::A4), landscape(m_sheet) ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(kMarginSide, kMarginTop, kMarginSide, kMarginBottom - kPageNumberBand),
                       QPageLayout::Point);
}

SheetPages SheetPainter::pages(const QPageLayout& layout) const
{
    const QRectF area = layout.paintRect(QPageLayout::Point);
    return SheetPages::plan(m_sheet, area.width(), std::max(area.height() - kPageNumberBand, 1.0));
}

bool SheetPainter::paint(QPagedPaintDevice& device) const
{
    const QPageLayout layout = device.pageLayout();
    const SheetPages plan = pages(layout);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setRenderHint(QPainter::Antialiasing, false);
    // painter units per point; the painter's origin is the top-left corner of the printable area
    const double unit = device.logicalDpiY() / 72.0;
    const QRectF area = layout.paintRect(QPageLayout::Point);
    const double formWidth = plan.columnLeft.back() * plan.scale;
    const double left = std::max(0.0, (area.width() - formWidth) / 2);
    const int count = int(plan.pages.size());
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !device.newPage())
            return false;
        const PageRows& page = plan.pages[std::size_t(i)];
        double top = 0;
        if (page.titleFirst > 0) {
            paintRows(painter, plan, page.titleFirst, page.titleLast, top, left, unit);
            top += plan.height(page.titleFirst, page.titleLast) * plan.scale;
        }
        paintRows(painter, plan, page.first, page.last, top, left, unit);

        painter.setPen(Qt::black);
        painter.setFont(cellFont(CellStyle(), 9));
        const QRectF band(0, (area.height() - kPageNumberBand) * unit, area.width() * unit, kPageNumberBand * unit);
        painter.drawText(band, Qt::AlignHCenter | Qt::AlignBottom,
                         QStringLiteral("第 %1 页 共 %2 页").arg(i + 1).arg(count));
    }
    return painter.end();
}

void SheetPainter::paintRows(QPainter& painter, const SheetPages& plan, int first, int last, double top,
                             double left, double unit) const
{
    const int columns = int(plan.columnLeft.size()) - 1;
    const double k = unit * plan.scale; // painter units per sheet point
    auto x = [&](int col) { return (left / plan.scale + plan.columnLeft[std::size_t(col - 1)]) * k; };
    std::vector<double> y; // top edge of each row of the band, and its bottom
    y.reserve(std::size_t(last - first + 2));
    double edge = top * unit;
    for (int r = first; r <= last; ++r) {
        y.push_back(edge);
        edge += plan.rowHeights[std::size_t(r - 1)] * k;
    }
    y.push_back(edge);
    auto rowTop = [&](int r) { return y[std::size_t(r - first)]; };

    // the merged areas that reach into the band, by their first cell in it
    std::map<std::pair<int, int>, SheetRange> areas;
    std::map<std::pair<int, int>, bool> covered;
    for (const SheetRange& m : m_sheet.merges()) {
        if (m.bottom < first || m.top > last)
            continue;
        const SheetRange inBand { std::max(m.top, first), m.left, std::min(m.bottom, last), std::min(m.right, columns) };
        areas[{ inBand.top, inBand.left }] = m;
        for (int r = inBand.top; r <= inBand.bottom; ++r)
            for (int c = inBand.left; c <= inBand.right; ++c)
                covered[{ r, c }] = true;
    }
    auto occupied = [&](int r, int c) {
        return covered.count({ r, c }) || m_sheet.value(r, c).kind != CellValue::Kind::Empty;
    };

    struct Box {
        QRectF rect;
        CellStyle style;
    };
    std::vector<Box> borders;
    FontCache fonts;
    const double line = kLinePoints * unit;
    for (int r = first; r <= last; ++r) {
        for (int c = 1; c <= columns; ++c) {
            const auto area = areas.find({ r, c });
            if (area == areas.end() && covered.count({ r, c }))
                continue;
            SheetRange span = SheetRange::cell(r, c);
            if (area != areas.end())
                span = { r, c, std::min(area->second.bottom, last), std::min(area->second.right, columns) };
            const int valueRow = area != areas.end() ? area->second.top : r;
            const CellStyle style = m_sheet.style(valueRow, c);
            const CellValue value = m_sheet.value(valueRow, c);
            const QRectF rect(QPointF(x(span.left), rowTop(span.top)),
                              QPointF(x(span.right + 1), rowTop(span.bottom + 1)));
            if (style.fill)
                painter.fillRect(rect, colourOf(*style.fill));
            if (style.border)
                borders.push_back({ rect, style });
            const QString text = shownText(value, style);
            if (text.isEmpty())
                continue;

            const Qt::Alignment align = horizontal(style, value);
            QFont font = fonts.get(style, plan.scale);
            painter.setFont(font);
            const double pad = kPadding * k;
            QRectF textRect = rect.adjusted(pad, 0, -pad, 0);
            const int flags = int(align) | Qt::AlignVCenter | (style.wrap ? Qt::TextWordWrap : Qt::TextSingleLine);
            auto needed = [&] {
                if (style.wrap)
                    return painter.boundingRect(textRect, flags, text).size();
                const QFontMetricsF metrics(painter.font(), painter.device());
                return QSizeF(metrics.horizontalAdvance(text), metrics.height());
            };
            QSizeF size = needed();
            // a text wider than a single cell runs over the empty cells beside it
            if (!style.wrap && area == areas.end() && size.width() > textRect.width()) {
                int from = c, to = c;
                const bool right = align != Qt::AlignRight, leftward = align != Qt::AlignLeft;
                while (right && to < columns && !occupied(r, to + 1) && size.width() > x(to + 1) - x(from) - 2 * pad)
                    ++to;
                while (leftward && from > 1 && !occupied(r, from - 1) && size.width() > x(to + 1) - x(from) - 2 * pad)
                    --from;
                textRect = QRectF(QPointF(x(from) + pad, rect.top()), QPointF(x(to + 1) - pad, rect.bottom()));
            }
            // what still does not fit is set smaller
            for (int shrink = 0; shrink < 12; ++shrink) {
                if (size.width() <= textRect.width() + 0.5 && size.height() <= textRect.height() + 0.5)
                    break;
                font.setPointSizeF(font.pointSizeF() * 0.9);
                painter.setFont(font);
                size = needed();
            }
            painter.setPen(Qt::black);
            painter.drawText(textRect, flags, text);
        }
    }
    painter.setPen(QPen(Qt::black, line));
    painter.setBrush(Qt::NoBrush);
    for (const Box& b : borders)
        painter.drawRect(b.rect);
}

} // namespace trellum
