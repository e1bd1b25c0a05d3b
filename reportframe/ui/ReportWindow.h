#pragma once

#include "Criteria.h"
#include "Messenger.h"
#include "Report.h"
#include "ReportGrid.h"
#include "ReportInfo.h"
#include "ReportRunner.h"
#include "ReportWindowInputs.h"
#include "RowHighlighter.h"
#include "SpreadsheetExport.h"

#include <QWidget>

#include <memory>
#include <optional>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace trellum {

class FilterPanel;
class FlexGrid;

// The export button's answer before any run has filled the grid.
inline const QString kRunFirstMessage = QStringLiteral("请先统计！");
// The run button's caption while a run goes, and what the window says when the user stopped it.
inline const QString kStopCaption = QStringLiteral("停止");
inline const QString kStoppedMessage = QStringLiteral("统计已停止。");
// What the export, print and PDF buttons answer while a run goes.
inline const QString kRunGoingMessage = QStringLiteral("正在统计，请等统计完成或停止后再试。");

class ReportRunner;
class ReportStatusBar;
class TypeAnalysisPanel;

// One report window (frm维修完成情况表, frm班组核算台账New, frm维修工考绩汇总New,
// frm报修月底汇总New): the top band Picture5, the filter panel Picture1, the result area Picture2
// with the grid MSFlexGrid1 and the centred title box Picture4 (and, in D, the type-analysis panel
// Picture6), the button bar Picture3 and the status bar StatusBar1. The report itself is plain code
// behind `Report`, which also names the window and its captions. The window
// cannot be made smaller than the size at which its filter panel, buttons and status bar stay
// readable; above that size it lays itself out by the twips rules.
class ReportWindow final : public QWidget, public ExportHost {
    Q_OBJECT
public:
    // The window of the report on what the program hands it: the connection, the names and the report.
    ReportWindow(ReportWindowInputs inputs, Messenger& messenger, SaveDialog& dialog,
                 QWidget* parent = nullptr);
    ~ReportWindow() override;

    // OpenReportWindow: the session in the status bar, today in both pickers, the lists loaded
    // and the grid laid out. The window runs it once when it is made.
    void OpenReportWindow();
    // LayoutReportWindow: the regions from the window's inner size; a failing assignment is skipped.
    void LayoutReportWindow();
    // HighlightCurrentRow: the grid's current row shown light grey (per-window rules).
    void HighlightCurrentRow();
    // The run button (Command5): the checks of the criteria with their messages, then the run,
    // which goes on a thread of the window's own; while it goes the button stops it.
    void pressRun();
    // Stops the run that goes: the window is usable at once, the grid keeps what it showed.
    void stopRun();
    // Whether a run goes.
    bool running() const { return m_running; }

    const ReportInfo& info() const { return m_info; }
    const Report* report() const { return m_report; }
    ReportGrid& grid() { return m_grid; }
    const ReportGrid& grid() const { return m_grid; }
    // What the last successful press of the run button captured.
    const ReportCriteria& criteria() const { return m_criteria; }
    // The criteria of the run that filled the grid; nullopt before the first run.
    const std::optional<ReportCriteria>& lastRun() const { return m_lastRun; }
    // The row shown highlighted (HighlightedRow); 0 for none.
    int highlightedRow() const { return m_highlighter.highlightedRow(); }
    FilterPanel* filterPanel() const { return m_filter; }
    FlexGrid* gridView() const { return m_view; }
    ReportStatusBar* statusBar() const { return m_statusBar; }
    TypeAnalysisPanel* typeAnalysis() const { return m_typeAnalysis; }
    // What the export frame reads of the window: the grid with the period, region and category
    // names of the run that filled it (never the controls changed since), today, the title and
    // (D) the type-analysis boxes and the remark.
    ExportContext exportContext() const;

    // The window's design size (15360 × 9600 twips), for the frame that opens it.
    QSize sizeHint() const override;

    // The export frame's hold on the window: Command1 to Command5, hidden or shown together.
    void setCommandButtonsVisible(bool visible) override;
    // Shows ProgressBar1 with its range (beside the buttons whenever they show too).
    void showProgress(int minimum, int maximum) override;
    // Moves ProgressBar1.
    void setProgress(int value) override;
    // Hides ProgressBar1.
    void hideProgress() override;
    // Repaints the window once.
    void repaintOnce() override;
    // Puts the normal mouse pointer back.
    void resetPointer() override;
    // Shows the written path in the status bar for a while.
    void exported(const QString& path) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildTopBand();
    void buildResultArea();
    void buildButtonBar();
    QSize smallestSize() const;
    void fitProgress();
    void dockRegions();
    void runReport();
    void showRunning(bool running);
    void runProgress(long long sent);
    void runEnded(RunResult result);
    bool refusedWhileRunning();
    void exportGrid();
    void printGrid();
    void exportPdf();
    void closeWindow();

    const ReportInfo& m_info;
    ReportWindowInputs m_inputs;
    const Report* m_report = nullptr;
    Messenger& m_messenger;
    SaveDialog& m_dialog;
    ReportGrid m_grid;
    ReportCriteria m_criteria;
    std::optional<ReportCriteria> m_lastRun;
    RowHighlighter m_highlighter;
    std::unique_ptr<ReportRunner> m_runner; // made at the first run
    bool m_running = false;
    int m_runSerial = 0;                   // the run the window listens to; older ones are not heard
    long long m_runStatements = 0;         // what the run that goes has sent so far
    long long m_lastRunStatements = 0;     // what the last completed run sent, for the progress
    std::optional<ReportCriteria> m_pendingRun;
    TypeAnalysis m_boxesBefore {};
    QString m_remarkBefore;

    QFrame* m_topBand = nullptr;        // Picture5
    FilterPanel* m_filter = nullptr;    // Picture1
    QFrame* m_resultArea = nullptr;     // Picture2
    QFrame* m_titleBox = nullptr;       // Picture4
    QLabel* m_title = nullptr;          // Label1(7)
    FlexGrid* m_view = nullptr;         // MSFlexGrid1
    TypeAnalysisPanel* m_typeAnalysis = nullptr; // Picture6, window D only
    QFrame* m_buttonBar = nullptr;      // Picture3
    QPushButton* m_command5 = nullptr;
    QPushButton* m_command2 = nullptr;
    QPushButton* m_command3 = nullptr;  // 打印…
    QPushButton* m_command4 = nullptr;  // 导出PDF
    QPushButton* m_command1 = nullptr;
    QProgressBar* m_progress = nullptr; // ProgressBar1
    ReportStatusBar* m_statusBar = nullptr;
};

} // namespace trellum
