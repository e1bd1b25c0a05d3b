#include "BannerPicture.h"

#include "HouseMark.h"

#include "Twips.h"
#include "UiLook.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace trellum {

namespace {

constexpr int kPictureWidth = 1028;
constexpr int kPictureHeight = 54;
// The design picture is laid out at 96 dpi: 15 twips a pixel.
constexpr double kTwipsPerPicturePixel = 15.0;

double picturePixels(int twips)
{
    return twips / kTwipsPerPicturePixel;
}

} // namespace

BannerPicture::BannerPicture(QWidget* parent)
    : QWidget(parent)
    , m_picture(designPicture())
{
    setObjectName(QStringLiteral("Picture1"));
    setFixedHeight(Twips::toPixels(kHeightTwips));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QImage BannerPicture::designPicture()
{
    QImage img(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // The ground: a gradient from top to bottom only, so that every slice across looks the same.
    QLinearGradient ground(0, 0, 0, kPictureHeight);
    ground.setColorAt(0, QColor(24, 78, 146));
    ground.setColorAt(0.6, QColor(44, 112, 186));
    ground.setColorAt(1, QColor(18, 60, 118));
    p.fillRect(img.rect(), ground);
    p.fillRect(QRect(0, kPictureHeight - 3, kPictureWidth, 3), QColor(255, 176, 48));

    // Left part: the mark and the program's name.
    HouseMark { Qt::white, QColor(255, 196, 64), false }.draw(p, QPointF(11, 7), 0.55);
    p.setPen(Qt::white);
    p.setFont(UiLook::yahei(15, true));
    p.drawText(QRect(58, 4, 200, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Trellum"));
    p.setFont(UiLook::yahei(9));
    p.drawText(QRect(60, 30, 300, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("物业维修部 统计报表"));
    // A band of fading squares leads into the slice.
    for (int i = 0; i < 12; ++i) {
        p.setBrush(QColor(255, 255, 255, 90 - i * 7));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(360 + i * 19, 20, 9, 9));
    }

    // Right end, from just after the slice: an arc of circles and a short rule.
    const int right = int(picturePixels(kSliceLeft + kSliceWidth));
    for (int i = 0; i < 6; ++i) {
        p.setBrush(QColor(255, 255, 255, 30 + i * 18));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(right + 40 + i * 34, 27 - (i % 2) * 6), 9 + i, 9 + i);
    }
    p.setPen(QPen(QColor(255, 196, 64), 2));
    p.drawLine(right + 20, 46, right + 240, 46);
    return img;
}

void BannerPicture::RedrawBanner()
{
    const int w = Twips::fromPixels(width());
    const int h = Twips::fromPixels(height());
    QPixmap canvas(std::max(1, width()), std::max(1, height()));
    canvas.fill(palette().color(QPalette::Window));
    QPainter p(&canvas);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // 1. The design picture itself, at its own size.
    p.drawImage(QRectF(0, 0, Twips::toPixels(int(kPictureWidth * kTwipsPerPicturePixel)),
                       Twips::toPixels(int(kPictureHeight * kTwipsPerPicturePixel))),
                m_picture);
    const double sourceHeight = std::min(picturePixels(h), double(kPictureHeight));
    // 2. The slice at 8850 repeated to the right while it stays left of the right end.
    for (int i = 1; i <= 10000 && w - kRightEnd > kSliceLeft + kSliceWidth * i; ++i)
        p.drawImage(QRectF(Twips::toPixels(kSliceLeft + kSliceWidth * i), 0, Twips::toPixels(kSliceWidth),
                           Twips::toPixels(h)),
                    m_picture, QRectF(picturePixels(kSliceLeft), 0, picturePixels(kSliceWidth), sourceHeight));
    // 3. The picture from 8850 on, as far as the right end is wide, at the right edge.
    const int endPixels = Twips::toPixels(kRightEnd);
    const double sourceWidth =
        std::min(picturePixels(Twips::fromPixels(endPixels)), kPictureWidth - picturePixels(kSliceLeft));
    p.drawImage(QRectF(Twips::toPixels(w - kRightEnd), 0, Twips::toPixels(int(sourceWidth * kTwipsPerPicturePixel)),
                       Twips::toPixels(h)),
                m_picture, QRectF(picturePixels(kSliceLeft), 0, sourceWidth, sourceHeight));
    p.end();
    m_canvas = canvas;
    update();
}

void BannerPicture::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    RedrawBanner();
}

void BannerPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_canvas.isNull())
        p.drawPixmap(0, 0, m_canvas);
}

} // namespace trellum
