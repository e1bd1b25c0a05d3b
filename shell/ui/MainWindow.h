#pragma once

#include "Messenger.h"
#include "ReportKind.h"

#include <QBrush>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <map>

class QMdiArea;
class QMenu;
class QMdiSubWindow;

namespace trellum {

class BannerPicture;
class CloseDialog;
class ReportWindow;
struct AppSession;

// MDIForm1, the main window: the menu (with 窗口 to arrange and pick the report windows), the banner Picture1, and the client area holding the report
// windows, one per report, over the background picture "MDI.BMP" from the program's folder.
// 退出 ends the program at once; closing the window asks first.
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    // `endProgram` ends the program at once; `programFolder` is where "MDI.BMP" is looked for.
    MainWindow(AppSession& session, Messenger& messenger, SaveDialog& dialog, std::function<void()> endProgram,
               const QString& programFolder, QWidget* parent = nullptr);

    // Shows the window within its screen's available area: at its design size and centred where
    // that fits with a window frame around it, maximised where it does not.
    void showWithinScreen();
    // Opens the report's window at a size that shows it whole, or brings the open one to the
    // front, with the hourglass meanwhile.
    ReportWindow* openReport(ReportKind kind);
    // Opens the month-end close's dialog (月底批量导出…), or brings the open one to the front;
    // nullptr when the database settings cannot be read.
    CloseDialog* openClose();
    // The report's open window, or nullptr.
    ReportWindow* reportWindow(ReportKind kind) const;
    // PaintBackground: "MDI.BMP" stretched over the client area; a plain background without it.
    void PaintBackground();

    QMdiArea* clientArea() const { return m_area; }
    // What 关于软件 shows: the version, the database in use (never its password) and the
    // settings file's path.
    QString aboutText() const;
    BannerPicture* banner() const { return m_banner; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void fillWindowMenu();
    void showAbout();
    QList<QMdiSubWindow*> openFrames() const;
    void fitIntoClientArea(QMdiSubWindow* frame) const;

    AppSession& m_session;
    Messenger& m_messenger;
    SaveDialog& m_dialog;
    std::function<void()> m_endProgram;
    QString m_folder;
    BannerPicture* m_banner = nullptr;
    QMenu* m_windowMenu = nullptr;
    QMdiArea* m_area = nullptr;
    QBrush m_plain;
    std::map<ReportKind, QPointer<QMdiSubWindow>> m_windows;
    QPointer<CloseDialog> m_close;
};

} // namespace trellum
