// The month-end close's dialog, offscreen: what it offers, a close of two regions and two reports
// off the window's thread, stopping and starting again, the refusals before a start.

#include "CloseDialog.h"
#include "CloseFixture.h"
#include "DbConnection.h"
#include "RecordingMessenger.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

using namespace trellum;

namespace {

template <typename W>
W* child(QWidget* dialog, const char* name)
{
    return dialog->findChild<W*>(QString::fromUtf8(name));
}

// Ticks only the listed codes of a ticked list.
void tickOnly(QListWidget* list, const QStringList& codes)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(codes.contains(list->item(i)->data(Qt::UserRole).toString()) ? Qt::Checked
                                                                                                  : Qt::Unchecked);
}

QStringList lines(QWidget* dialog)
{
    QStringList out;
    const auto* list = child<QListWidget>(dialog, "lines");
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

class CloseDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_database;
    DbConnection m_lists;

    struct Scene {
        test::RecordingMessenger messenger;
        std::unique_ptr<CloseDialog> dialog;
    };

    std::unique_ptr<Scene> scene()
    {
        auto s = std::make_unique<Scene>();
        DbSettings settings;
        settings.Svr = QStringLiteral("sqlite:") + m_database;
        s->dialog = std::make_unique<CloseDialog>(m_lists, settings, s->messenger);
        s->dialog->show();
        return s;
    }

    // Sets the dialog to November 2026, regions 01 and 03, the completion overview and the
    // month-end summary, into `folder`.
    static void choose(CloseDialog* dialog, const QString& folder)
    {
        child<QDateEdit>(dialog, "startDate")->setDate(QDate(2026, 11, 1));
        child<QDateEdit>(dialog, "endDate")->setDate(QDate(2026, 11, 30));
        tickOnly(child<QListWidget>(dialog, "regions"), { "01", "03" });
        child<QCheckBox>(dialog, "ledger")->setChecked(false);
        child<QCheckBox>(dialog, "performance")->setChecked(false);
        child<QLineEdit>(dialog, "folder")->setText(folder);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_database = m_dir.filePath(QStringLiteral("demo.db"));
        QCOMPARE(test::writeCloseDatabase(m_database), QString());
        QVERIFY(!m_lists.openSqlite(m_database));
    }

    void offersLastMonthAndEverything()
    {
        const auto s = scene();
        CloseDialog* d = s->dialog.get();
        const QDate today = QDate::currentDate();
        const QDate first = today.addDays(1 - today.day()).addMonths(-1);
        QCOMPARE(child<QDateEdit>(d, "startDate")->date(), first);
        QCOMPARE(child<QDateEdit>(d, "endDate")->date(), first.addMonths(1).addDays(-1));
        const CloseOptions o = d->options();
        QCOMPARE(o.regionCodes, QStringList({ "01", "02", "03", "04" }));
        QCOMPARE(o.reports.size(), std::size_t(4));
        QVERIFY(!o.categoryCodes); // every category
        QVERIFY(o.outputFolder.endsWith(QStringLiteral("/Trellum/") + first.toString(QStringLiteral("yyyyMM"))));
        QVERIFY(!o.pdf);
        QVERIFY(o.jobs >= 1 && o.jobs <= 4);
        // the offered folder follows the period
        child<QDateEdit>(d, "startDate")->setDate(QDate(2026, 10, 1));
        QCOMPARE(d->options().outputFolder, CloseDialog::defaultFolder(QDate(2026, 10, 1)));
        QVERIFY(!child<QPushButton>(d, "openFolder")->isEnabled());
        QVERIFY(s->messenger.messages.isEmpty());
    }

    void closesTwoRegionsOffTheWindowsThread()
    {
        const auto s = scene();
        CloseDialog* d = s->dialog.get();
        const QString out = m_dir.filePath(QStringLiteral("two"));
        choose(d, out);
        QSignalSpy finished(d, &CloseDialog::finished);
        auto* start = child<QPushButton>(d, "start");
        QTest::mouseClick(start, Qt::LeftButton);
        QCOMPARE(start->text(), QStringLiteral("停止")); // returned at once: the close runs on threads of its own
        QVERIFY(finished.wait(60000));
        QCOMPARE(start->text(), QStringLiteral("开始"));
        const QStringList shown = lines(d);
        QCOMPARE(shown.size(), 4);
        for (const QString& line : shown)
            QVERIFY2(line.endsWith(QStringLiteral("：完成")), qPrintable(line));
        QVERIFY(shown[0].startsWith(QStringLiteral("01 东区 — 维修完成情况一览表")));
        QCOMPARE(child<QProgressBar>(d, "progress")->value(), 4);
        QVERIFY(child<QLabel>(d, "summary")->text().contains(QStringLiteral("完成 4 项，失败 0 项，未做 0 项")));
        QVERIFY(child<QPushButton>(d, "openFolder")->isEnabled());
        QVERIFY(QFileInfo(out + QStringLiteral("/01 东区/维修完成情况一览表_20261101_20261130.xlsx")).isFile());
        QVERIFY(QFileInfo(out + QStringLiteral("/03 南_区__/报修簿月底汇总表_20261101_20261130.xlsx")).isFile());
        QVERIFY(!QFileInfo::exists(out + QStringLiteral("/02 西区")));
        QVERIFY(s->messenger.messages.isEmpty());
    }

    void stopThenStartAgain()
    {
        const auto s = scene();
        CloseDialog* d = s->dialog.get();
        const QString out = m_dir.filePath(QStringLiteral("stopped"));
        choose(d, out);
        tickOnly(child<QListWidget>(d, "regions"), { "01", "02", "03" });
        child<QSpinBox>(d, "jobs")->setValue(1);
        QSignalSpy finished(d, &CloseDialog::finished);
        auto* start = child<QPushButton>(d, "start");
        QTest::mouseClick(start, Qt::LeftButton);
        QTest::mouseClick(start, Qt::LeftButton); // 停止
        QVERIFY(finished.wait(60000));
        QVERIFY2(child<QLabel>(d, "summary")->text().startsWith(QStringLiteral("已停止")),
                 qPrintable(child<QLabel>(d, "summary")->text()));
        QVERIFY(lines(d).filter(QStringLiteral("：未做")).size() >= 4);
        QVERIFY(s->messenger.messages.isEmpty());

        QTest::mouseClick(start, Qt::LeftButton);
        QVERIFY(finished.wait(60000));
        QCOMPARE(lines(d).filter(QStringLiteral("：完成")).size(), 6);
        QVERIFY(QFileInfo(out + QStringLiteral("/02 西区/报修簿月底汇总表_20261101_20261130.xlsx")).isFile());
    }

    void refusalsBeforeAStart_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("message");
        QTest::newRow("no region") << "regions" << "请勾选区域!";
        QTest::newRow("no report") << "reports" << "请勾选报表!";
        QTest::newRow("no category") << "categories" << "请勾选报修类别!";
        QTest::newRow("no folder") << "folder" << "请选择输出文件夹!";
        QTest::newRow("end before start") << "period" << "开始日期不能大于结束日期,请重新设定!";
    }

    void refusalsBeforeAStart()
    {
        QFETCH(QString, what);
        QFETCH(QString, message);
        const auto s = scene();
        CloseDialog* d = s->dialog.get();
        choose(d, m_dir.filePath(QStringLiteral("refused")));
        if (what == QLatin1String("regions"))
            tickOnly(child<QListWidget>(d, "regions"), {});
        if (what == QLatin1String("reports"))
            for (const char* name : { "completion", "monthend" })
                child<QCheckBox>(d, name)->setChecked(false);
        if (what == QLatin1String("categories"))
            tickOnly(child<QListWidget>(d, "categories"), {});
        if (what == QLatin1String("folder"))
            child<QLineEdit>(d, "folder")->setText(QStringLiteral("  "));
        if (what == QLatin1String("period"))
            child<QDateEdit>(d, "endDate")->setDate(QDate(2026, 10, 31));
        QTest::mouseClick(child<QPushButton>(d, "start"), Qt::LeftButton);
        QCOMPARE(s->messenger.texts(), QStringList { message });
        QVERIFY(!d->running());
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("refused"))));
    }

    // Closing the window while a close runs stops it; the window closes once it has ended.
    void closingStopsFirst()
    {
        const auto s = scene();
        CloseDialog* d = s->dialog.get();
        choose(d, m_dir.filePath(QStringLiteral("closing")));
        QSignalSpy finished(d, &CloseDialog::finished);
        QTest::mouseClick(child<QPushButton>(d, "start"), Qt::LeftButton);
        d->close();
        QVERIFY(finished.wait(60000));
        QTRY_VERIFY(!d->isVisible());
        QVERIFY(!d->running());
    }
};

QTEST_MAIN(CloseDialogTest)
#include "CloseDialogTest.moc"
