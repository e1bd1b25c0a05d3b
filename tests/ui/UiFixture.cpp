#include "UiFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>

#include <stdexcept>

namespace trellum::test {

SettingsFile::SettingsFile(const QString& svr)
    : m_path(m_dir.filePath(QStringLiteral("Quorvel2011.conf")))
{
    setSvr(svr);
}

void SettingsFile::setSvr(const QString& svr)
{
    QSettings store(m_path, QSettings::IniFormat);
    store.setValue(QStringLiteral("DBConfig/Svr"), svr);
    store.sync();
}

void addFilterData(FixtureDb& db)
{
    db.addRegion(QStringLiteral("01"), QStringLiteral("东区"));
    db.addRegion(QStringLiteral("02"), QStringLiteral("西区"));
    db.addOffice(QStringLiteral("01"), QStringLiteral("0101"), QStringLiteral("阳光花园"));
    db.addOffice(QStringLiteral("01"), QStringLiteral("0102"), QStringLiteral("梅园小区"));
    db.addOffice(QStringLiteral("01"), QStringLiteral("0103"), QStringLiteral("丽景苑"));
    db.addOffice(QStringLiteral("02"), QStringLiteral("0201"), QStringLiteral("春晖新村"));
    db.addWorker(QStringLiteral("01"), QStringLiteral("0011"), QStringLiteral("王建国"), QStringLiteral("水电工"));
    db.addWorker(QStringLiteral("01"), QStringLiteral("0012"), QStringLiteral("陈永明"), QStringLiteral("木工"));
    db.addWorker(QStringLiteral("02"), QStringLiteral("0021"), QStringLiteral("吴磊"), QStringLiteral("油漆工"));
    db.addCategory(QStringLiteral("1"), QStringLiteral("电"));
    db.addCategory(QStringLiteral("2"), QStringLiteral("水"));
    db.addCategory(QStringLiteral("3"), QStringLiteral("木"));
    db.addCategory(QStringLiteral("9"), QStringLiteral("旧"), QStringLiteral("2020-01-01"));
}

void openSession(AppSession& session, const FixtureDb& db)
{
    if (session.connection->openSqlite(db.path()))
        throw std::runtime_error("cannot open the fixture database");
}

void activate(QWidget* window)
{
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
}

void pickEntry(QComboBox* combo, int index)
{
    combo->setFocus();
    for (int i = combo->currentIndex(); i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

void toggle(QTreeWidget* tree, QTreeWidgetItem* item)
{
    tree->setCurrentItem(item);
    QTest::keyClick(tree, Qt::Key_Space);
}

void toggle(QListWidget* list, int row)
{
    list->setCurrentRow(row, QItemSelectionModel::NoUpdate);
    QTest::keyClick(list, Qt::Key_Space);
}

} // namespace trellum::test
