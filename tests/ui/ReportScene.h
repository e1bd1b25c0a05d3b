#pragma once

#include "AppSession.h"
#include "CategoryBox.h"
#include "FakeReport.h"
#include "FilterPanel.h"
#include "FixtureDb.h"
#include "Program.h"
#include "RecordingMessenger.h"
#include "ReportWindow.h"
#include "RunWait.h"
#include "SessionInputs.h"
#include "UiFixture.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <optional>

namespace trellum::test {

// A fixture database of the test's own, a session to open on it, and the message recorder and save
// dialog the windows talk to.
template <typename Dialog = CancellingSaveDialog, typename Recorder = RecordingMessenger>
struct SessionScene {
    FixtureDb db;
    AppSession session;
    Recorder messenger;
    Dialog dialog;
};

// A report window on the scene's fixture: the catalogue's report of a kind, or a fake report that
// records its runs. The window opens when the test has put its data in.
template <typename Dialog = CancellingSaveDialog, typename Recorder = RecordingMessenger>
struct ReportScene : SessionScene<Dialog, Recorder> {
    // The window's report when the scene stands a fake one in; it outlives the window.
    std::optional<FakeReport> fake;
    std::unique_ptr<ReportWindow> window;

    // Opens the session on the fixture and the window of the catalogue's report of `kind`.
    void open(ReportKind kind) { openWith(sessionInputs(this->session, kind)); }
    // The same with a fake report of `kind` in the catalogue's report's place.
    void openFake(ReportKind kind) { openWith(sessionInputs(this->session, &fake.emplace(kind))); }

    // The window's filter panel.
    FilterPanel* panel() const { return window->filterPanel(); }
    // A control of the window by its object name.
    template <typename T>
    T* control(const QString& name) const
    {
        return window->findChild<T*>(name);
    }
    template <typename T>
    T* control(const char* name) const
    {
        return control<T>(QString::fromUtf8(name));
    }
    // Clicks one of the window's buttons by its name ("Command5" runs).
    void press(const char* button) { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }
    // Presses the run button and lets the run go to its end: false when it still goes after 30 s.
    bool runToEnd()
    {
        press("Command5");
        return waitForRun(*window);
    }
    // Picks the first region and ticks its root node and the first category, as a user readies a run.
    void tickFirstOfEach()
    {
        pickEntry(control<QComboBox>("Combo1"), 0);
        toggle(panel()->tree(), panel()->tree()->topLevelItem(0));
        toggle(panel()->categoryBox()->list(), 0);
    }

private:
    void openWith(ReportWindowInputs inputs)
    {
        openSession(this->session, this->db);
        window = std::make_unique<ReportWindow>(std::move(inputs), this->messenger, this->dialog);
    }
};

// The whole program on the scene's fixture, its settings file pointing there; `ended` counts the
// times it ended.
struct ProgramScene : SessionScene<> {
    SettingsFile settings { db.svr() };
    QTemporaryDir folder;
    int ended = 0;
    Program program { session, messenger, dialog, [this] { ++ended; }, folder.path() };

    ProgramScene() { session.settingsPath = settings.path(); }
};

} // namespace trellum::test
