#include "LoginArt.h"

#include "HouseMark.h"
#include "UiLook.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace trellum {

namespace {

} // namespace

QRect LoginArt::card(const QRect& numberBox, const QRect& passwordBox, const QRect& listBox)
{
    const QRect boxes = numberBox.united(passwordBox).adjusted(-100, -30, 24, 96);
    return listBox.isEmpty() ? boxes : boxes.united(listBox.adjusted(0, 0, 0, 12));
}

QPixmap LoginArt::background(const QSize& size, const QRect& numberBox, const QRect& passwordBox,
                             const QRect& listBox)
{
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(22, 74, 138));
    sky.setColorAt(0.55, QColor(58, 128, 196));
    sky.setColorAt(1, QColor(214, 232, 248));
    p.fillRect(pm.rect(), sky);

    // A row of buildings along the foot, in two shades.
    const int w = size.width();
    const int h = size.height();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    for (int x = 0, i = 0; x < w; x += 34, ++i)
        p.drawRect(x, h - 40 - (i * 37 % 50), 28, 40 + (i * 37 % 50));
    p.setBrush(QColor(255, 255, 255, 110));
    for (int x = 14, i = 0; x < w; x += 46, ++i)
        p.drawRect(x, h - 22 - (i * 23 % 30), 36, 22 + (i * 23 % 30));

    // The white card behind the boxes and the position list.
    const QRect card = LoginArt::card(numberBox, passwordBox, listBox);
    p.setBrush(QColor(255, 255, 255, 215));
    p.drawRoundedRect(card, 10, 10);

    HouseMark().draw(p, QPointF(22, 18), 0.8);
    p.setPen(Qt::white);
    p.setFont(UiLook::yahei(17, true));
    p.drawText(QRect(84, 16, w - 100, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Trellum"));
    p.setFont(UiLook::yahei(10));
    p.drawText(QRect(86, 48, w - 100, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("维修统计报表"));

    p.setPen(QColor(30, 60, 100));
    p.setFont(UiLook::yahei(10, true));
    for (const auto& [box, text] : { std::pair { numberBox, QStringLiteral("工  号") },
                                     std::pair { passwordBox, QStringLiteral("密  码") } })
        p.drawText(QRect(box.left() - 88, box.top(), 80, box.height()), Qt::AlignRight | Qt::AlignVCenter, text);
    return pm;
}

QPixmap LoginArt::button(const QSize& size, const QString& text, bool primary)
{
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(pm.rect()).adjusted(1, 1, -1, -1);
    QLinearGradient face(0, 0, 0, size.height());
    if (primary) {
        face.setColorAt(0, QColor(255, 170, 60));
        face.setColorAt(1, QColor(226, 110, 20));
    } else {
        face.setColorAt(0, QColor(120, 170, 220));
        face.setColorAt(1, QColor(60, 110, 170));
    }
    p.setBrush(face);
    p.setPen(QPen(primary ? QColor(170, 80, 10) : QColor(40, 80, 130), 1));
    p.drawRoundedRect(r, 6, 6);
    p.setPen(Qt::white);
    p.setFont(UiLook::yahei(10, true));
    p.drawText(r, Qt::AlignCenter, text);
    return pm;
}

} // namespace trellum
