#pragma once

#include <QIcon>
#include <QImage>

namespace trellum {

// The program's icon: the department's mark, as the banner shows it, on a tile of the banner's
// blue, drawn in code at the sizes a window manager asks for.
class ProgramIcon {
public:
    // The icon for the application and every window.
    static QIcon icon();
    // The icon drawn at `side` × `side` pixels.
    static QImage picture(int side);
};

} // namespace trellum
