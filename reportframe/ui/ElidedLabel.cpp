#include "ElidedLabel.h"


#include <algorithm>

namespace trellum {

ElidedLabel::ElidedLabel(int leastWidth, QWidget* parent)
    : QLabel(parent)
    , m_leastWidth(leastWidth)
{
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setWordWrap(false);
}

void ElidedLabel::setFullText(const QString& text)
{
    m_full = text;
    elide();
    updateGeometry();
}

void ElidedLabel::setLeastWidth(int width)
{
    m_leastWidth = width;
    updateGeometry();
}

QSize ElidedLabel::minimumSizeHint() const
{
    return QSize(m_leastWidth, QLabel::minimumSizeHint().height());
}

QSize ElidedLabel::sizeHint() const
{
    return minimumSizeHint();
}

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide()
{
    // One line: line breaks and tabs in the data show as blanks.
    QString line = m_full;
    for (QChar& c : line)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    const int room = std::max(0, contentsRect().width() - 2 * margin());
    const QString shown = fontMetrics().elidedText(line, Qt::ElideRight, room);
    setText(shown);
    setToolTip(shown == m_full ? QString() : m_full);
}

} // namespace trellum
