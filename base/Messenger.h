#pragma once

#include <QString>

#include <optional>

namespace trellum {

enum class MessageIcon { None, Information, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// One modal message: title, text, icon and buttons.
struct Message {
    QString title;
    QString text;
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
};

// The one way code below the windows talks to the user. The windows show modal boxes,
// the tests record and answer, the headless runner writes to standard error.
class Messenger {
public:
    virtual ~Messenger() = default;
    // Shows the message and returns the button pressed.
    virtual MessageAnswer show(const Message& message) = 0;
};

// The save-file dialog of the export: returns the chosen path, or nullopt when cancelled.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    virtual std::optional<QString> askSavePath(const QString& defaultName, const QString& filter) = 0;
};

// The report windows' title of their messages.
inline const QString kReportMessageTitle = QStringLiteral("系统提示");
// The program's name, the title of the login's and the main window's messages.
inline const QString kProgramTitle = QStringLiteral("Trellum");

// Shows an information message with an OK button.
inline void inform(Messenger& messenger, const QString& title, const QString& text)
{
    messenger.show(Message { title, text, MessageIcon::Information, MessageButtons::Ok });
}

} // namespace trellum
