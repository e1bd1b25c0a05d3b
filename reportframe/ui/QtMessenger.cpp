#include "QtMessenger.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace trellum {

namespace {

// Room in a window manager's title bar beside the title: the window's icon and its minimise,
// maximise and close buttons, with their spacing, at the sizes common themes draw them.
constexpr int kTitleBarExtras = 160;

// The width at which a window manager shows `title` whole: the title in a bold face a little
// larger than the program's font, as title bars draw it, and the room beside it.
int titleBarWidth(const QString& title)
{
    QFont font = QApplication::font();
    font.setBold(true);
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 1.25);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarExtras;
}

// Keeps the box at least as wide as its title needs. The box sizes itself from its contents on
// every show, so the width goes in as an empty item across its layout.
void keepTitleWhole(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const int width = titleBarWidth(box.windowTitle());
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

// The longest line a box shows, in characters; longer lines (a path, a name, a server's message)
// are shortened in the middle, and the whole text goes into the box's details.
constexpr int kLongestLine = 160;

QString shortened(const QString& text, bool* cut)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.size() > kLongestLine) {
            line = line.left(kLongestLine / 2 - 1) + QChar(0x2026) + line.right(kLongestLine / 2);
            *cut = true;
        }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

MessageAnswer QtMessenger::show(const Message& message)
{
    QMessageBox box(QApplication::activeWindow());
    // Texts that quote data (names, paths, the database's messages) are shown as they are, never
    // read as markup, and never make the box wider than a screen.
    bool cut = false;
    box.setWindowTitle(message.title);
    box.setTextFormat(Qt::PlainText);
    box.setText(shortened(message.text, &cut));
    if (cut)
        box.setDetailedText(message.text);
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
    keepTitleWhole(box);
    const int pressed = box.exec();
    if (message.buttons == MessageButtons::YesNo)
        return pressed == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    return MessageAnswer::Ok;
}

} // namespace trellum
