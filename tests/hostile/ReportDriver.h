#pragma once

#include "AnsweringDialog.h"
#include "AppSession.h"
#include "RecordingMessenger.h"
#include "ReportKind.h"

#include <QDate>
#include <QList>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace trellum {
class ReportGrid;
class ReportWindow;
}

namespace trellum::test {

// What a report run showed: every cell's text and background ("" or six hex digits), the
// month-end's seven boxes, the messages, and the exit code of a headless run.
struct GridRun {
    std::vector<QStringList> rows;
    std::vector<QStringList> fills;
    QStringList boxes;
    QStringList messages;
    int exitCode = 0;

    // The texts and fills of a report grid.
    static GridRun of(const ReportGrid& grid);
};

// The panel as the user sets it before pressing the run button.
struct PanelChoice {
    QDate from;
    QDate to;
    int region = 0;                       // the Combo1 entry
    std::optional<QList<int>> nodes;      // the tree's children to tick; none: Check1 "全选"
    std::optional<QList<int>> categories; // List1 entries to tick; none: Check2 "全选"
};

// Drives one report window on an embedded database as a user would: picks, ticks, presses.
class ReportDriver {
public:
    // Opens the window of `kind` on the file, with its own session and message recorder.
    ReportDriver(ReportKind kind, const QString& databasePath);
    ~ReportDriver();

    // Sets the panel and presses Command5; returns what the grid then shows.
    GridRun run(const PanelChoice& choice);
    // Presses Command5 again with the panel as it is.
    GridRun runAgain();

    // The window, its session (with the connection) and what it has said so far.
    ReportWindow& window() const { return *m_window; }
    AppSession& session() { return m_session; }
    RecordingMessenger& messenger() { return m_messenger; }
    // The save dialog the export button asks.
    AnsweringDialog& dialog() { return m_dialog; }
    // Presses Command2 "导出Excel".
    void pressExport();

    // Runs trellum-report's code in-process: `arguments` without the program name.
    static GridRun headless(const QStringList& arguments);

private:
    GridRun snapshot() const;

    AppSession m_session;
    RecordingMessenger m_messenger;
    AnsweringDialog m_dialog;
    std::unique_ptr<ReportWindow> m_window;
};

} // namespace trellum::test
