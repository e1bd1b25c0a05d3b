#include "HouseMark.h"

#include <QPainter>
#include <QPainterPath>

namespace trellum {

void HouseMark::draw(QPainter& p, const QPointF& at, double scale) const
{
    p.save();
    p.translate(at);
    p.scale(scale, scale);
    p.setPen(QPen(outline, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath house;
    house.moveTo(4, 34);
    house.lineTo(32, 8);
    house.lineTo(60, 34);
    house.moveTo(12, 28);
    house.lineTo(12, 56);
    house.lineTo(52, 56);
    house.lineTo(52, 28);
    p.drawPath(house);
    p.setPen(QPen(wrench, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(22, 50), QPointF(40, 32));
    if (jaw) {
        p.setBrush(wrench);
        p.setPen(Qt::NoPen);
        QPainterPath head;
        head.addEllipse(QPointF(42, 30), 7, 7);
        QPainterPath notch;
        notch.addRect(QRectF(42, 22, 7, 6));
        p.drawPath(head.subtracted(notch));
    }
    p.restore();
}

} // namespace trellum
