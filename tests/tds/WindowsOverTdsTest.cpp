// The real windows over the real client stack, offscreen: the same program once with its
// settings pointing at the TDS test server (texts as code-page-936 VARCHAR) and once at the
// embedded file it serves. The login with one and with several positions, each report window's
// filter lists, a run and an export show the same on both.

#include "LoginWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "RecordingMessenger.h"
#include "ReportWindow.h"
#include "RunWait.h"
#include "TdsServer.h"
#include "UiFixture.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QJsonArray>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

// A save dialog that answers with the path set for it.
class PathDialog final : public SaveDialog {
public:
    std::optional<QString> askSavePath(const QString&, const QString&) override { return path; }
    QString path;
};

// One program with its own settings store.
struct Side {
    QTemporaryDir dir;
    QString store = dir.filePath(QStringLiteral("Quorvel2011.conf"));
    AppSession session;
    RecordingMessenger messenger;
    PathDialog dialog;
    int ended = 0;
    Program program { session, messenger, dialog, [this] { ++ended; }, dir.path() };

    explicit Side(const QString& settingsText)
    {
        QFile f(store);
        if (f.open(QIODevice::WriteOnly))
            f.write(settingsText.toUtf8());
        f.close();
        session.settingsPath = store;
        dialog.path = dir.filePath(QStringLiteral("report.xlsx"));
        program.start(QString());
    }
    template <typename T>
    T* in(QWidget* w, const QString& name) const
    {
        return w ? w->findChild<T*>(name) : nullptr;
    }
    void login(const QString& number, const QString& password)
    {
        in<QLineEdit>(program.loginWindow(), QStringLiteral("TxtUser"))->setText(number);
        in<QLineEdit>(program.loginWindow(), QStringLiteral("txtPassword"))->setText(password);
        QTest::mouseClick(in<QPushButton>(program.loginWindow(), QStringLiteral("cmdOK")), Qt::LeftButton);
    }
    QStringList positions() const
    {
        QStringList out;
        auto* list = in<QListWidget>(program.loginWindow(), QStringLiteral("List1"));
        for (int i = 0; list && list->isVisibleTo(program.loginWindow()) && i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    void choosePosition(int row)
    {
        auto* list = in<QListWidget>(program.loginWindow(), QStringLiteral("List1"));
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    QStringList record() const
    {
        const SessionState& s = session.state;
        return { s.EmployeeId, s.EmployeeName, s.DepartmentId, s.DepartmentName, s.PositionId, s.PositionName,
                 s.DepartmentCategoryId, s.DepartmentCategoryName, s.PositionCategoryId, s.PositionCategoryName };
    }
    QWidget* open(const QString& item, const QString& windowName)
    {
        if (!program.mainWindow())
            return nullptr;
        program.mainWindow()->findChild<QAction*>(item)->trigger();
        return program.mainWindow()->findChild<QWidget*>(windowName);
    }
};

QStringList comboEntries(QComboBox* combo)
{
    QStringList out;
    for (int i = 0; combo && i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

void collect(QTreeWidgetItem* item, int depth, QStringList& out)
{
    out << QString(depth, QLatin1Char(' ')) + item->text(0);
    for (int i = 0; i < item->childCount(); ++i)
        collect(item->child(i), depth + 1, out);
}

QStringList treeEntries(QTreeWidget* tree)
{
    QStringList out;
    for (int i = 0; tree && i < tree->topLevelItemCount(); ++i)
        collect(tree->topLevelItem(i), 0, out);
    return out;
}

QStringList listEntries(QListWidget* list)
{
    QStringList out;
    for (int i = 0; list && i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// Every cell of the grid as shown: its text and background.
QStringList gridCells(QTableView* grid)
{
    QStringList out;
    const QAbstractItemModel* m = grid ? grid->model() : nullptr;
    for (int r = 0; m && r < m->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < m->columnCount(); ++c) {
            const QModelIndex i = m->index(r, c);
            row << m->data(i).toString() + QLatin1Char('/') + m->data(i, Qt::BackgroundRole).value<QBrush>().color().name();
        }
        out << row.join(QLatin1Char('|'));
    }
    return out;
}

} // namespace

class WindowsOverTdsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_db;
    TdsServer m_server;

    QString tdsSettings() const
    {
        return QStringLiteral("[DBConfig]\nSvr=%1\nUID=%2\nPWD=%3\nDBname=%4\n")
            .arg(m_server.svr(), TdsServer::user(), TdsServer::password(), TdsServer::database());
    }
    QString embeddedSettings() const { return QStringLiteral("[DBConfig]\nSvr=sqlite:%1\n").arg(m_db); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_server.valid(), "run under run_with_server.py");
        m_db = writeNamesDatabase(m_dir.filePath(QStringLiteral("repair.db")), false);
        QVERIFY(!m_db.isEmpty());
    }

    void init()
    {
        QVERIFY(m_server.serve(m_db, QJsonObject { { "text", "varchar" }, { "collation", "Chinese_PRC_CI_AS" } }));
    }

    void login_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("positions"); // entries offered; the first is chosen
        QTest::addColumn<bool>("main");
        QTest::newRow("one position") << "1001" << "1234" << 0 << true;
        QTest::newRow("several positions") << "1002" << "1234" << 3 << true;
        QTest::newRow("has left") << "1003" << "1234" << 0 << false;
        QTest::newRow("wrong password") << "1001" << "4321" << 0 << false;
    }

    void login()
    {
        QFETCH(QString, number);
        QFETCH(QString, password);
        QFETCH(int, positions);
        QFETCH(bool, main);
        Side tds(tdsSettings());
        Side embedded(embeddedSettings());
        tds.login(number, password);
        embedded.login(number, password);
        QCOMPARE(tds.positions().size(), positions);
        QCOMPARE(tds.positions(), embedded.positions());
        if (positions > 0) {
            tds.choosePosition(0);
            embedded.choosePosition(0);
        }
        QCOMPARE(tds.messenger.texts(), embedded.messenger.texts());
        QCOMPARE(tds.record(), embedded.record());
        QCOMPARE(bool(tds.program.mainWindow()), main);
        QCOMPARE(bool(embedded.program.mainWindow()), main);
        if (number == QStringLiteral("1001") && main)
            QVERIFY(tds.record().value(1).endsWith(QStringLiteral("喆")));
        QCOMPARE(tds.ended, 0);
        // the login went over TDS
        QCOMPARE(m_server.log().value("logins").toArray().size(), 1);
    }

    void reportWindow_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("window");
        QTest::newRow("A") << "维修完成情况表" << "frm维修完成情况表";
        QTest::newRow("B") << "班组核算台账" << "frm班组核算台账New";
        QTest::newRow("C") << "维修工考绩汇总" << "frm维修工考绩汇总New";
        QTest::newRow("D") << "报修簿月底汇总" << "frm报修月底汇总New";
    }

    // The filter lists, a run with everything ticked and the export, as on the embedded file.
    void reportWindow()
    {
        QFETCH(QString, item);
        QFETCH(QString, window);
        Side tds(tdsSettings());
        Side embedded(embeddedSettings());
        QList<QWidget*> windows;
        for (Side* side : { &tds, &embedded }) {
            side->login(QStringLiteral("1001"), QStringLiteral("1234"));
            QWidget* w = side->open(item, window);
            QVERIFY(w);
            windows << w;
        }
        auto both = [&](auto read) { return std::make_pair(read(windows[0]), read(windows[1])); };

        const auto regions = both([](QWidget* w) { return comboEntries(w->findChild<QComboBox*>(QStringLiteral("Combo1"))); });
        QCOMPARE(regions.first, regions.second);
        QCOMPARE(regions.first.size(), 4);
        const auto categories = both([](QWidget* w) { return listEntries(w->findChild<QListWidget*>(QStringLiteral("List1"))); });
        QCOMPARE(categories.first, categories.second);
        QVERIFY(categories.first.join(QString()).contains(QStringLiteral("犇镕")));

        for (QWidget* w : windows) {
            w->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(QDate(2026, 10, 1));
            w->findChild<QDateEdit*>(QStringLiteral("DTPicker2"))->setDate(QDate(2026, 11, 30));
            pickEntry(w->findChild<QComboBox*>(QStringLiteral("Combo1")), 2);
        }
        const auto tree = both([](QWidget* w) { return treeEntries(w->findChild<QTreeWidget*>(QStringLiteral("TreeView1"))); });
        QCOMPARE(tree.first, tree.second);
        QVERIFY(tree.first.size() > 2);
        QVERIFY(tree.first.join(QString()).contains(window.contains(QStringLiteral("台账")) || window.contains(QStringLiteral("考绩"))
                                                        ? QStringLiteral("赟")
                                                        : QStringLiteral("堃喆")));

        for (QWidget* w : windows) {
            w->findChild<QCheckBox*>(QStringLiteral("Check1"))->click();
            w->findChild<QCheckBox*>(QStringLiteral("Check2"))->click();
            w->findChild<QPushButton*>(QStringLiteral("Command5"))->click();
        }
        for (QWidget* w : windows)
            QVERIFY(waitForRun(*qobject_cast<ReportWindow*>(w)));
        QVERIFY2(tds.messenger.texts().isEmpty(), qPrintable(tds.messenger.texts().join('|')));
        const auto grid = both([](QWidget* w) { return gridCells(w->findChild<QTableView*>(QStringLiteral("MSFlexGrid1"))); });
        QCOMPARE(grid.first, grid.second);
        QVERIFY(grid.first.size() > 4);

        for (QWidget* w : windows)
            w->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
        QCOMPARE(tds.messenger.texts().size(), 1);
        QCOMPARE(tds.messenger.texts().first().replace(tds.dir.path(), QString()),
                 embedded.messenger.texts().first().replace(embedded.dir.path(), QString()));
        const QByteArray book = workbookParts(tds.dialog.path);
        QVERIFY(!book.isEmpty());
        QVERIFY(book == workbookParts(embedded.dialog.path));
    }
};

QTEST_MAIN(WindowsOverTdsTest)
#include "WindowsOverTdsTest.moc"
