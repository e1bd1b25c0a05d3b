#include "ProgramIcon.h"

#include "HouseMark.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

namespace trellum {

void ProgramIcon::paint(QPainter& p, double side, bool jaw)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, 0, side);
    ground.setColorAt(0, QColor(24, 78, 146));
    ground.setColorAt(0.6, QColor(44, 112, 186));
    ground.setColorAt(1, QColor(18, 60, 118));
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    const double corner = side / 6.0;
    p.drawRoundedRect(QRectF(0, 0, side, side), corner, corner);
    // The mark's 64-unit box, inset a little from the tile's edge.
    const double inset = side / 16.0;
    HouseMark { Qt::white, QColor(255, 196, 64), jaw }.draw(p, QPointF(inset, inset), (side - 2 * inset) / 64.0);
    p.restore();
}

QImage ProgramIcon::picture(int side)
{
    QImage img(side, side, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    paint(p, side, side >= 32);
    return img;
}

QIcon ProgramIcon::icon()
{
    QIcon icon;
    for (int side : { 16, 24, 32, 48, 64, 128 })
        icon.addPixmap(QPixmap::fromImage(picture(side)));
    return icon;
}

} // namespace trellum
