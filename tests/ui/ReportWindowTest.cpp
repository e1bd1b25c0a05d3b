// The report window frame: its regions and captions per window, the status bar, the resize
// rules with failed assignments skipped, report A run through its window against the headless
// figures, the export button's cancel path, and the close button.

#include "CategoryBox.h"
#include "CompletionReport.h"
#include "FilterPanel.h"
#include "FixtureDb.h"
#include "FlexGrid.h"
#include "RecordingMessenger.h"
#include "ReportCatalog.h"
#include "ReportStatusBar.h"
#include "ReportScene.h"
#include "ReportWindow.h"
#include "RunOnFixture.h"
#include "RunWait.h"
#include "Twips.h"
#include "TypeAnalysisPanel.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>

using namespace trellum;
using namespace trellum::test;

namespace {

using E = Twips::Edge;

struct Scene : ReportScene<> {
    explicit Scene(ReportKind kind, const QString& department = QStringLiteral("维修部"))
    {
        addFilterData(db);
        addOrders();
        session.state.EmployeeName = QStringLiteral("李娜");
        session.state.DepartmentName = department;
        session.state.PositionName = QStringLiteral("水电工");
        open(kind);
        window->show();
    }
    void addOrders()
    {
        auto order = [&](const char* office, const char* category, const char* closed, int revisited, int accepted) {
            FixtureDb::Order o;
            o.office = QString::fromUtf8(office);
            o.region = QStringLiteral("01");
            o.category = QString::fromUtf8(category);
            o.reported = QStringLiteral("2024-02-20 09:00:00");
            o.closed = QString::fromUtf8(closed);
            o.revisited = revisited;
            o.accepted = accepted;
            db.addOrder(o);
        };
        order("0101", "1", "2024-03-02 10:00:00", 1, 1);
        order("0101", "2", "2024-03-15 10:00:00", 1, 0);
        order("0101", "1", "2024-03-31 18:00:00", 0, 0);
        order("0102", "2", "2024-03-10 08:00:00", 1, 1);
        order("0102", "3", "2024-03-11 08:00:00", 1, 1); // a category not ticked
        order("0103", "1", "2024-04-01 08:00:00", 1, 1); // after the period
    }
    int get(const char* name, E edge) const { return Twips::get(control<QWidget>(name), edge); }
    void prepareRun()
    {
        control<QDateEdit>("DTPicker1")->setDate(QDate(2024, 3, 1));
        control<QDateEdit>("DTPicker2")->setDate(QDate(2024, 3, 31));
        tickFirstOfEach();
        toggle(panel()->categoryBox()->list(), 1);
    }
};

} // namespace

class ReportWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void regionsAndCaptions_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("run");
        QTest::addColumn<QString>("dateLabel");
        QTest::addColumn<QString>("treeLabel");
        QTest::newRow("A") << ReportKind::Completion << "frm维修完成情况表" << "维修完成情况一览表" << "维修完成情况表"
                           << "维修完成情况一览表" << "开始统计" << "统计日期范围" << "勾选小区";
        QTest::newRow("B") << ReportKind::Ledger << "frm班组核算台账New" << "班组经济核算台账" << "班组经济核算台账"
                           << "班组经济核算台账汇总表" << "开始统计" << "统计日期范围" << "勾选维修人员";
        QTest::newRow("C") << ReportKind::Performance << "frm维修工考绩汇总New" << "维修工考绩汇总" << "维修工考绩汇总"
                           << "维修工考绩汇总表" << "开始汇总" << "汇总日期范围" << "勾选维修人员";
        QTest::newRow("D") << ReportKind::MonthEnd << "frm报修月底汇总New" << "报修簿月底汇总" << "报修簿月底汇总"
                           << "报修簿月底汇总表" << "开始统计" << "统计日期范围" << "勾选小区";
    }

    void regionsAndCaptions()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, shortName);
        QFETCH(QString, title);
        QFETCH(QString, run);
        QFETCH(QString, dateLabel);
        QFETCH(QString, treeLabel);
        Scene s(kind);
        QCOMPARE(s.window->objectName(), name);
        QCOMPARE(s.window->windowTitle(), caption);
        QCOMPARE(s.control<QLabel>(QStringLiteral("Label1(9)"))->text(), shortName);
        QCOMPARE(s.control<QLabel>(QStringLiteral("Label1(7)"))->text(), title);
        QCOMPARE(s.control<QLabel>(QStringLiteral("Label1(0)"))->text(), dateLabel);
        QCOMPARE(s.control<QLabel>(QStringLiteral("Label1(2)"))->text(), QStringLiteral("选择区域"));
        QCOMPARE(s.control<QLabel>(QStringLiteral("Label1(3)"))->text(), treeLabel);
        QCOMPARE(s.control<QPushButton>(QStringLiteral("Command5"))->text(), run);
        QCOMPARE(s.control<QPushButton>(QStringLiteral("Command2"))->text(), QStringLiteral("导出Excel"));
        QCOMPARE(s.control<QPushButton>(QStringLiteral("Command1"))->text(), QStringLiteral("退出"));
        QVERIFY(!s.control<QProgressBar>(QStringLiteral("ProgressBar1"))->isVisible());
        for (const char* region : { "Picture1", "Picture2", "Picture3", "Picture4", "Picture5", "Picture7",
                                    "MSFlexGrid1", "TreeView1", "List1", "Combo1", "Check1", "Check2" })
            QVERIFY2(s.control<QWidget>(QString::fromLatin1(region)), region);
        QCOMPARE(s.get("Picture5", E::Height), 630);
        QCOMPARE(s.get("Picture1", E::Width), 3960);
        QCOMPARE(s.get("Picture3", E::Height), 585);
        QCOMPARE(s.get("TreeView1", E::Top), findReport(kind).info().treeTopTwips);
        QCOMPARE(s.get("Picture7", E::Height), 3660);
        QCOMPARE(s.get("MSFlexGrid1", E::Top), 540);
        QCOMPARE(s.get("Picture4", E::Width), 2955);
        QCOMPARE(s.get("Picture4", E::Top), 75);
        QCOMPARE(s.control<QWidget>(QStringLiteral("Picture6")) != nullptr, kind == ReportKind::MonthEnd);
        // The grid shows the report's header rows, or nothing for a report not built yet.
        QCOMPARE(s.window->grid().rows(), findReport(kind).info().headerRows);
        QVERIFY(s.messenger.messages.isEmpty());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void statusBar()
    {
        Scene s(ReportKind::Performance);
        ReportStatusBar* bar = s.window->statusBar();
        QCOMPARE(bar->objectName(), QStringLiteral("StatusBar1"));
        const QStringList expected { "操作员", "李娜", "部门", "维修部", "岗位", "水电工", "Trellum" };
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(bar->panelText(i + 1), expected[i]);
        QCOMPARE(bar->panelText(8), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
        QVERIFY(!bar->panelText(9).isEmpty());
    }

    void namesShownAsPlainTextThatNeverWidenTheWindow_data()
    {
        QTest::addColumn<QString>("department");
        QTest::newRow("markup") << "<h1>维修部</h1><img src=\"/etc/hosts\"><a href=\"x\">链接</a>";
        QTest::newRow("40 characters") << QStringLiteral("物业维修部").repeated(8);
        QTest::newRow("100 KB") << QStringLiteral("部").repeated(100 * 1024);
    }

    void namesShownAsPlainTextThatNeverWidenTheWindow()
    {
        QFETCH(QString, department);
        Scene s(ReportKind::Performance, department);
        ReportWindow& window = *s.window;
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The window asks no more room than with a short name, and fits a 1024 x 768 screen.
        QVERIFY2(window.minimumSize().width() <= 1000, qPrintable(QString::number(window.minimumSize().width())));
        QVERIFY(window.statusBar()->minimumSizeHint().width() <= window.width());
        auto* panel = window.statusBar()->findChild<QLabel*>(QStringLiteral("Panel4"));
        QCOMPARE(panel->textFormat(), Qt::PlainText);
        QCOMPARE(window.statusBar()->panelText(4), department);
        const bool whole = panel->text() == department;
        QVERIFY(whole || panel->text().endsWith(QChar(0x2026)));
        QCOMPARE(panel->toolTip(), whole ? QString() : department);
        QVERIFY(panel->fontMetrics().horizontalAdvance(panel->text()) <= panel->contentsRect().width());
    }

    void successfulExportShowsItsPath()
    {
        // At the moment of the success message the bar is at its end and the path in the status bar.
        struct Snapshot final : RecordingMessenger {
            MessageAnswer show(const Message& message) override
            {
                if (watch)
                    watch();
                return RecordingMessenger::show(message);
            }
            std::function<void()> watch;
        };
        ReportScene<AnsweringSaveDialog, Snapshot> s;
        addFilterData(s.db);
        QTemporaryDir folder;
        s.dialog.answer = folder.filePath(QStringLiteral("完成情况"));
        s.open(ReportKind::Completion);
        ReportWindow& window = *s.window;
        Snapshot& messenger = s.messenger;
        window.show();
        s.tickFirstOfEach();
        QVERIFY(s.runToEnd());
        auto* progress = window.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
        int value = -1;
        QString status;
        messenger.watch = [&] {
            value = progress->value();
            status = window.statusBar()->message();
        };
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(messenger.texts(), QStringList { QStringLiteral("维修完成情况一览表导出成功!") });
        QCOMPARE(value, progress->maximum());
        const QString written = folder.filePath(QStringLiteral("完成情况.xlsx"));
        QVERIFY(QFileInfo::exists(written));
        QCOMPARE(status, QStringLiteral("已导出：") + QDir::toNativeSeparators(written));
        QCOMPARE(window.statusBar()->message(), status); // still there after the OK, for a while
    }

    void layoutFollowsTheWindow_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::newRow("A") << ReportKind::Completion;
        QTest::newRow("D") << ReportKind::MonthEnd;
    }

    void layoutFollowsTheWindow()
    {
        QFETCH(ReportKind, kind);
        Scene s(kind);
        const bool d = kind == ReportKind::MonthEnd;
        // the narrowest still holds the button row: run, export, print, PDF, the progress room and close
        for (QSize size : { QSize(1000, 640), QSize(1400, 900), QSize(900, 560) }) {
            s.window->resize(size);
            const int w = Twips::fromPixels(size.width());
            const int h = Twips::fromPixels(size.height());
            const int status = s.window->statusBar()->heightTwips();
            QCOMPARE(s.get("Picture2", E::Top), 630);
            QCOMPARE(s.get("Picture2", E::Left), 3960);
            QCOMPARE(s.get("Picture2", E::Height), h - 630 - 585 - status);
            QCOMPARE(s.get("Picture2", E::Width), w - 3960 - 30);
            const int areaW = s.get("Picture2", E::Width);
            const int areaH = s.get("Picture2", E::Height);
            QCOMPARE(s.get("Picture3", E::Left), 3960);
            QCOMPARE(s.get("Picture3", E::Width), areaW);
            QCOMPARE(s.get("Picture3", E::Top), 630 + areaH);
            QCOMPARE(s.get("Picture4", E::Left), (areaW - 2955) / 2);
            QCOMPARE(s.get("ProgressBar1", E::Width), areaW - 2 * 105);
            QCOMPARE(s.get("MSFlexGrid1", E::Width), areaW - 60);
            const int analysis = d ? TypeAnalysisPanel::kHeightTwips : 0;
            QCOMPARE(s.get("MSFlexGrid1", E::Height), areaH - 540 - 60 - analysis);
            // The close button keeps the run button's distance, from the other edge.
            QCOMPARE(areaW - s.get("Command1", E::Left) - s.get("Command1", E::Width), s.get("Command5", E::Left));
            // The filter panel: the category box at the foot, the tree down to it.
            const int panelH = s.get("Picture1", E::Height);
            QCOMPARE(s.get("Picture7", E::Top), panelH - 3660 + 45);
            QCOMPARE(s.get("TreeView1", E::Height), panelH - findReport(kind).info().treeTopTwips - 3660);
            if (d) {
                QCOMPARE(s.get("Picture6", E::Left), 0);
                QCOMPARE(s.get("Picture6", E::Top), areaH - analysis);
                QCOMPARE(s.get("Picture6", E::Width), areaW);
                QCOMPARE(s.get("Shape2", E::Width), areaW - s.get("Shape2", E::Left) - s.get("Shape1", E::Left));
                // The remark ends the inset short of the frame's inner edge; where there is no room
                // it shrinks to nothing rather than keep a width that runs past the frame.
                const int remark = areaW - s.get("Text2", E::Left) - 2 * s.get("Shape1", E::Left);
                QCOMPARE(s.get("Text2", E::Width), std::max(0, remark));
            }
        }
    }

    void shrinkingSkipsWhatFails()
    {
        Scene s(ReportKind::MonthEnd);
        s.window->resize(1100, 700);
        const char* regions[] = { "Picture2", "Picture3", "MSFlexGrid1", "Command1", "Picture6", "TreeView1", "Picture7" };
        std::vector<QRect> before;
        for (const char* r : regions)
            before.push_back(s.control<QWidget>(QString::fromLatin1(r))->geometry());
        // Below the window's own smallest size, as a window manager may still squeeze it.
        s.window->setMinimumSize(0, 0);
        s.window->resize(120, 90);
        QCOMPARE(s.window->size(), QSize(120, 90));
        QVERIFY(s.get("Picture2", E::Height) >= 0);
        QVERIFY(s.get("MSFlexGrid1", E::Height) >= 0);
        QVERIFY(s.messenger.messages.isEmpty());
        s.window->resize(1100, 700);
        for (std::size_t i = 0; i < std::size(regions); ++i)
            QCOMPARE(s.control<QWidget>(QString::fromLatin1(regions[i]))->geometry(), before[i]);
    }

    void smallestWindowStaysReadable_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::newRow("A") << ReportKind::Completion;
        QTest::newRow("B") << ReportKind::Ledger;
        QTest::newRow("C") << ReportKind::Performance;
        QTest::newRow("D") << ReportKind::MonthEnd;
    }

    void smallestWindowStaysReadable()
    {
        QFETCH(ReportKind, kind);
        Scene s(kind);
        s.window->resize(200, 150);
        const QSize smallest = s.window->size();
        QVERIFY(smallest.width() > 200 && smallest.height() > 150);
        QCOMPARE(smallest, s.window->minimumSize());
        auto rect = [&](const char* name) {
            QWidget* w = s.control<QWidget>(QString::fromUtf8(name));
            return QRect(w->mapTo(s.window.get(), QPoint(0, 0)), w->size());
        };
        // The filter panel: dates, region and tree above the category box, none over another;
        // the tree keeps room for the region and a few of its offices or workers.
        const QRect box = rect("Picture7");
        for (const char* control : { "DTPicker1", "DTPicker2", "Combo1", "Check1", "TreeView1" })
            QVERIFY2(!rect(control).intersects(box), control);
        QVERIFY(rect("TreeView1").height() >= 4 * QFontMetrics(s.window->filterPanel()->tree()->font()).height());
        QVERIFY(rect("Picture1").contains(box.adjusted(0, 0, 0, -Twips::toPixels(45))));
        // The three buttons apart from each other, all inside the button bar.
        const QRect bar = rect("Picture3");
        const QRect run = rect("Command5");
        const QRect save = rect("Command2");
        const QRect close = rect("Command1");
        QVERIFY(run.right() < save.left());
        QVERIFY(save.right() < close.left());
        QVERIFY(bar.contains(run) && bar.contains(save) && bar.contains(close));
        QVERIFY(rect("Picture2").contains(rect("Picture4")));
        // The status bar: every panel shows its whole text, none over the next.
        QRect previous;
        for (int i = 1; i <= ReportStatusBar::kPanels; ++i) {
            auto* panel = s.control<QLabel>(QStringLiteral("Panel%1").arg(i));
            const QRect r = rect(qPrintable(QStringLiteral("Panel%1").arg(i)));
            QVERIFY2(panel->contentsRect().width() >= panel->fontMetrics().horizontalAdvance(panel->text()),
                     qPrintable(panel->text()));
            QVERIFY2(previous.isNull() || previous.right() < r.left(), qPrintable(panel->text()));
            previous = r;
        }
        QVERIFY(rect("StatusBar1").contains(previous));
        // Above the smallest size the layout rules hold as before.
        s.window->resize(smallest + QSize(100, 80));
        QCOMPARE(s.get("Picture2", E::Height),
                 Twips::fromPixels(smallest.height() + 80) - 630 - 585 - s.window->statusBar()->heightTwips());
        QCOMPARE(s.get("Picture2", E::Width), Twips::fromPixels(smallest.width() + 100) - 3960 - 30);
    }

    void remarkStaysInsideItsFrame_data()
    {
        QTest::addColumn<int>("width"); // the window's width; 0 for its smallest
        QTest::newRow("design size") << Twips::toPixels(15360);
        QTest::newRow("on a 1024 x 768 screen") << 1010;
        QTest::newRow("smallest") << 0;
    }

    void remarkStaysInsideItsFrame()
    {
        QFETCH(int, width);
        Scene s(ReportKind::MonthEnd);
        s.window->resize(width ? width : s.window->minimumWidth(), s.window->minimumHeight());
        QCoreApplication::processEvents();
        auto* frame = s.control<QFrame>(QStringLiteral("Shape2"));
        auto* remark = s.control<QPlainTextEdit>(QStringLiteral("Text2"));
        const QRect inner = frame->geometry().adjusted(1, 1, -1, -1); // inside the frame's line
        QVERIFY2(inner.contains(remark->geometry()) || remark->width() == 0,
                 qPrintable(QStringLiteral("%1,%2 %3x%4 in %5,%6 %7x%8")
                                .arg(remark->x()).arg(remark->y()).arg(remark->width()).arg(remark->height())
                                .arg(inner.x()).arg(inner.y()).arg(inner.width()).arg(inner.height())));
        QVERIFY(s.window->typeAnalysis()->rect().contains(frame->geometry()));
    }

    void typeAnalysisPanel()
    {
        Scene s(ReportKind::MonthEnd);
        QCOMPARE(s.control<QLabel>(QStringLiteral("Label3"))->text(), QStringLiteral("类型分析"));
        QCOMPARE(s.control<QLabel>(QStringLiteral("Label4"))->text(), QStringLiteral("附记:"));
        const QStringList captions { "报修", "开箱", "设摊", "访问", "电话", "其他", "微信" };
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(s.control<QLabel>(QStringLiteral("Label2(%1)").arg(i))->text(), captions[i]);
            auto* box = s.control<QLineEdit>(QStringLiteral("Text1(%1)").arg(i));
            QVERIFY(box->isReadOnly());
            QVERIFY(box->text().isEmpty());
            QCOMPARE(Twips::get(box, E::Left), 1140 + 810 * i);
            QCOMPARE(Twips::get(box, E::Width), 820);
        }
        auto* remark = s.control<QPlainTextEdit>(QStringLiteral("Text2"));
        QVERIFY(!remark->isReadOnly());
        QCOMPARE(Twips::get(remark, E::Height), 600);
    }

    void completionRunMatchesTheHeadlessFigures()
    {
        Scene s(ReportKind::Completion);
        s.prepareRun();
        QTest::mouseClick(s.control<QPushButton>(QStringLiteral("Command5")), Qt::LeftButton);
        QVERIFY(waitForRun(*s.window));
        QVERIFY(s.messenger.messages.isEmpty());
        QVERIFY(!QGuiApplication::overrideCursor());

        ReportCriteria c;
        c.startDate = QDate(2024, 3, 1);
        c.endDate = QDate(2024, 3, 31);
        c.regionCode = QStringLiteral("01");
        c.regionName = QStringLiteral("东区");
        c.officeCodes = QStringLiteral("'0101','0102','0103'");
        c.categoryCodes = QStringLiteral("'1','2'");
        c.categoryNames = QStringLiteral("电，水");
        c.tickedCategoryCodes = QStringList { QStringLiteral("1"), QStringLiteral("2") };
        QCOMPARE(s.window->criteria().officeCodes, c.officeCodes);
        QCOMPARE(s.window->criteria().categoryNames, c.categoryNames);

        ReportGrid expected;
        QVERIFY(!runOnFixture(CompletionReport(), s.db, RunInput { c, true, s.window->filterPanel()->categories() }, expected));

        const ReportGrid& shown = s.window->grid();
        QCOMPARE(shown.texts(), expected.texts());
        for (int r = 0; r < expected.rows(); ++r)
            for (int c2 = 0; c2 < expected.cols(); ++c2)
                QCOMPARE(shown.background(r, c2), expected.background(r, c2));
        // The office with three orders of the ticked categories in the period.
        QCOMPARE(shown.text(2, 1), QStringLiteral("阳光花园"));
        QCOMPARE(shown.text(2, 2), QStringLiteral("3"));
        QCOMPARE(shown.text(shown.rows() - 1, 1), QStringLiteral("合计"));
        // What the grid view shows is the grid.
        const QAbstractItemModel* model = s.window->gridView()->model();
        QCOMPARE(model->rowCount(), shown.rows());
        QCOMPARE(model->index(2, 2).data().toString(), QStringLiteral("3"));
    }

    void exportCancelled()
    {
        Scene s(ReportKind::Completion);
        s.prepareRun();
        QTest::mouseClick(s.control<QPushButton>(QStringLiteral("Command5")), Qt::LeftButton);
        QVERIFY(waitForRun(*s.window));
        QTest::mouseClick(s.control<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(s.dialog.asked, 1);
        QCOMPARE(s.dialog.lastName, QStringLiteral("维修完成情况一览表_20240301_20240331"));
        QCOMPARE(s.dialog.lastFilter, QStringLiteral("电子表|*.xls;*.xlsx"));
        QCOMPARE(s.messenger.texts(), QStringList { QStringLiteral("您取消了导出操作！") });
        for (const char* b : { "Command1", "Command2", "Command5" })
            QVERIFY(s.control<QPushButton>(QString::fromLatin1(b))->isVisible());
        const ExportContext context = s.window->exportContext();
        QCOMPARE(context.grid, &s.window->grid());
        QCOMPARE(context.regionName, QStringLiteral("东区"));
        QCOMPARE(context.categoryNames, QStringLiteral("电，水"));
        QCOMPARE(context.title, QStringLiteral("维修完成情况一览表"));
        QCOMPARE(context.today, QDate::currentDate());
        QCOMPARE(context.startDate, QDate(2024, 3, 1));
    }

    void exportDescribesTheRunNotTheControls_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QStringList>("cells"); // "row,col,text" of the sheet's header lines
        QTest::addColumn<QString>("fileName");
        QTest::newRow("completion: region and period")
            << ReportKind::Completion
            << QStringList { "3,2,管理区域: 东区", "3,5, 统计日期: 2024-03-01 至 2024-03-31" }
            << "维修完成情况一览表_20240301_20240331";
        QTest::newRow("ledger: region and period")
            << ReportKind::Ledger << QStringList { "3,1, 班    组: 东区", "3,8, 统计日期: 2024-03-01 至 2024-03-31" }
            << QString();
        QTest::newRow("month-end: period line")
            << ReportKind::MonthEnd << QStringList { "3,1, 汇总日期: 2024-03-01 至 2024-03-31" }
            << "报修簿月底汇总表_20240301_20240331";
    }

    void exportDescribesTheRunNotTheControls()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QStringList, cells);
        QFETCH(QString, fileName);
        Scene s(kind);
        s.prepareRun();
        QTest::mouseClick(s.control<QPushButton>(QStringLiteral("Command5")), Qt::LeftButton);
        QVERIFY(waitForRun(*s.window));
        QVERIFY2(s.messenger.texts().isEmpty(), qPrintable(s.messenger.texts().join(QLatin1Char('|'))));
        // Another region and period are chosen, but not run.
        s.control<QComboBox>(QStringLiteral("Combo1"))->setCurrentIndex(1);
        s.control<QDateEdit>(QStringLiteral("DTPicker1"))->setDate(QDate(2025, 7, 1));
        s.control<QDateEdit>(QStringLiteral("DTPicker2"))->setDate(QDate(2025, 7, 31));
        QCOMPARE(s.window->filterPanel()->regionName(), QStringLiteral("西区"));

        const Sheet sheet = BuildSheet(s.window->report()->exportLayout(), s.window->exportContext());
        for (const QString& cell : cells) {
            const QStringList parts = cell.split(QLatin1Char(','));
            QCOMPARE(sheet.value(parts[0].toInt(), parts[1].toInt()).text, parts.mid(2).join(QLatin1Char(',')));
        }
        QTest::mouseClick(s.control<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(s.dialog.asked, 1);
        if (!fileName.isEmpty())
            QCOMPARE(s.dialog.lastName, fileName);
    }

    void exportBeforeAnyRunSaysSo_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::newRow("completion") << ReportKind::Completion;
        QTest::newRow("ledger") << ReportKind::Ledger;
        QTest::newRow("performance") << ReportKind::Performance;
        QTest::newRow("month-end") << ReportKind::MonthEnd;
    }

    void exportBeforeAnyRunSaysSo()
    {
        QFETCH(ReportKind, kind);
        Scene s(kind);
        s.prepareRun(); // chosen, but not run
        QTest::mouseClick(s.control<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(s.dialog.asked, 0);
        QCOMPARE(s.messenger.texts(), QStringList { QStringLiteral("请先统计！") });
    }

    void buttonsAnswerAfterAFailedExport_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("run") << "Command5";
        QTest::newRow("export") << "Command2";
        QTest::newRow("close") << "Command1";
    }

    void buttonsAnswerAfterAFailedExport()
    {
        QFETCH(QString, button);
        ReportScene<AnsweringSaveDialog> s;
        addFilterData(s.db);
        QTemporaryDir folder;
        s.dialog.answer = folder.filePath(QStringLiteral("missing/维修完成情况一览表.xlsx"));
        s.open(ReportKind::Completion);
        ReportWindow& window = *s.window;
        const RecordingMessenger& messenger = s.messenger;
        const AnsweringSaveDialog& dialog = s.dialog;
        window.show();
        window.resize(window.minimumSize()); // the least room there is for the bar beside the buttons
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* progress = window.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
        FilterPanel* panel = window.filterPanel();
        s.tickFirstOfEach();
        QVERIFY(s.runToEnd());
        QVERIFY(messenger.messages.isEmpty());
        QCOMPARE(window.grid().rows(), 2 + 3 + 1);

        // The export into a folder that does not exist fails at the save.
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(dialog.asked, 1);
        QCOMPARE(messenger.messages.size(), 1);
        QVERIFY(messenger.messages.front().text.startsWith(QStringLiteral("错误码: ")));
        // The bar stays with its last value, beside the buttons that are back.
        QVERIFY(progress->isVisible());
        QCOMPARE(progress->value(), window.grid().rows() - 3);
        QVERIFY(progress->width() > 0);
        const QRect bar(progress->mapTo(&window, QPoint(0, 0)), progress->size());
        for (const char* name : { "Command5", "Command2", "Command1" }) {
            auto* b = window.findChild<QPushButton*>(QString::fromLatin1(name));
            QVERIFY2(b->isVisible(), name);
            const QRect r(b->mapTo(&window, QPoint(0, 0)), b->size());
            QVERIFY2(!r.intersects(bar), name);
            // What the mouse meets at the button's middle is the button.
            QCOMPARE(window.childAt(r.center()), b);
        }

        // A click there is the button's.
        toggle(panel->tree(), panel->tree()->topLevelItem(0)); // no office ticked: the run says so
        auto* pressed = window.findChild<QPushButton*>(button);
        QWidget* hit = window.childAt(QRect(pressed->mapTo(&window, QPoint(0, 0)), pressed->size()).center());
        QTest::mouseClick(hit, Qt::LeftButton);
        if (button == QLatin1String("Command5")) {
            QCOMPARE(messenger.messages.back().text, QStringLiteral("请勾选小区!"));
        } else if (button == QLatin1String("Command2")) {
            QCOMPARE(dialog.asked, 2);
        } else {
            QVERIFY(!window.isVisible());
        }
    }

    void closeButtonClosesTheWindow()
    {
        Scene s(ReportKind::Ledger);
        QTest::mouseClick(s.control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
        QVERIFY(!s.window->isVisible());
    }
};

QTEST_MAIN(ReportWindowTest)
#include "ReportWindowTest.moc"
