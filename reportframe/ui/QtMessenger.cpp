#include "QtMessenger.h"

#include <QApplication>
#include <QMessageBox>

namespace trellum {

MessageAnswer QtMessenger::show(const Message& message)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(message.title);
    box.setText(message.text);
    switch (message.icon) {
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    if (message.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setWindowModality(Qt::ApplicationModal);
    const int pressed = box.exec();
    if (message.buttons == MessageButtons::YesNo)
        return pressed == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    return MessageAnswer::Ok;
}

} // namespace trellum
