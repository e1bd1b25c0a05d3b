#include "DatePicker.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

namespace trellum {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('-') || c == QLatin1Char('/') || c == QLatin1Char('.');
}

} // namespace

DatePicker::DatePicker(QWidget* parent)
    : QDateEdit(parent)
{
}

QDate DatePicker::parseTyped(const QString& typed)
{
    static const QRegularExpression digits(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    static const QRegularExpression parts(QStringLiteral("^(\\d{4})([-/.])(\\d{1,2})\\2(\\d{1,2})$"));
    QRegularExpressionMatch m = digits.match(typed);
    if (m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    m = parts.match(typed);
    if (m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    return QDate();
}

void DatePicker::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const QChar c = text.size() == 1 ? text.front() : QChar();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && (c.isDigit() || (!m_typed.isEmpty() && isSeparator(c)))) {
        if (m_typed.size() < 10)
            m_typed += c;
        showTyped();
        // Eight digits in a row are a whole date; with separators the entry ends on Enter or Tab.
        if (m_typed.size() == 8 && !m_typed.contains(QRegularExpression(QStringLiteral("\\D"))))
            finishTyping(true);
        event->accept();
        return;
    }
    if (!m_typed.isEmpty()) {
        switch (event->key()) {
        case Qt::Key_Backspace:
            m_typed.chop(1);
            if (m_typed.isEmpty())
                finishTyping(false);
            else
                showTyped();
            event->accept();
            return;
        case Qt::Key_Escape:
            finishTyping(false);
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            finishTyping(true);
            break; // and on as usual (Enter ends the editing, Tab moves on)
        default:
            finishTyping(false); // an arrow key works on the sections again
            break;
        }
    }
    QDateEdit::keyPressEvent(event);
}

void DatePicker::focusOutEvent(QFocusEvent* event)
{
    if (!m_typed.isEmpty())
        finishTyping(true);
    QDateEdit::focusOutEvent(event);
}

void DatePicker::showTyped()
{
    lineEdit()->setText(m_typed);
    lineEdit()->setCursorPosition(int(m_typed.size()));
}

void DatePicker::finishTyping(bool take)
{
    const QDate typed = take ? parseTyped(m_typed) : QDate();
    m_typed.clear();
    if (typed.isValid() && typed >= minimumDate() && typed <= maximumDate() && typed != date()) {
        setDate(typed);
        return;
    }
    if (take)
        QApplication::beep(); // not a date: the one shown stays
    // The box shows its date again in its own form.
    setDisplayFormat(displayFormat());
}

} // namespace trellum
