#pragma once

#include <QIcon>
#include <QImage>

class QPainter;

namespace trellum {

// The program's icon: the department's mark, as the banner shows it, on a tile of the banner's
// blue, drawn in code at the sizes a window manager asks for and into the icon files installed
// for the desktop's menus.
class ProgramIcon {
public:
    // The icon for the application and every window.
    static QIcon icon();
    // The icon drawn at `side` × `side` pixels.
    static QImage picture(int side);
    // Draws the icon on `p` in a `side` × `side` box at the origin; `jaw` draws the wrench's open
    // jaw, which small sizes leave out.
    static void paint(QPainter& p, double side, bool jaw);
};

} // namespace trellum
