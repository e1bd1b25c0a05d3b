#include "UiLook.h"

#include <QStringList>

namespace trellum {

QFont UiLook::yahei(double points, bool bold)
{
    QFont font;
    font.setFamilies({ QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"),
                       QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                       QStringLiteral("Noto Sans CJK") });
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont UiLook::gridFont()
{
    return yahei(9);
}

QColor UiLook::colour(BgrColour bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

} // namespace trellum
