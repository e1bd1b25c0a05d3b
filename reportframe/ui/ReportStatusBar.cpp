#include "ReportStatusBar.h"

#include "ElidedLabel.h"
#include "Twips.h"
#include "UiLook.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

#include <algorithm>

namespace trellum {

namespace {
constexpr int kHeightTwips = 375;
}

ReportStatusBar::ReportStatusBar(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    const int stretch[kPanels] = { 0, 2, 0, 2, 0, 2, 1, 0, 0 };
    for (int i = 0; i < kPanels; ++i) {
        auto* panel = new ElidedLabel(0, this);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setFont(UiLook::yahei(9));
        panel->setContentsMargins(4, 0, 4, 0);
        m_leastWidths[std::size_t(i)] = Twips::toPixels(stretch[i] ? 1200 : 900);
        panel->setMinimumWidth(m_leastWidths[std::size_t(i)]);
        row->addWidget(panel, stretch[i]);
        m_panels[std::size_t(i)] = panel;
    }
    setPanelText(1, QStringLiteral("操作员"));
    setPanelText(3, QStringLiteral("部门"));
    setPanelText(5, QStringLiteral("岗位"));
    setPanelText(7, kSupplierCaption);
    // The date and time panels follow the clock, as a status bar's date and time panels do.
    m_clock = new QTimer(this);
    connect(m_clock, &QTimer::timeout, this, &ReportStatusBar::tick);
    m_clock->start(1000);
    tick();

    m_message = new ElidedLabel(0, this);
    m_message->setObjectName(QStringLiteral("StatusMessage"));
    m_message->setFrameShape(QFrame::Panel);
    m_message->setFrameShadow(QFrame::Sunken);
    m_message->setFont(UiLook::yahei(9));
    m_message->setContentsMargins(4, 0, 4, 0);
    m_message->setAutoFillBackground(true);
    m_message->hide();
    m_messageTime = new QTimer(this);
    m_messageTime->setSingleShot(true);
    connect(m_messageTime, &QTimer::timeout, m_message, &QWidget::hide);
}

void ReportStatusBar::showMessage(const QString& text, int msec)
{
    // Over the panels from 操作员 to the position; the supplier, date and time stay in view.
    const QRect first = m_panels[0]->geometry();
    const QRect last = m_panels[5]->geometry();
    m_message->setGeometry(QRect(first.topLeft(), last.bottomRight()));
    m_message->setFullText(text);
    m_message->raise();
    m_message->show();
    if (msec > 0)
        m_messageTime->start(msec);
    else
        m_messageTime->stop();
}

void ReportStatusBar::clearMessage()
{
    m_messageTime->stop();
    m_message->hide();
}

QString ReportStatusBar::message() const
{
    return m_message->isVisible() ? m_message->fullText() : QString();
}

QString ReportStatusBar::panelText(int number) const
{
    return number >= 1 && number <= kPanels ? m_panels[std::size_t(number - 1)]->fullText() : QString();
}

void ReportStatusBar::setPanelText(int number, const QString& text)
{
    if (number < 1 || number > kPanels)
        return;
    ElidedLabel* panel = m_panels[std::size_t(number - 1)];
    panel->setFullText(text);
    // The bar's own captions, date and time are never cut: their panels are as wide as they are.
    // The names (panels 2, 4 and 6) come from the data: a long one is shortened, with the whole
    // name in the tooltip, and never widens the window.
    if (number == 2 || number == 4 || number == 6)
        return;
    const int frame = 2 * panel->frameWidth();
    const QMargins margins = panel->contentsMargins();
    const int needed = panel->fontMetrics().horizontalAdvance(text) + margins.left() + margins.right() + frame;
    panel->setMinimumWidth(std::max(m_leastWidths[std::size_t(number - 1)], needed));
}

int ReportStatusBar::heightTwips() const
{
    return kHeightTwips;
}

void ReportStatusBar::tick()
{
    const QDateTime now = QDateTime::currentDateTime();
    setPanelText(8, now.date().toString(QStringLiteral("yyyy-MM-dd")));
    setPanelText(9, now.time().toString(QStringLiteral("HH:mm:ss")));
}

} // namespace trellum
