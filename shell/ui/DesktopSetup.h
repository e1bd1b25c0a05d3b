#pragma once

class QApplication;

namespace trellum {

// What the desktop program sets on the application before its first window: the framework's own
// texts (buttons, the save dialog and its questions, the calendar) in Chinese whatever the
// system's locale, and the program's icon for every window.
class DesktopSetup {
public:
    // Sets it all on `app`; false when the framework's Chinese translations could not be loaded
    // (its texts then stay in English, nothing else changes).
    static bool apply(QApplication& app);
};

} // namespace trellum
