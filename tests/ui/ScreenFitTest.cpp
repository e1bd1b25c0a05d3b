// The program on a screen of a given size (TRELLUM_TEST_SCREEN, for example 1024x768; the suite
// runs it at 1024 × 768, 1366 × 768 and 1920 × 1080): the main window within the screen's
// available area, and each report window opened from the menu whole inside the main window's
// client area, every control of it on the screen.

#include "FixtureDb.h"
#include "MainWindow.h"
#include "Program.h"
#include "ReportScene.h"
#include "ReportWindow.h"
#include "Twips.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

using namespace trellum;
using namespace trellum::test;

namespace {

const QString kHandOff = QStringLiteral("1001,李娜,D01,维修部,P01,水电工,BM,职能部门,GL,管理岗");

// The program started by a hand-off on a fresh fixture, straight to its main window.
struct Scene : ProgramScene {
    Scene()
    {
        addFilterData(db);
        program.start(kHandOff);
    }
    MainWindow* main() const { return program.mainWindow(); }
};

QRect globalRect(const QWidget* widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

} // namespace

class ScreenFitTest : public QObject {
    Q_OBJECT
public:
    explicit ScreenFitTest(QSize screen)
        : m_screen(screen)
    {
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), m_screen);
    }

    void mainWindowFitsTheScreen()
    {
        Scene s;
        MainWindow* main = s.main();
        QVERIFY(main);
        QVERIFY(QTest::qWaitForWindowExposed(main));
        const QRect available = main->screen()->availableGeometry();
        QVERIFY2(available.contains(main->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(main->frameGeometry().x()).arg(main->frameGeometry().y())
                                .arg(main->frameGeometry().width()).arg(main->frameGeometry().height())));
        if (m_screen.width() >= 1280 && m_screen.height() >= 900) {
            // Room enough: the design size, in the middle of the screen.
            QCOMPARE(main->size(), QSize(1200, 820));
            QVERIFY(!main->isMaximized());
            QVERIFY(qAbs(main->geometry().center().x() - available.center().x()) <= 1);
        } else {
            QVERIFY(main->isMaximized());
        }
    }

    void reportWindowsOpenWhole_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("A") << "维修完成情况表";
        QTest::newRow("B") << "班组核算台账";
        QTest::newRow("C") << "维修工考绩汇总";
        QTest::newRow("D") << "报修簿月底汇总";
    }

    void reportWindowsOpenWhole()
    {
        QFETCH(QString, item);
        Scene s;
        MainWindow* main = s.main();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        main->findChild<QAction*>(item)->trigger();
        QMdiArea* area = main->clientArea();
        QMdiSubWindow* frame = area->currentSubWindow();
        QVERIFY(frame);
        auto* window = qobject_cast<ReportWindow*>(frame->widget());
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(main));
        QCOMPARE(frame->windowTitle(), window->windowTitle());

        // The whole window inside the client area, at its design size where the area has room.
        QVERIFY(area->viewport()->rect().contains(frame->geometry()));
        QVERIFY(window->width() >= window->minimumWidth() && window->height() >= window->minimumHeight());
        const QSize design(Twips::toPixels(15360), Twips::toPixels(9600));
        const QSize room = area->viewport()->size() - (frame->size() - window->size());
        QCOMPARE(window->size(), design.boundedTo(room).expandedTo(window->minimumSize()));
        if (m_screen.width() >= 1920)
            QCOMPARE(window->size(), design);

        // Every control a person needs is on the screen and inside the client area.
        const QRect screen = main->screen()->availableGeometry();
        const QRect client = globalRect(area->viewport());
        for (const char* name : { "DTPicker1", "DTPicker2", "Combo1", "Check1", "TreeView1", "Picture7", "Check2",
                                  "MSFlexGrid1", "Command5", "Command2", "Command1", "StatusBar1" }) {
            auto* control = window->findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY2(control && control->isVisible(), name);
            const QRect r = globalRect(control);
            QVERIFY2(screen.contains(r), name);
            QVERIFY2(client.contains(r), name);
        }
        QVERIFY(s.messenger.messages.isEmpty());
    }

private:
    QSize m_screen;
};

int main(int argc, char** argv)
{
    // The offscreen platform with one screen of the size this run is for.
    const QList<QByteArray> size = qgetenv("TRELLUM_TEST_SCREEN").split('x');
    if (size.size() != 2 || size[0].toInt() <= 0 || size[1].toInt() <= 0) {
        std::fprintf(stderr, "TRELLUM_TEST_SCREEN must be WIDTHxHEIGHT\n");
        return 2;
    }
    const QSize screen(size[0].toInt(), size[1].toInt());
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 2;
    file.write(QStringLiteral(R"({ "screens": [ { "name": "screen", "x": 0, "y": 0, "width": %1, "height": %2,
                                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] })")
                   .arg(screen.width())
                   .arg(screen.height())
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    ScreenFitTest test(screen);
    return QTest::qExec(&test, argc, argv);
}

#include "ScreenFitTest.moc"
