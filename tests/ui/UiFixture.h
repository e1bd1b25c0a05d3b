#pragma once

#include "AppSession.h"
#include "FixtureDb.h"
#include "Messenger.h"

#include <QString>
#include <QTemporaryDir>

class QComboBox;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace trellum::test {

// A settings store of its own: [DBConfig] Svr=<svr>, in a folder that goes with the object.
class SettingsFile {
public:
    explicit SettingsFile(const QString& svr);
    QString path() const { return m_path; }
    // Points the store at another server.
    void setSvr(const QString& svr);

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// A save dialog that cancels, counting how often it was asked.
class CancellingSaveDialog final : public SaveDialog {
public:
    std::optional<QString> askSavePath(const QString& defaultName, const QString& filter) override
    {
        ++asked;
        lastName = defaultName;
        lastFilter = filter;
        return std::nullopt;
    }
    int asked = 0;
    QString lastName;
    QString lastFilter;
};

// A save dialog that answers with a path of its own, counting how often it was asked.
class AnsweringSaveDialog final : public SaveDialog {
public:
    std::optional<QString> askSavePath(const QString&, const QString&) override
    {
        ++asked;
        return answer;
    }
    QString answer;
    int asked = 0;
};

// The filter panel's data: regions 01 东区 (offices 0101 阳光花园, 0102 梅园小区, 0103 丽景苑;
// workers 0011 王建国 水电工, 0012 陈永明 木工) and 02 西区 (office 0201 春晖新村, worker 0021
// 吴磊 油漆工), and the categories 1 电, 2 水, 3 木 (and 9 旧, ended).
void addFilterData(FixtureDb& db);
// Opens the session's connection on the fixture.
void openSession(AppSession& session, const FixtureDb& db);
// Makes the window the active one, so that focus can be checked.
void activate(QWidget* window);
// Picks entry `index` of a region list with the keyboard, from no entry chosen.
void pickEntry(QComboBox* combo, int index);
// Toggles an item's check box with the space bar.
void toggle(QTreeWidget* tree, QTreeWidgetItem* item);
void toggle(QListWidget* list, int row);

} // namespace trellum::test
