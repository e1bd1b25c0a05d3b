#include "Program.h"

#include "LoginWindow.h"
#include "MainWindow.h"

namespace trellum {

Program::Program(AppSession& session, Messenger& messenger, SaveDialog& dialog, std::function<void()> endProgram,
                 const QString& programFolder)
    : m_session(session)
    , m_messenger(messenger)
    , m_dialog(dialog)
    , m_endProgram(std::move(endProgram))
    , m_folder(programFolder)
{
}

Program::~Program() = default;

StartupPath Program::start(const QString& commandLine)
{
    m_login = std::make_unique<LoginWindow>(
        m_session, m_messenger, [this] { showMainWindow(); }, [this] { m_endProgram(); });
    const StartupPath path = decideStartup(commandLine, m_session, m_messenger);
    if (path == StartupPath::MainWindow) {
        showMainWindow();
        return path;
    }
    m_login->setVersionLabel(versionLabel());
    m_login->show();
    m_login->raise();
    m_login->activateWindow();
    return path;
}

void Program::showMainWindow()
{
    if (!m_main)
        m_main = std::make_unique<MainWindow>(m_session, m_messenger, m_dialog, m_endProgram, m_folder);
    if (m_main->isVisible())
        m_main->show();
    else
        m_main->showWithinScreen();
    m_main->raise();
    m_main->activateWindow();
    // The main window's opening closes the login window.
    if (m_login)
        m_login->close();
}

} // namespace trellum
