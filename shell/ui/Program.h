#pragma once

#include "AppSession.h"
#include "Messenger.h"

#include <functional>
#include <memory>

namespace trellum {

class LoginWindow;
class MainWindow;

// The program's windows and how it starts: the login window's load step decides between the
// hand-off (straight to the main window) and the interactive login.
class Program {
public:
    // `endProgram` ends the program at once; `programFolder` holds "MDI.BMP".
    Program(AppSession& session, Messenger& messenger, SaveDialog& dialog, std::function<void()> endProgram,
            const QString& programFolder);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The start-up with the program's command-line text; shows the first window.
    StartupPath start(const QString& commandLine);
    // Shows the main window (there is one), brings it to the front and closes the login window.
    void showMainWindow();

    LoginWindow* loginWindow() const { return m_login.get(); }
    MainWindow* mainWindow() const { return m_main.get(); }

private:
    AppSession& m_session;
    Messenger& m_messenger;
    SaveDialog& m_dialog;
    std::function<void()> m_endProgram;
    QString m_folder;
    std::unique_ptr<LoginWindow> m_login;
    std::unique_ptr<MainWindow> m_main;
};

} // namespace trellum
