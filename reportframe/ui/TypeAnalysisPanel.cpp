#include "TypeAnalysisPanel.h"

#include "Twips.h"
#include "UiLook.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

namespace trellum {

namespace {

constexpr int kBoxWidth = 820;
constexpr int kBoxStep = 810;
constexpr int kFirstBox = 1140;
constexpr int kRemarkLeft = kFirstBox + 7 * kBoxStep + 810;

QFrame* shapeFrame(const QString& name, QWidget* parent)
{
    auto* shape = new QFrame(parent);
    shape->setObjectName(name);
    shape->setFrameShape(QFrame::Box);
    shape->setFrameShadow(QFrame::Plain);
    shape->setAttribute(Qt::WA_TransparentForMouseEvents);
    return shape;
}

QLabel* label(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFont(UiLook::yahei(9));
    l->setAlignment(Qt::AlignCenter);
    return l;
}

} // namespace

TypeAnalysisPanel::TypeAnalysisPanel(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("Picture6"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, UiLook::panelBlue());
    setPalette(pal);

    m_smallFrame = shapeFrame(QStringLiteral("Shape1"), this);
    Twips::place(m_smallFrame, 60, 60, 990, kHeightTwips - 120);
    m_wideFrame = shapeFrame(QStringLiteral("Shape2"), this);
    Twips::place(m_wideFrame, 1080, 60, 10000, kHeightTwips - 120);

    QLabel* title = label(QStringLiteral("Label3"), QStringLiteral("类型分析"), this);
    title->setFont(UiLook::yahei(10, true));
    Twips::place(title, 90, 360, 930, 360);

    const QString captions[kBoxes] = { QStringLiteral("报修"), QStringLiteral("开箱"), QStringLiteral("设摊"),
                                       QStringLiteral("访问"), QStringLiteral("电话"), QStringLiteral("其他"),
                                       QStringLiteral("微信") };
    for (int i = 0; i < kBoxes; ++i) {
        const int left = kFirstBox + i * kBoxStep;
        Twips::place(label(QStringLiteral("Label2(%1)").arg(i), captions[i], this), left, 180, kBoxWidth, 285);
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text1(%1)").arg(i));
        box->setFont(UiLook::yahei(9));
        box->setAlignment(Qt::AlignCenter);
        Twips::place(box, left, 510, kBoxWidth, 360);
        m_boxes[std::size_t(i)] = box;
    }

    Twips::place(label(QStringLiteral("Label4"), QStringLiteral("附记:"), this), kRemarkLeft - 660, 180, 600, 285);
    m_remark = new QPlainTextEdit(this);
    m_remark->setObjectName(QStringLiteral("Text2"));
    m_remark->setFont(UiLook::yahei(9));
    Twips::place(m_remark, kRemarkLeft, 240, 2625, 600);
}

void TypeAnalysisPanel::clear()
{
    for (QLineEdit* box : m_boxes)
        box->clear();
    m_remark->clear();
}

void TypeAnalysisPanel::clearAndLockBoxes()
{
    for (QLineEdit* box : m_boxes) {
        box->clear();
        box->setReadOnly(true);
    }
}

std::array<QString, TypeAnalysisPanel::kBoxes> TypeAnalysisPanel::boxes() const
{
    std::array<QString, kBoxes> out;
    for (int i = 0; i < kBoxes; ++i)
        out[std::size_t(i)] = m_boxes[std::size_t(i)]->text();
    return out;
}

void TypeAnalysisPanel::setBoxes(const std::array<QString, kBoxes>& texts)
{
    for (int i = 0; i < kBoxes; ++i)
        m_boxes[std::size_t(i)]->setText(texts[std::size_t(i)]);
}

void TypeAnalysisPanel::setRemark(const QString& text)
{
    m_remark->setPlainText(text);
}

QString TypeAnalysisPanel::remark() const
{
    return m_remark->toPlainText();
}

void TypeAnalysisPanel::clearRemark()
{
    m_remark->clear();
}

void TypeAnalysisPanel::LayoutTypeAnalysis()
{
    const int width = Twips::get(this, Twips::Edge::Width);
    const int inset = Twips::get(m_smallFrame, Twips::Edge::Left);
    const int frameWidth = width - Twips::get(m_wideFrame, Twips::Edge::Left) - inset;
    Twips::set(m_wideFrame, Twips::Edge::Width, frameWidth);
    // The remark keeps the frame's line in view: it ends the inset short of the frame's inner edge,
    // and shrinks to nothing rather than keep an old width past a narrow frame.
    const int frameRight = Twips::get(m_wideFrame, Twips::Edge::Left) + Twips::get(m_wideFrame, Twips::Edge::Width);
    Twips::set(m_remark, Twips::Edge::Width, std::max(0, frameRight - inset - Twips::get(m_remark, Twips::Edge::Left)));
}

void TypeAnalysisPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    LayoutTypeAnalysis();
}

} // namespace trellum
