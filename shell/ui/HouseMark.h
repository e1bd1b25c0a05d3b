#pragma once

#include <QColor>
#include <QPointF>

class QPainter;

namespace trellum {

// The repair department's mark: a roof line with a wrench across it, drawn in a 64 × 64 box.
struct HouseMark {
    QColor outline = QColor(255, 255, 255, 230);
    QColor wrench = QColor(255, 196, 64);
    bool jaw = true; // the wrench's open jaw at its upper end

    // Draws the mark with its box's top-left corner at `at`, `scale` times its own size.
    void draw(QPainter& p, const QPointF& at, double scale) const;
};

} // namespace trellum
