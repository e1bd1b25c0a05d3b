#include "MainWindow.h"

#include "AppSession.h"
#include "BannerPicture.h"
#include "ProgramIcon.h"
#include "ReportWindow.h"
#include "SessionInputs.h"
#include "WaitCursor.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace trellum {

namespace {

const QSize kDesignSize(1200, 820);
// Room for a window manager's frame and title bar around the design size.
const QSize kFrameAllowance(16, 64);

} // namespace

MainWindow::MainWindow(AppSession& session, Messenger& messenger, SaveDialog& dialog,
                       std::function<void()> endProgram, const QString& programFolder, QWidget* parent)
    : QMainWindow(parent)
    , m_session(session)
    , m_messenger(messenger)
    , m_dialog(dialog)
    , m_endProgram(std::move(endProgram))
    , m_folder(programFolder)
{
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral("Trellum"));
    setWindowIcon(ProgramIcon::icon());
    auto* frame = new QWidget(this);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_banner = new BannerPicture(frame);
    m_area = new QMdiArea(frame);
    m_area->setObjectName(QStringLiteral("clientArea"));
    m_plain = m_area->background();
    m_area->viewport()->installEventFilter(this);
    column->addWidget(m_banner);
    column->addWidget(m_area, 1);
    setCentralWidget(frame);
    buildMenu();
    resize(kDesignSize);
}

void MainWindow::showWithinScreen()
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), kDesignSize + kFrameAllowance);
    const QSize needed = kDesignSize + kFrameAllowance;
    if (needed.width() <= available.width() && needed.height() <= available.height()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kDesignSize, available));
        show();
    } else {
        showMaximized();
    }
}

void MainWindow::buildMenu()
{
    auto item = [](QMenu* menu, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(caption);
        return action;
    };
    auto top = [this](const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(caption);
        menu->menuAction()->setObjectName(caption);
        return menu;
    };
    auto opens = [this](QAction* action, ReportKind kind) {
        connect(action, &QAction::triggered, this, [this, kind] { openReport(kind); });
    };

    QMenu* work = top(QStringLiteral("维修工作统计"));
    opens(item(work, QStringLiteral("班组核算台账")), ReportKind::Ledger);
    opens(item(work, QStringLiteral("维修工考绩汇总")), ReportKind::Performance);
    QMenu* repairs = top(QStringLiteral("报修情况统计"));
    opens(item(repairs, QStringLiteral("报修簿月底汇总")), ReportKind::MonthEnd);
    opens(item(repairs, QStringLiteral("维修完成情况表")), ReportKind::Completion);
    QMenu* leave = top(QStringLiteral("退出系统"));
    connect(item(leave, QStringLiteral("退出")), &QAction::triggered, this, [this] { m_endProgram(); });
    item(leave, QStringLiteral("注销"))->setEnabled(false);
    QMenu* about = top(QStringLiteral("关于"));
    item(about, QStringLiteral("关于软件"));
    item(about, QStringLiteral("联系我们"))->setEnabled(false);
    about->menuAction()->setEnabled(false);
}

ReportWindow* MainWindow::reportWindow(ReportKind kind) const
{
    const auto it = m_windows.find(kind);
    if (it == m_windows.end() || !it->second || it->second->isHidden())
        return nullptr;
    return qobject_cast<ReportWindow*>(it->second->widget());
}

ReportWindow* MainWindow::openReport(ReportKind kind)
{
    WaitCursor wait;
    QPointer<QMdiSubWindow>& frame = m_windows[kind];
    // A closed window is on its way out; a new one takes its place.
    const bool opening = !frame || frame->isHidden();
    if (opening) {
        auto* window = new ReportWindow(sessionInputs(m_session, kind), m_messenger, m_dialog);
        frame = m_area->addSubWindow(window);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowTitle(window->windowTitle());
        frame->setWindowIcon(windowIcon());
    }
    frame->show();
    if (opening)
        fitIntoClientArea(frame);
    m_area->setActiveSubWindow(frame);
    frame->raise();
    return qobject_cast<ReportWindow*>(frame->widget());
}

void MainWindow::fitIntoClientArea(QMdiSubWindow* frame) const
{
    // The window opens whole: at its design size where the client area has room for it, else as
    // large as the area (never below the window's smallest size), and inside the area.
    const QSize area = m_area->viewport()->size();
    const QSize size = frame->sizeHint().boundedTo(area).expandedTo(frame->minimumSizeHint());
    frame->resize(size);
    const int x = std::clamp(frame->x(), 0, std::max(0, area.width() - size.width()));
    const int y = std::clamp(frame->y(), 0, std::max(0, area.height() - size.height()));
    frame->move(x, y);
}

void MainWindow::PaintBackground()
{
    m_area->setBackground(m_plain);
    const QSize size = m_area->viewport()->size();
    const QImage picture(QDir(m_folder).filePath(QStringLiteral("MDI.BMP")));
    if (picture.isNull() || size.isEmpty())
        return;
    m_area->setBackground(QBrush(QPixmap::fromImage(
        picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation))));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_area->viewport() && event->type() == QEvent::Resize)
        PaintBackground();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    const MessageAnswer answer = m_messenger.show(Message { kProgramTitle, QStringLiteral("确认要退出系统吗？"),
                                                            MessageIcon::Information, MessageButtons::YesNo });
    if (answer != MessageAnswer::Yes) {
        event->ignore();
        return;
    }
    event->accept();
    m_endProgram();
}

} // namespace trellum
