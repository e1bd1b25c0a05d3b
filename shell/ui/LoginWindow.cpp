#include "LoginWindow.h"

#include "LoginArt.h"
#include "ProgramIcon.h"
#include "Twips.h"
#include "UiLook.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>

namespace trellum {

namespace {

constexpr int kWidth = 6600;
constexpr int kHeight = 4560;
constexpr int kBoxLeft = 2760;
constexpr int kBoxWidth = 2520;

QPalette textColour(QPalette pal, const QColor& colour)
{
    pal.setColor(QPalette::WindowText, colour);
    return pal;
}

} // namespace

LoginWindow::LoginWindow(AppSession& session, Messenger& messenger, std::function<void()> openMainWindow,
                         std::function<void()> endProgram, QWidget* parent)
    : QWidget(parent)
    , m_session(session)
    , m_messenger(messenger)
    , m_openMainWindow(std::move(openMainWindow))
    , m_endProgram(std::move(endProgram))
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Quorvel系统"));
    setWindowIcon(ProgramIcon::icon());
    setFixedSize(Twips::toPixels(kWidth), Twips::toPixels(kHeight));
    // A window of a fixed size: no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    m_user = new QLineEdit(this);
    m_user->setObjectName(QStringLiteral("TxtUser"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("txtPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    for (QLineEdit* box : { m_user, m_password }) {
        box->setFont(UiLook::yahei(10));
        box->installEventFilter(this);
    }
    Twips::place(m_user, kBoxLeft, 1530, kBoxWidth, 360);
    Twips::place(m_password, kBoxLeft, 2010, kBoxWidth, 360);

    const QSize buttonSize(Twips::toPixels(1200), Twips::toPixels(450));
    auto pictureButton = [&](const QString& name, const QString& text, bool primary, int left) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setAccessibleName(text);
        b->setFlat(true);
        b->setAutoDefault(true);
        b->setIcon(QIcon(LoginArt::button(buttonSize, text, primary)));
        b->setIconSize(buttonSize);
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; }"
                                        "QPushButton:focus { border: 1px dotted #303030; }"));
        Twips::place(b, left, 2820, 1200, 450);
        return b;
    };
    m_ok = pictureButton(QStringLiteral("cmdOK"), QStringLiteral("登 录"), true, kBoxLeft);
    m_cancel = pictureButton(QStringLiteral("cmdCancel"), QStringLiteral("退 出"), false, kBoxLeft + kBoxWidth - 1200);
    connect(m_ok, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    m_version = new QLabel(this);
    m_version->setObjectName(QStringLiteral("Label1"));
    m_version->setFont(UiLook::yahei(9, true));
    m_version->setPalette(textColour(m_version->palette(), QColor(0, 0, 255)));
    Twips::place(m_version, 240, kHeight - 420, 1800, 300);

    m_prompt = new QLabel(QStringLiteral("请您选择要登录的岗位"), this);
    m_prompt->setObjectName(QStringLiteral("Label2"));
    m_prompt->setFont(UiLook::yahei(9, true));
    m_prompt->setPalette(textColour(m_prompt->palette(), QColor(255, 128, 0)));
    Twips::place(m_prompt, kBoxLeft, 2430, kBoxWidth, 330);

    // The position list lies over the two buttons.
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setFont(UiLook::yahei(9));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    Twips::place(m_list, kBoxLeft - 60, 2760, kBoxWidth + 120, 1080);
    m_list->raise();
    showPositions(false);

    setTabOrder(m_user, m_password);
    setTabOrder(m_password, m_ok);
    setTabOrder(m_ok, m_cancel);
    setTabOrder(m_cancel, m_list);
    m_version->setFocusPolicy(Qt::NoFocus);
    m_prompt->setFocusPolicy(Qt::NoFocus);

    m_background = LoginArt::background(size(), m_user->geometry(), m_password->geometry(), m_list->geometry());
    m_user->setFocus(Qt::OtherFocusReason);
}

void LoginWindow::setVersionLabel(const QString& text)
{
    m_version->setText(text);
}

void LoginWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, m_background);
}

void LoginWindow::showPositions(bool shown)
{
    m_prompt->setVisible(shown);
    m_list->setVisible(shown);
}

bool LoginWindow::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && (box == m_user || box == m_password)) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                focusNextChild();
                return true;
            }
        } else if (event->type() == QEvent::FocusIn) {
            if (box == m_user)
                showPositions(false);
            box->selectAll();
            // A click places the cursor after the focus arrives; select again once it has.
            if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason)
                QMetaObject::invokeMethod(box, &QLineEdit::selectAll, Qt::QueuedConnection);
        }
    } else if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        List1_DblClick();
        return true;
    } else if (watched == m_list && event->type() == QEvent::KeyPress) {
        // Enter on the selected entry chooses it, as a double-click does.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            List1_DblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LoginWindow::cmdOK_Click()
{
    LoginOutcome outcome = attemptLogin(m_session, m_messenger, m_user->text(), m_password->text());
    switch (outcome.step) {
    case LoginOutcome::Step::Stay:
        // After "用户名不能为空!" or "密码不能为空!" the empty box takes the focus.
        if (m_user->text().isEmpty())
            m_user->setFocus(Qt::OtherFocusReason);
        else if (m_password->text().isEmpty())
            m_password->setFocus(Qt::OtherFocusReason);
        return;
    case LoginOutcome::Step::EndProgram:
        m_endProgram();
        return;
    case LoginOutcome::Step::BuiltInAccount:
        m_openMainWindow();
        return;
    case LoginOutcome::Step::Positions:
        break;
    }
    m_list->clear();
    m_positions = std::move(outcome.positions);
    for (const PositionRecord& record : m_positions) {
        m_list->addItem(record.entryText);
        m_list->item(m_list->count() - 1)->setToolTip(record.entryText);
    }
    if (m_positions.size() == 1) {
        m_list->setCurrentRow(0);
        choose(0);
        return;
    }
    // No entry is current either, so that the first arrow key selects the first entry (the list
    // would otherwise make it current unselected on gaining the focus, and Down would skip it).
    m_list->setCurrentIndex(QModelIndex());
    showPositions(true);
    m_list->setFocus(Qt::OtherFocusReason);
}

void LoginWindow::cmdCancel_Click()
{
    m_endProgram();
}

void LoginWindow::List1_DblClick()
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    choose(m_list->row(selected.first()));
}

void LoginWindow::choose(int index)
{
    if (index < 0 || index >= int(m_positions.size()))
        return;
    choosePosition(m_session.state, m_positions[std::size_t(index)]);
    m_openMainWindow();
}

} // namespace trellum
