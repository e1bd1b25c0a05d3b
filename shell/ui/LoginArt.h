#pragma once

#include <QPixmap>
#include <QRect>
#include <QString>

namespace trellum {

// The login window's pictures, drawn in code: the background with the captions of the two boxes,
// and the two picture buttons.
class LoginArt {
public:
    // The background for a window of `size`, with the captions 工号 and 密码 left of the two boxes,
    // on a white card that holds the boxes and the position list.
    static QPixmap background(const QSize& size, const QRect& numberBox, const QRect& passwordBox,
                              const QRect& listBox = QRect());
    // Where that card lies.
    static QRect card(const QRect& numberBox, const QRect& passwordBox, const QRect& listBox = QRect());
    // A picture button of `size` showing `text`; the primary one is drawn in the accent colour.
    static QPixmap button(const QSize& size, const QString& text, bool primary);
};

} // namespace trellum
