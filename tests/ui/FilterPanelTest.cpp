// The filter panel: the region and category lists, the tree of offices or workers with its tick
// propagation and select-all, the category select-all, the working-day option, and database
// errors reported without ending anything.

#include "CategoryBox.h"
#include "FilterPanel.h"
#include "ReportScene.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

struct Scene : ReportScene<> {
    explicit Scene(ReportKind kind, bool withData = true)
        : kind(kind)
    {
        if (withData)
            addFilterData(db);
    }
    void open()
    {
        openFake(kind);
        window->show();
    }
    QComboBox* regions() const { return panel()->findChild<QComboBox*>(QStringLiteral("Combo1")); }
    QTreeWidget* tree() const { return panel()->tree(); }
    QCheckBox* check1() const { return panel()->findChild<QCheckBox*>(QStringLiteral("Check1")); }
    QCheckBox* check2() const { return panel()->categoryBox()->selectAll(); }
    QListWidget* list() const { return panel()->categoryBox()->list(); }
    QTreeWidgetItem* node(int index) const
    {
        QTreeWidgetItem* root = tree()->topLevelItem(0);
        return index == 0 ? root : root->child(index - 1);
    }
    QList<bool> ticks() const
    {
        QList<bool> out;
        if (tree()->topLevelItemCount() == 0)
            return out;
        out << (node(0)->checkState(0) == Qt::Checked);
        for (int i = 0; i < node(0)->childCount(); ++i)
            out << (node(0)->child(i)->checkState(0) == Qt::Checked);
        return out;
    }
    QStringList texts() const
    {
        QStringList out;
        if (tree()->topLevelItemCount() == 0)
            return out;
        out << node(0)->text(0);
        for (int i = 0; i < node(0)->childCount(); ++i)
            out << node(0)->child(i)->text(0);
        return out;
    }

    ReportKind kind;
};

} // namespace

class FilterPanelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typingAWholeDate_data()
    {
        QTest::addColumn<QString>("keys"); // typed into the picker; "⏎" is Enter, "⎋" Escape, "↑" Up
        QTest::addColumn<QDate>("date");
        const QDate start(2024, 3, 15);
        QTest::newRow("eight digits") << "20261101" << QDate(2026, 11, 1);
        QTest::newRow("dashes") << "2026-11-01⏎" << QDate(2026, 11, 1);
        QTest::newRow("slashes, one-digit day") << "2026/2/7⏎" << QDate(2026, 2, 7);
        QTest::newRow("dots") << "2025.12.31⏎" << QDate(2025, 12, 31);
        QTest::newRow("no such day") << "20260230" << start;
        QTest::newRow("mixed separators") << "2026-11/01⏎" << start;
        QTest::newRow("too short") << "202611⏎" << start;
        QTest::newRow("given up with Escape") << "2026⎋" << start;
        // The sections still answer the arrow keys (the year is the section at the start).
        QTest::newRow("arrow up on the year") << "↑" << start.addYears(1);
        QTest::newRow("arrow after typing gives it up") << "20↑" << start.addYears(1);
    }

    void typingAWholeDate()
    {
        QFETCH(QString, keys);
        QFETCH(QDate, date);
        Scene s(ReportKind::Completion);
        s.open();
        auto* picker = s.panel()->findChild<QDateEdit*>(QStringLiteral("DTPicker1"));
        picker->setDate(QDate(2024, 3, 15));
        activate(s.window.get());
        picker->setFocus();
        picker->setCurrentSection(QDateTimeEdit::YearSection);
        for (const QChar c : keys) {
            if (c == QChar(0x23CE))
                QTest::keyClick(picker, Qt::Key_Return);
            else if (c == QChar(0x238B))
                QTest::keyClick(picker, Qt::Key_Escape);
            else if (c == QChar(0x2191))
                QTest::keyClick(picker, Qt::Key_Up);
            else
                QTest::keyClick(picker, c.toLatin1());
        }
        QCOMPARE(picker->date(), date);
        QCOMPARE(picker->text(), date.toString(QStringLiteral("yyyy-MM-dd")));
    }

    void quickPeriods_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        const QDate today = QDate::currentDate();
        const QDate month(today.year(), today.month(), 1);
        QTest::newRow("本月") << "cmdThisMonth" << month << month.addMonths(1).addDays(-1);
        QTest::newRow("上月") << "cmdLastMonth" << month.addMonths(-1) << month.addDays(-1);
        QTest::newRow("本年") << "cmdThisYear" << QDate(today.year(), 1, 1) << QDate(today.year(), 12, 31);
    }

    void quickPeriods()
    {
        QFETCH(QString, button);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        Scene s(ReportKind::MonthEnd);
        s.open();
        auto* from = s.panel()->findChild<QDateEdit*>(QStringLiteral("DTPicker1"));
        auto* to = s.panel()->findChild<QDateEdit*>(QStringLiteral("DTPicker2"));
        // The pickers still open on today.
        QCOMPARE(from->date(), QDate::currentDate());
        QCOMPARE(to->date(), QDate::currentDate());
        auto* b = s.panel()->findChild<QPushButton*>(button);
        QVERIFY(b);
        QCOMPARE(b->text(), QString::fromUtf8(QTest::currentDataTag()));
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(from->date(), start);
        QCOMPARE(to->date(), end);
        // The button sits on the caption's row, clear of the pickers and inside the panel.
        QVERIFY(!b->geometry().intersects(from->geometry()));
        QVERIFY(!b->geometry().intersects(to->geometry()));
        QVERIFY(s.panel()->rect().contains(b->geometry()));
        QVERIFY(!b->geometry().intersects(s.panel()->findChild<QWidget*>(QStringLiteral("Label1(0)"))->geometry()));
    }

    void listsWhenTheWindowOpens()
    {
        Scene s(ReportKind::Completion);
        s.open();
        QCOMPARE(s.regions()->count(), 2);
        QCOMPARE(s.regions()->itemText(0), QStringLiteral("01 东区"));
        QCOMPARE(s.regions()->itemText(1), QStringLiteral("02 西区"));
        QCOMPARE(s.regions()->currentIndex(), -1);
        QCOMPARE(s.tree()->topLevelItemCount(), 0);
        QCOMPARE(s.list()->count(), 3);
        QCOMPARE(s.list()->item(0)->text(), QStringLiteral("1 电"));
        QCOMPARE(s.list()->item(2)->text(), QStringLiteral("3 木"));
        QCOMPARE(s.list()->currentRow(), 0);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(s.list()->item(i)->checkState(), Qt::Unchecked);
        QCOMPARE(s.panel()->categories().size(), std::size_t(3));
        QCOMPARE(s.panel()->categories()[1].name, QStringLiteral("水"));
        for (const char* name : { "DTPicker1", "DTPicker2" }) {
            auto* picker = s.panel()->findChild<QDateEdit*>(QString::fromLatin1(name));
            QCOMPARE(picker->date(), QDate::currentDate());
            QCOMPARE(picker->displayFormat(), QStringLiteral("yyyy-MM-dd"));
        }
        QVERIFY(s.messenger.messages.isEmpty());
    }

    void treeOfTheChosenRegion_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<int>("region");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("A offices") << ReportKind::Completion << 0
                                   << QStringList { "01 东区", "0101 阳光花园", "0102 梅园小区", "0103 丽景苑" };
        QTest::newRow("D offices") << ReportKind::MonthEnd << 1 << QStringList { "02 西区", "0201 春晖新村" };
        QTest::newRow("B workers") << ReportKind::Ledger << 0
                                   << QStringList { "01 东区", "0011 王建国【水电工】", "0012 陈永明【木工】" };
        QTest::newRow("C workers") << ReportKind::Performance << 1 << QStringList { "02 西区", "0021 吴磊【油漆工】" };
    }

    void treeOfTheChosenRegion()
    {
        QFETCH(ReportKind, kind);
        QFETCH(int, region);
        QFETCH(QStringList, texts);
        Scene s(kind);
        s.open();
        pickEntry(s.regions(), region);
        QCOMPARE(s.texts(), texts);
        QCOMPARE(s.ticks(), QList<bool>(texts.size(), false));
        // Names too long for the tree are shortened there and shown whole in the tooltip; the
        // region list's entries the same.
        QCOMPARE(s.tree()->textElideMode(), Qt::ElideRight);
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(s.node(i)->toolTip(0), texts[i]);
        QCOMPARE(s.regions()->itemData(region, Qt::ToolTipRole).toString(), s.regions()->itemText(region));
        QVERIFY(s.node(0)->isExpanded());
        QVERIFY(!s.node(0)->icon(0).isNull());
        QVERIFY(s.tree()->isVisible());
    }

    void rootTickReachesEveryNode()
    {
        Scene s(ReportKind::Completion);
        s.open();
        pickEntry(s.regions(), 0);
        toggle(s.tree(), s.node(0));
        QCOMPARE(s.ticks(), (QList<bool> { true, true, true, true }));
        toggle(s.tree(), s.node(0));
        QCOMPARE(s.ticks(), (QList<bool> { false, false, false, false }));
        // Ticking an office changes nothing else, and never the root.
        toggle(s.tree(), s.node(2));
        QCOMPARE(s.ticks(), (QList<bool> { false, false, true, false }));
        toggle(s.tree(), s.node(1));
        toggle(s.tree(), s.node(3));
        QCOMPARE(s.ticks(), (QList<bool> { false, true, true, true }));
    }

    void selectAllNodes()
    {
        Scene s(ReportKind::Ledger);
        s.open();
        // Before a region is chosen the box changes nothing.
        QTest::mouseClick(s.check1(), Qt::LeftButton);
        QCOMPARE(s.tree()->topLevelItemCount(), 0);
        pickEntry(s.regions(), 0);
        QVERIFY(!s.check1()->isChecked()); // a new tree clears the box
        QTest::mouseClick(s.check1(), Qt::LeftButton);
        QCOMPARE(s.ticks(), (QList<bool> { true, true, true }));
        QTest::mouseClick(s.check1(), Qt::LeftButton);
        QCOMPARE(s.ticks(), (QList<bool> { false, false, false }));
    }

    void anotherRegionStartsAfresh()
    {
        Scene s(ReportKind::Completion);
        s.open();
        pickEntry(s.regions(), 0);
        QTest::mouseClick(s.check1(), Qt::LeftButton);
        toggle(s.list(), 1);
        pickEntry(s.regions(), 1);
        QCOMPARE(s.texts(), (QStringList { "02 西区", "0201 春晖新村" }));
        QCOMPARE(s.ticks(), (QList<bool> { false, false }));
        QVERIFY(!s.check1()->isChecked());
        QCOMPARE(s.list()->item(1)->checkState(), Qt::Checked); // the categories stay
    }

    void selectAllCategories()
    {
        Scene s(ReportKind::Completion);
        s.open();
        QTest::mouseClick(s.check2(), Qt::LeftButton);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(s.list()->item(i)->checkState(), Qt::Checked);
        QTest::mouseClick(s.check2(), Qt::LeftButton);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(s.list()->item(i)->checkState(), Qt::Unchecked);
        toggle(s.list(), 2);
        QCOMPARE(s.list()->item(2)->checkState(), Qt::Checked);
        QCOMPARE(s.list()->item(0)->checkState(), Qt::Unchecked);
    }

    void selectAllCategoriesOfAnEmptyList()
    {
        Scene s(ReportKind::MonthEnd, false);
        s.open();
        QCOMPARE(s.list()->count(), 0);
        QTest::mouseClick(s.check2(), Qt::LeftButton);
        QVERIFY(!s.check2()->isChecked());
    }

    void attendanceOption_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::newRow("B") << ReportKind::Ledger;
        QTest::newRow("C") << ReportKind::Performance;
    }

    void attendanceOption()
    {
        QFETCH(ReportKind, kind);
        Scene s(kind);
        s.open();
        auto* option1 = s.panel()->findChild<QRadioButton*>(QStringLiteral("Option1"));
        auto* option2 = s.panel()->findChild<QRadioButton*>(QStringLiteral("Option2"));
        QCOMPARE(option1->text(), QStringLiteral("计算工作日"));
        QCOMPARE(option2->text(), QStringLiteral("考勤工作日"));
        QVERIFY(option1->isChecked());
        QTest::mouseClick(option2, Qt::LeftButton);
        QCOMPARE(s.messenger.texts(), QStringList { QStringLiteral("工作日数据来自考勤数据库,目前暂无考勤数据库!") });
        QCOMPARE(s.messenger.messages.front().title, QStringLiteral("系统提示"));
        QVERIFY(option1->isChecked());
        QVERIFY(!option2->isChecked());
        QVERIFY(s.panel()->calendarWorkingDays());
    }

    void optionsOnlyInTheWorkerWindows()
    {
        for (ReportKind kind : { ReportKind::Completion, ReportKind::MonthEnd }) {
            Scene s(kind);
            s.open();
            QVERIFY(!s.panel()->findChild<QRadioButton*>(QStringLiteral("Option1")));
        }
    }

    void duplicateWorkerGetsOneNode()
    {
        Scene s(ReportKind::Performance);
        // A second current position of the same worker makes the tree statement return him twice.
        s.db.exec(QStringLiteral("INSERT INTO 岗位员工new VALUES ('0011', 'WX02', 0, NULL)"));
        s.open();
        pickEntry(s.regions(), 0);
        QCOMPARE(s.texts(), (QStringList { "01 东区", "0011 王建国【水电工】", "0012 陈永明【木工】" }));
    }

    void databaseErrorsAreShownAndTheWindowStays_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("table");
        QTest::newRow("regions, A") << ReportKind::Completion << "区域设置";
        QTest::newRow("categories, A") << ReportKind::Completion << "PG报修类别设置";
        QTest::newRow("categories, D") << ReportKind::MonthEnd << "PG报修类别设置";
        QTest::newRow("offices, D") << ReportKind::MonthEnd << "区域对应管理处";
        QTest::newRow("workers, B") << ReportKind::Ledger << "PG区域维修人员";
    }

    void databaseErrorsAreShownAndTheWindowStays()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, table);
        Scene s(kind);
        s.db.exec(QStringLiteral("DROP TABLE ") + table);
        s.open();
        if (s.regions()->count() > 0)
            pickEntry(s.regions(), 0);
        QCOMPARE(s.messenger.messages.size(), 1);
        const Message& m = s.messenger.messages.front();
        QCOMPARE(m.title, QStringLiteral("系统提示"));
        QVERIFY2(QRegularExpression(QStringLiteral("^错误码: -?\\d+ 错误描述: .+")).match(m.text).hasMatch(),
                 qPrintable(m.text));
        QVERIFY(s.window->isVisible());
        QVERIFY(!QGuiApplication::overrideCursor());
        // The window goes on: the run button still answers.
        s.messenger.messages.clear();
        QTest::mouseClick(s.window->findChild<QPushButton*>(QStringLiteral("Command5")), Qt::LeftButton);
        QCOMPARE(s.messenger.messages.size(), 1);
    }
};

QTEST_MAIN(FilterPanelTest)
#include "FilterPanelTest.moc"
