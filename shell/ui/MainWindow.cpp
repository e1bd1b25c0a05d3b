#include "MainWindow.h"

#include "AppSession.h"
#include "BannerPicture.h"
#include "CloseDialog.h"
#include "DbSettings.h"
#include "ProgramIcon.h"
#include "ReportWindow.h"
#include "SessionInputs.h"
#include "WaitCursor.h"

#include <QCloseEvent>
#include <QCoreApplication>
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
    // Each caption gets a mnemonic after it, as Chinese menus write it ("窗口(&W)"); the object
    // names stay the plain captions.
    auto item = [](QMenu* menu, const QString& caption, QChar key) {
        QAction* action = menu->addAction(caption + QStringLiteral("(&") + key + QLatin1Char(')'));
        action->setObjectName(caption);
        return action;
    };
    auto top = [this](const QString& caption, QChar key) {
        QMenu* menu = menuBar()->addMenu(caption + QStringLiteral("(&") + key + QLatin1Char(')'));
        menu->setObjectName(caption);
        menu->menuAction()->setObjectName(caption);
        return menu;
    };
    auto opens = [this](QAction* action, ReportKind kind) {
        connect(action, &QAction::triggered, this, [this, kind] { openReport(kind); });
    };

    QMenu* work = top(QStringLiteral("维修工作统计"), QLatin1Char('G'));
    opens(item(work, QStringLiteral("班组核算台账"), QLatin1Char('L')), ReportKind::Ledger);
    opens(item(work, QStringLiteral("维修工考绩汇总"), QLatin1Char('P')), ReportKind::Performance);
    QMenu* repairs = top(QStringLiteral("报修情况统计"), QLatin1Char('B'));
    opens(item(repairs, QStringLiteral("报修簿月底汇总"), QLatin1Char('M')), ReportKind::MonthEnd);
    opens(item(repairs, QStringLiteral("维修完成情况表"), QLatin1Char('C')), ReportKind::Completion);
    repairs->addSeparator();
    connect(item(repairs, QStringLiteral("月底批量导出…"), QLatin1Char('E')), &QAction::triggered, this,
            [this] { openClose(); });
    m_windowMenu = top(QStringLiteral("窗口"), QLatin1Char('W'));
    connect(m_windowMenu, &QMenu::aboutToShow, this, [this] { fillWindowMenu(); });
    fillWindowMenu();
    QMenu* leave = top(QStringLiteral("退出系统"), QLatin1Char('X'));
    connect(item(leave, QStringLiteral("退出"), QLatin1Char('X')), &QAction::triggered, this, [this] { m_endProgram(); });
    item(leave, QStringLiteral("注销"), QLatin1Char('O'))->setEnabled(false);
    QMenu* about = top(QStringLiteral("关于"), QLatin1Char('A'));
    connect(item(about, QStringLiteral("关于软件"), QLatin1Char('A')), &QAction::triggered, this, [this] { showAbout(); });
    item(about, QStringLiteral("联系我们"), QLatin1Char('C'))->setEnabled(false);
}

CloseDialog* MainWindow::openClose()
{
    if (!m_close) {
        QString problem;
        DbSettings settings = readDbSettings(m_session.settingsPath, &problem);
        if (!problem.isEmpty()) {
            inform(m_messenger, QStringLiteral("信息文本"), QStringLiteral("错误信息：") + problem);
            return nullptr;
        }
        m_close = new CloseDialog(*m_session.connection, std::move(settings), m_messenger, this);
        m_close->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_close->show();
    m_close->raise();
    m_close->activateWindow();
    return m_close;
}

void MainWindow::fillWindowMenu()
{
    // 层叠 and 平铺, then the open windows, numbered, the active one ticked.
    m_windowMenu->clear();
    QAction* cascade = m_windowMenu->addAction(QStringLiteral("层叠(&C)"), m_area, &QMdiArea::cascadeSubWindows);
    cascade->setObjectName(QStringLiteral("层叠"));
    QAction* tile = m_windowMenu->addAction(QStringLiteral("平铺(&T)"), m_area, &QMdiArea::tileSubWindows);
    tile->setObjectName(QStringLiteral("平铺"));
    const QList<QMdiSubWindow*> open = openFrames();
    cascade->setEnabled(!open.isEmpty());
    tile->setEnabled(!open.isEmpty());
    if (open.isEmpty())
        return;
    m_windowMenu->addSeparator();
    int number = 0;
    for (QMdiSubWindow* frame : open) {
        ++number;
        QString caption = frame->windowTitle();
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        const QString text = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(caption)
                                         : QStringLiteral("%1 %2").arg(number).arg(caption);
        QAction* action = m_windowMenu->addAction(text);
        action->setCheckable(true);
        action->setChecked(frame == m_area->activeSubWindow());
        connect(action, &QAction::triggered, this, [this, frame = QPointer<QMdiSubWindow>(frame)] {
            if (frame)
                m_area->setActiveSubWindow(frame);
        });
    }
}

QList<QMdiSubWindow*> MainWindow::openFrames() const
{
    QList<QMdiSubWindow*> open;
    for (QMdiSubWindow* frame : m_area->subWindowList(QMdiArea::CreationOrder))
        if (!frame->isHidden())
            open << frame;
    return open;
}

QString MainWindow::aboutText() const
{
    const QString settings = m_session.settingsPath.isEmpty() ? dbSettingsPath() : m_session.settingsPath;
    const QString database = m_session.databaseInUse.isEmpty() ? QStringLiteral("（未连接）") : m_session.databaseInUse;
    return QStringLiteral("Trellum 物业维修部统计报表\n版本：%1\n数据库：%2\n设置文件：%3")
        .arg(QCoreApplication::applicationVersion(), database, QDir::toNativeSeparators(settings));
}

void MainWindow::showAbout()
{
    inform(m_messenger, QStringLiteral("关于软件"), aboutText());
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
    // Beside a maximised window the new one opens maximised too, as the area shows one at a time.
    const QMdiSubWindow* active = m_area->activeSubWindow();
    const bool maximised = opening && active && active != frame && active->isMaximized();
    if (maximised) {
        frame->showMaximized();
    } else {
        frame->show();
        if (opening)
            fitIntoClientArea(frame);
    }
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
