#pragma once

#include "Login.h"

#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace trellum {

// frmLogin, the window the program starts with: the employee number TxtUser, the password
// txtPassword, the picture buttons cmdOK and cmdCancel, the version label Label1, and the
// position list List1 with its prompt Label2, which lie over the buttons while the user picks a
// position. Enter in a box moves on like Tab; a box that gains the focus has its text selected;
// Enter in the position list chooses the selected entry.
class LoginWindow final : public QWidget {
    Q_OBJECT
public:
    // `openMainWindow` shows the main window (which closes this one); `endProgram` ends at once.
    LoginWindow(AppSession& session, Messenger& messenger, std::function<void()> openMainWindow,
                std::function<void()> endProgram, QWidget* parent = nullptr);

    // Sets Label1, the version label of the interactive start.
    void setVersionLabel(const QString& text);

    // cmdOK: the login with the typed number and password.
    void cmdOK_Click();
    // cmdCancel: ends the program.
    void cmdCancel_Click();
    // List1 double-click (or Enter in the list): chooses the selected position; nothing without a
    // selection.
    void List1_DblClick();

    // The positions behind List1's entries.
    const std::vector<PositionRecord>& positions() const { return m_positions; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void choose(int index);
    void showPositions(bool shown);

    AppSession& m_session;
    Messenger& m_messenger;
    std::function<void()> m_openMainWindow;
    std::function<void()> m_endProgram;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_prompt = nullptr;
    QListWidget* m_list = nullptr;
    QPixmap m_background;
    std::vector<PositionRecord> m_positions;
};

} // namespace trellum
