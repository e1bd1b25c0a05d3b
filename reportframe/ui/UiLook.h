#pragma once

#include "ReportGrid.h"

#include <QColor>
#include <QFont>

namespace trellum {

// The fonts and colours the windows share.
class UiLook {
public:
    // 微软雅黑 at the given size, falling back to an installed CJK font.
    static QFont yahei(double points, bool bold = false);
    // The result grid's font: 微软雅黑 9 point.
    static QFont gridFont();
    // A blue-green-red colour value as a QColor.
    static QColor colour(BgrColour bgr);
    // The light blue of the report windows' bands and panels.
    static QColor panelBlue() { return colour(0xFFFBE8); }
    // Grid lines: light grey.
    static QColor gridLines() { return QColor(192, 192, 192); }
};

} // namespace trellum
