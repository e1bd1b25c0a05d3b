// The main window: its menu, one window per report brought to the front, 退出 and the closing
// question, the background picture from the program's folder, and the banner.

#include "BannerPicture.h"
#include "MainWindow.h"
#include "ProgramIcon.h"
#include "ReportScene.h"
#include "ReportWindow.h"
#include "Twips.h"

#include <QAction>
#include <QDateEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QPushButton>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

struct Scene : SessionScene<> {
    explicit Scene(bool withPicture = false)
    {
        addFilterData(db);
        openSession(session, db);
        if (withPicture) {
            QImage picture(64, 40, QImage::Format_RGB32);
            picture.fill(QColor(10, 120, 200));
            picture.save(folder.filePath(QStringLiteral("MDI.BMP")), "BMP");
        }
        window = std::make_unique<MainWindow>(session, messenger, dialog, [this] { ++ended; }, folder.path());
        activate(window.get());
    }
    QAction* action(const QString& name) const { return window->findChild<QAction*>(name); }
    int openWindows() const
    {
        int n = 0;
        for (QMdiSubWindow* sub : window->clientArea()->subWindowList())
            n += sub->isVisible() ? 1 : 0;
        return n;
    }

    QTemporaryDir folder;
    int ended = 0;
    std::unique_ptr<MainWindow> window;
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menu()
    {
        Scene s;
        QCOMPARE(s.window->objectName(), QStringLiteral("MDIForm1"));
        QCOMPARE(s.window->windowTitle(), QStringLiteral("Trellum"));
        const QList<QPair<QString, QStringList>> expected {
            { QStringLiteral("维修工作统计(&G)"), { QStringLiteral("班组核算台账(&L)"), QStringLiteral("维修工考绩汇总(&P)") } },
            { QStringLiteral("报修情况统计(&B)"), { QStringLiteral("报修簿月底汇总(&M)"), QStringLiteral("维修完成情况表(&C)") } },
            { QStringLiteral("窗口(&W)"), { QStringLiteral("层叠(&C)"), QStringLiteral("平铺(&T)") } },
            { QStringLiteral("退出系统(&X)"), { QStringLiteral("退出(&X)"), QStringLiteral("注销(&O)") } },
            { QStringLiteral("关于(&A)"), { QStringLiteral("关于软件(&A)"), QStringLiteral("联系我们(&C)") } },
        };
        QStringList bar;
        for (QAction* a : s.window->menuBar()->actions())
            bar << a->text();
        QStringList tops;
        for (const auto& [top, items] : expected) {
            tops << top;
            const QString plain = top.left(top.indexOf(QLatin1Char('(')));
            auto* menu = s.window->findChild<QMenu*>(plain);
            QVERIFY2(menu, qPrintable(top));
            QStringList captions;
            for (QAction* a : menu->actions()) {
                captions << a->text();
                // The object name is the caption without its mnemonic.
                QCOMPARE(a->objectName() + a->text().mid(a->text().indexOf(QLatin1Char('('))), a->text());
            }
            QCOMPARE(captions, items);
        }
        QCOMPARE(bar, tops);
        // Unavailable items are shown greyed; 关于 answers.
        QVERIFY(s.window->findChild<QMenu*>(QStringLiteral("关于"))->menuAction()->isEnabled());
        QVERIFY(!s.action(QStringLiteral("注销"))->isEnabled());
        QVERIFY(!s.action(QStringLiteral("联系我们"))->isEnabled());
        QVERIFY(s.action(QStringLiteral("维修完成情况表"))->isEnabled());
        // The menus open from the keyboard: Alt with the letter.
        QTest::keyClick(s.window.get(), Qt::Key_B, Qt::AltModifier);
        QTRY_VERIFY(s.window->findChild<QMenu*>(QStringLiteral("报修情况统计"))->isVisible());
        QTest::keyClick(s.window->findChild<QMenu*>(QStringLiteral("报修情况统计")), Qt::Key_C);
        QTRY_VERIFY(s.window->reportWindow(ReportKind::Completion));
    }

    void aboutNamesVersionDatabaseAndSettings()
    {
        Scene s;
        QCoreApplication::setApplicationVersion(QStringLiteral("3.2.1"));
        s.session.settingsPath = s.folder.filePath(QStringLiteral("Quorvel2011.conf"));
        DbSettings settings;
        settings.Svr = QStringLiteral("sqlite:") + s.db.path();
        settings.UID = QStringLiteral("clerk");
        settings.PWD = QStringLiteral("s3cret-pw");
        QVERIFY(OpenDatabase(s.session, s.messenger, settings));
        s.action(QStringLiteral("关于软件"))->trigger();
        QCOMPARE(s.messenger.messages.size(), 1);
        const QString text = s.messenger.messages.front().text;
        QVERIFY2(text.contains(QStringLiteral("3.2.1")), qPrintable(text));
        QVERIFY2(text.contains(s.db.path()), qPrintable(text));
        QVERIFY2(text.contains(s.session.settingsPath), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("s3cret")), qPrintable(text));
    }

    void windowMenuArrangesAndPicks()
    {
        Scene s;
        s.window->resize(1200, 820);
        s.window->openReport(ReportKind::Completion);
        s.window->openReport(ReportKind::Ledger);
        auto* menu = s.window->findChild<QMenu*>(QStringLiteral("窗口"));
        Q_EMIT menu->aboutToShow();
        QStringList listed;
        for (QAction* a : menu->actions())
            if (a->isCheckable())
                listed << a->text() + (a->isChecked() ? QStringLiteral(" *") : QString());
        QCOMPARE(listed, (QStringList { QStringLiteral("&1 维修完成情况一览表"), QStringLiteral("&2 班组经济核算台账 *") }));
        // Picking one brings it to the front.
        for (QAction* a : menu->actions())
            if (a->text().startsWith(QStringLiteral("&1")))
                a->trigger();
        QCOMPARE(s.window->clientArea()->activeSubWindow()->widget(), s.window->reportWindow(ReportKind::Completion));
        // 平铺 puts them side by side, 层叠 one over the other, offset.
        s.action(QStringLiteral("平铺"))->trigger();
        const QList<QMdiSubWindow*> frames = s.window->clientArea()->subWindowList();
        QVERIFY(!frames[0]->geometry().intersects(frames[1]->geometry()));
        s.action(QStringLiteral("层叠"))->trigger();
        QVERIFY(frames[0]->geometry().intersects(frames[1]->geometry()));
        QVERIFY(frames[0]->pos() != frames[1]->pos());
    }

    void openedBesideAMaximisedWindowIsMaximised()
    {
        Scene s;
        s.window->resize(1024, 740);
        s.window->openReport(ReportKind::Completion);
        s.window->clientArea()->activeSubWindow()->showMaximized();
        s.window->openReport(ReportKind::MonthEnd);
        QMdiSubWindow* frame = s.window->clientArea()->activeSubWindow();
        QCOMPARE(frame->widget(), s.window->reportWindow(ReportKind::MonthEnd));
        QVERIFY(frame->isMaximized());
        QCOMPARE(frame->geometry(), s.window->clientArea()->viewport()->rect());
        // One status bar along the foot of the area: the front window's, none of the main window's.
        QVERIFY(s.window->findChildren<QStatusBar*>().isEmpty());
        QWidget* bar = frame->widget()->findChild<QWidget*>(QStringLiteral("StatusBar1"));
        QCOMPARE(bar->mapTo(s.window->clientArea()->viewport(), QPoint(0, bar->height())).y(),
                 s.window->clientArea()->viewport()->height() - (frame->height() - frame->contentsRect().bottom() - 1));
    }

    void oneWindowPerReport_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("caption");
        QTest::newRow("A") << "维修完成情况表" << "frm维修完成情况表" << "维修完成情况一览表";
        QTest::newRow("B") << "班组核算台账" << "frm班组核算台账New" << "班组经济核算台账";
        QTest::newRow("C") << "维修工考绩汇总" << "frm维修工考绩汇总New" << "维修工考绩汇总";
        QTest::newRow("D") << "报修簿月底汇总" << "frm报修月底汇总New" << "报修簿月底汇总";
    }

    void oneWindowPerReport()
    {
        QFETCH(QString, item);
        QFETCH(QString, window);
        QFETCH(QString, caption);
        Scene s;
        s.action(item)->trigger();
        QCOMPARE(s.openWindows(), 1);
        QMdiSubWindow* first = s.window->clientArea()->currentSubWindow();
        QVERIFY(first);
        QCOMPARE(first->widget()->objectName(), window);
        QCOMPARE(first->widget()->windowTitle(), caption);
        // Another report in front, then the first one again: the same window comes to the front.
        s.action(item == QStringLiteral("维修完成情况表") ? QStringLiteral("班组核算台账") : QStringLiteral("维修完成情况表"))
            ->trigger();
        QVERIFY(s.window->clientArea()->currentSubWindow() != first);
        s.action(item)->trigger();
        QCOMPARE(s.openWindows(), 2);
        QCOMPARE(s.window->clientArea()->currentSubWindow(), first);
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(s.messenger.messages.isEmpty());
    }

    void everyWindowShowsTheProgramsMark()
    {
        // Without the application's icon set, as in a host that starts the windows itself.
        QVERIFY(QApplication::windowIcon().isNull());
        Scene s;
        auto shows = [](const QIcon& icon) {
            for (int side : { 16, 32 })
                if (icon.pixmap(side).toImage().convertToFormat(QImage::Format_ARGB32)
                    != ProgramIcon::picture(side).convertToFormat(QImage::Format_ARGB32))
                    return false;
            return true;
        };
        QVERIFY(shows(s.window->windowIcon()));
        for (ReportKind kind : { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd }) {
            s.window->openReport(kind);
            QMdiSubWindow* frame = s.window->clientArea()->currentSubWindow();
            QVERIFY(frame);
            QVERIFY2(shows(frame->windowIcon()), qPrintable(frame->windowTitle()));
        }
    }

    void closeButtonUnloadsTheWindow()
    {
        Scene s;
        ReportWindow* window = s.window->openReport(ReportKind::Completion);
        window->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(QDate(2020, 1, 1));
        QPointer<QMdiSubWindow> frame = s.window->clientArea()->currentSubWindow();
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(s.openWindows(), 0);
        QVERIFY(!s.window->reportWindow(ReportKind::Completion));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!frame);
        // The next opening starts afresh.
        ReportWindow* again = s.window->openReport(ReportKind::Completion);
        QCOMPARE(again->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->date(), QDate::currentDate());
        QCOMPARE(s.openWindows(), 1);
    }

    void quitEndsAtOnce()
    {
        Scene s;
        s.action(QStringLiteral("退出"))->trigger();
        QCOMPARE(s.ended, 1);
        QVERIFY(s.messenger.messages.isEmpty());
    }

    void closingAsksFirst()
    {
        Scene s;
        s.messenger.answers.push_back(MessageAnswer::No);
        s.window->close();
        QCOMPARE(s.messenger.messages.size(), 1);
        const Message& m = s.messenger.messages.front();
        QCOMPARE(m.text, QStringLiteral("确认要退出系统吗？"));
        QCOMPARE(m.title, QStringLiteral("Trellum"));
        QCOMPARE(m.buttons, MessageButtons::YesNo);
        QCOMPARE(m.icon, MessageIcon::Information);
        QVERIFY(s.window->isVisible());
        QCOMPARE(s.ended, 0);
        s.messenger.answers.push_back(MessageAnswer::Yes);
        s.window->close();
        QCOMPARE(s.ended, 1);
    }

    void missingBackgroundLeavesItPlain()
    {
        Scene s;
        QVERIFY(s.window->clientArea()->background().texture().isNull());
        s.window->resize(900, 700);
        QVERIFY(s.window->clientArea()->background().texture().isNull());
        QVERIFY(s.messenger.messages.isEmpty());
    }

    void backgroundIsStretchedOnEveryResize()
    {
        Scene s(true);
        s.window->resize(900, 700);
        QMdiArea* area = s.window->clientArea();
        QCOMPARE(area->background().texture().size(), area->viewport()->size());
        s.window->resize(1100, 760);
        QCOMPARE(area->background().texture().size(), area->viewport()->size());
        QCOMPARE(area->background().texture().toImage().pixelColor(5, 5), QColor(10, 120, 200));
    }

    void bannerIsLengthened()
    {
        Scene s;
        BannerPicture* banner = s.window->banner();
        QCOMPARE(banner->objectName(), QStringLiteral("Picture1"));
        QCOMPARE(banner->height(), Twips::toPixels(810));
        const QImage design = BannerPicture::designPicture();
        QCOMPARE(design.size(), QSize(1028, 54));
        for (int width : { 1500, 2200, 700 }) {
            s.window->resize(width, 700);
            const QImage shown = banner->canvas().toImage();
            QCOMPARE(shown.width(), banner->width());
            if (Twips::toPixels(1440) != 96)
                continue; // the pixel comparisons below hold at 96 dpi
            const int w = banner->width();
            // The left part as designed, the right end from x = 8850 twips at the right edge.
            QCOMPARE(shown.pixel(100, 20), design.pixel(100, 20));
            for (int dx : { 5, 60, 200 })
                QCOMPARE(shown.pixel(w - 267 + dx, 30), design.pixel(590 + dx, 30));
            // The repeated slice in the middle.
            if (w > 1500)
                QCOMPARE(shown.pixel(Twips::toPixels(8850 + 300 * 20) + 7, 30), design.pixel(597, 30));
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
