// trellum-make-background FILE: draws the main window's background picture (a BMP file).

#include "HouseMark.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <cstdio>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;

// A skyline of estates along the foot of the picture.
void drawSkyline(QPainter& p)
{
    p.setPen(Qt::NoPen);
    const QColor far(182, 208, 232);
    const QColor near(150, 184, 218);
    for (int x = -20, i = 0; x < kWidth; x += 70, ++i) {
        const int h = 120 + (i * 53) % 140;
        p.setBrush(far);
        p.drawRect(x, kHeight - h - 60, 56, h + 60);
    }
    for (int x = 10, i = 0; x < kWidth; x += 96, ++i) {
        const int h = 70 + (i * 41) % 110;
        p.setBrush(near);
        p.drawRect(x, kHeight - h, 80, h);
        p.setBrush(QColor(255, 255, 255, 120));
        for (int wy = kHeight - h + 14; wy < kHeight - 12; wy += 22)
            for (int wx = x + 10; wx < x + 70; wx += 18)
                p.drawRect(wx, wy, 9, 11);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: trellum-make-background FILE\n");
        return 2;
    }
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, QColor(232, 242, 252));
    sky.setColorAt(0.7, QColor(204, 224, 244));
    sky.setColorAt(1, QColor(190, 214, 238));
    p.fillRect(img.rect(), sky);
    QRadialGradient glow(kWidth * 0.5, kHeight * 0.42, kWidth * 0.45);
    glow.setColorAt(0, QColor(255, 255, 255, 170));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(img.rect(), glow);
    // the department's mark, large and faint
    trellum::HouseMark { QColor(255, 255, 255, 150), QColor(255, 200, 90, 150), false }
        .draw(p, QPointF(kWidth / 2.0 - 160, kHeight / 2.0 - 210), 5);
    drawSkyline(p);
    p.end();
    if (!img.save(QString::fromLocal8Bit(argv[1]), "BMP")) {
        std::fprintf(stderr, "trellum-make-background: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
