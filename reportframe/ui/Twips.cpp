#include "Twips.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include <cmath>

namespace trellum {

namespace {

// The place in twips is kept on the widget itself, so that rounding to pixels never drifts.
const char* const kPlaceProperty = "trellumTwips";

QRect placeOf(const QWidget* widget)
{
    const QVariant v = widget->property(kPlaceProperty);
    if (v.isValid())
        return v.toRect();
    const QRect g = widget->geometry();
    return QRect(Twips::fromPixels(g.x()), Twips::fromPixels(g.y()), Twips::fromPixels(g.width()),
                 Twips::fromPixels(g.height()));
}

void apply(QWidget* widget, const QRect& twips)
{
    widget->setProperty(kPlaceProperty, twips);
    widget->setGeometry(Twips::toPixels(twips.x()), Twips::toPixels(twips.y()), Twips::toPixels(twips.width()),
                        Twips::toPixels(twips.height()));
}

} // namespace

double Twips::dotsPerInch()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

int Twips::toPixels(int twips)
{
    return int(std::lround(twips * dotsPerInch() / 1440.0));
}

int Twips::fromPixels(int pixels)
{
    return int(std::lround(pixels * 1440.0 / dotsPerInch()));
}

void Twips::place(QWidget* widget, int left, int top, int width, int height)
{
    apply(widget, QRect(left, top, width < 0 ? 0 : width, height < 0 ? 0 : height));
}

int Twips::get(const QWidget* widget, Edge edge)
{
    const QRect r = placeOf(widget);
    switch (edge) {
    case Edge::Left: return r.x();
    case Edge::Top: return r.y();
    case Edge::Width: return r.width();
    case Edge::Height: return r.height();
    }
    return 0;
}

bool Twips::set(QWidget* widget, Edge edge, int value)
{
    QRect r = placeOf(widget);
    switch (edge) {
    case Edge::Left:
        r.moveLeft(value);
        break;
    case Edge::Top:
        r.moveTop(value);
        break;
    case Edge::Width:
        if (value < 0)
            return false;
        r.setWidth(value);
        break;
    case Edge::Height:
        if (value < 0)
            return false;
        r.setHeight(value);
        break;
    }
    apply(widget, r);
    return true;
}

} // namespace trellum
