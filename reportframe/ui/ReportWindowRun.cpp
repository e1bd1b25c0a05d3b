// The report window's run button (the run on the window's runner, and its stop), row highlighting, export and
// close button.
#include "ReportWindow.h"

#include "FilterPanel.h"
#include "FlexGrid.h"
#include "ReportStatusBar.h"
#include "TypeAnalysisPanel.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace trellum {

namespace {

// How long a stopped run may take to hand back before the window lets it go and is free again.
constexpr int kStopGraceMs = 800;

} // namespace

void ReportWindow::pressRun()
{
    if (m_running) {
        stopRun();
        return;
    }
    const std::optional<CaptureFailure> failure = captureCriteria(m_info, m_filter->state(), m_criteria);
    if (failure) {
        inform(m_messenger, kReportMessageTitle, failure->message);
        m_filter->focusOn(failure->focus);
        return;
    }
    if (m_typeAnalysis) {
        m_boxesBefore = m_typeAnalysis->boxes();
        m_remarkBefore = m_typeAnalysis->remark();
        m_typeAnalysis->clear();
    }
    runReport();
}

void ReportWindow::runReport()
{
    // The run fills a grid of its own on the window's runner; the window's grid takes it over only
    // when the run completes.
    if (!m_runner)
        m_runner = std::make_unique<ReportRunner>(this);
    RunJob job { m_inputs.connection().source(), m_report,
                 RunInput { m_criteria, m_filter->calendarWorkingDays(), m_filter->categories() },
                 m_grid.detachedCopy() };
    const int serial = ++m_runSerial;
    const bool started = m_runner->start(
        std::move(job), [this, serial](long long sent) { if (serial == m_runSerial) runProgress(sent); },
        [this, serial](RunResult result) { if (serial == m_runSerial) runEnded(std::move(result)); });
    if (!started)
        return;
    m_pendingRun = m_criteria;
    m_runStatements = 0;
    showRunning(true);
    runProgress(0);
}

void ReportWindow::stopRun()
{
    if (!m_running || !m_runner)
        return;
    m_runner->stop();
    m_command5->setEnabled(false);
    m_statusBar->showMessage(QStringLiteral("正在停止统计…"), 0);
    // A statement that does not give up at once (a server that does not answer) is left to end
    // alone: the window is free again and its next run gets a runner of its own.
    QTimer::singleShot(kStopGraceMs, this, [this, serial = m_runSerial] {
        if (!m_running || serial != m_runSerial)
            return;
        ReportRunner::leave(std::move(m_runner));
        RunResult stopped;
        stopped.stopped = true;
        runEnded(std::move(stopped));
    });
}

void ReportWindow::showRunning(bool running)
{
    m_running = running;
    // The criteria stay as they were sent, the grid's result cannot be exported half-way, and the
    // run button becomes the stop button in place.
    m_filter->setEnabled(!running);
    for (QPushButton* b : { m_command2, m_command3, m_command4 })
        b->setEnabled(!running);
    m_command5->setEnabled(true);
    m_command5->setText(running ? kStopCaption : m_info.runButton);
    if (running) {
        setCursor(Qt::BusyCursor);
        m_command5->setCursor(Qt::ArrowCursor);
        m_command1->setCursor(Qt::ArrowCursor);
        showProgress(0, 0);
    } else {
        unsetCursor();
        hideProgress();
        m_statusBar->clearMessage();
    }
}

void ReportWindow::runProgress(long long sent)
{
    if (!m_running)
        return;
    m_runStatements = std::max(m_runStatements, sent);
    // Statements done of statements to send where the last run of the window tells how many.
    const long long expected = m_lastRunStatements;
    QString text = QStringLiteral("正在统计…");
    if (expected > 1 && sent >= 1 && sent <= expected) {
        m_progress->setRange(0, int(expected));
        m_progress->setValue(int(sent - 1));
        text = QStringLiteral("正在统计：第 %1 条语句，共 %2 条…").arg(sent).arg(expected);
    }
    m_statusBar->showMessage(text + QStringLiteral(" 按“%1”可中止。").arg(kStopCaption), 0);
}

void ReportWindow::runEnded(RunResult result)
{
    if (!m_running)
        return;
    ++m_runSerial; // nothing more of this run is heard
    showRunning(false);
    const bool completed = !result.stopped && !result.status;
    if (!completed) {
        // The grid, the boxes and the remark stay as the last completed run left them.
        if (m_typeAnalysis) {
            m_typeAnalysis->setBoxes(m_boxesBefore);
            m_typeAnalysis->setRemark(m_remarkBefore);
        }
        inform(m_messenger, kReportMessageTitle, result.stopped ? kStoppedMessage : reportErrorText(*result.status));
        return;
    }
    m_grid.takeOver(std::move(result.grid));
    m_lastRun = m_pendingRun;
    m_lastRunStatements = m_runStatements;
    if (m_typeAnalysis)
        m_typeAnalysis->setBoxes(result.boxes);
}

bool ReportWindow::refusedWhileRunning()
{
    if (!m_running)
        return false;
    inform(m_messenger, kReportMessageTitle, kRunGoingMessage);
    return true;
}

void ReportWindow::closeEvent(QCloseEvent* event)
{
    // Closing the window stops its run; the runner's thread ends with it.
    if (m_running) {
        ++m_runSerial;
        showRunning(false);
    }
    m_runner.reset();
    QWidget::closeEvent(event);
}

void ReportWindow::HighlightCurrentRow()
{
    m_highlighter.HighlightCurrentRow(m_grid);
}

ExportContext ReportWindow::exportContext() const
{
    ExportContext context;
    context.grid = &m_grid;
    // The sheet's header lines describe the figures in the grid: a region or period chosen since
    // the run is not theirs.
    if (m_lastRun) {
        context.startDate = m_lastRun->startDate;
        context.endDate = m_lastRun->endDate;
        context.regionName = m_lastRun->regionName;
        context.categoryNames = m_lastRun->categoryNames;
    } else {
        context.startDate = m_filter->startDate();
        context.endDate = m_filter->endDate();
        context.regionName = m_filter->regionName();
    }
    context.today = QDate::currentDate();
    context.title = m_title->text();
    if (m_typeAnalysis) {
        context.typeAnalysis = m_typeAnalysis->boxes();
        context.remark = m_typeAnalysis->remark();
    }
    return context;
}

void ReportWindow::exportGrid()
{
    if (refusedWhileRunning())
        return;
    if (!m_lastRun) {
        inform(m_messenger, kReportMessageTitle, kRunFirstMessage);
        return;
    }
    ExportCommand(m_report->exportLayout(), exportContext(), *this, m_dialog, m_messenger);
}

void ReportWindow::closeWindow()
{
    // Inside the main window the frame around the window closes (and with it the window).
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void ReportWindow::setCommandButtonsVisible(bool visible)
{
    for (QPushButton* b : { m_command1, m_command2, m_command3, m_command4, m_command5 })
        b->setVisible(visible);
    fitProgress();
}

void ReportWindow::showProgress(int minimum, int maximum)
{
    m_progress->setRange(minimum, maximum);
    m_progress->setValue(minimum);
    m_progress->show();
    fitProgress();
}

void ReportWindow::setProgress(int value)
{
    m_progress->setValue(value);
}

void ReportWindow::hideProgress()
{
    m_progress->hide();
    fitProgress();
}

void ReportWindow::repaintOnce()
{
    repaint();
}

void ReportWindow::exported(const QString& path)
{
    m_statusBar->showMessage(QStringLiteral("已导出：") + QDir::toNativeSeparators(path), 15000);
}

void ReportWindow::resetPointer()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

} // namespace trellum
