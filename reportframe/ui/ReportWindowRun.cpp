// The report window's run button, row highlighting, export and close button.
#include "ReportWindow.h"

#include "FilterPanel.h"
#include "FlexGrid.h"
#include "ReportStatusBar.h"
#include "TypeAnalysisPanel.h"
#include "WaitCursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>

namespace trellum {

void ReportWindow::pressRun()
{
    const std::optional<CaptureFailure> failure = captureCriteria(m_info, m_filter->state(), m_criteria);
    if (failure) {
        inform(m_messenger, kReportMessageTitle, failure->message);
        m_filter->focusOn(failure->focus);
        return;
    }
    if (m_typeAnalysis) {
        m_typeAnalysis->clear();
        QCoreApplication::processEvents();
    }
    runReport();
}

void ReportWindow::runReport()
{
    const RunInput input { m_criteria, m_filter->calendarWorkingDays(), m_filter->categories() };
    m_lastRun = m_criteria; // what the grid holds from now on, even when the run fails part-way
    TypeAnalysis boxes {};
    DbStatus status;
    {
        WaitCursor wait;
        status = m_report->run(m_inputs.connection(), input, m_grid, boxes);
    }
    if (m_typeAnalysis)
        m_typeAnalysis->setBoxes(boxes);
    if (status)
        inform(m_messenger, kReportMessageTitle, reportErrorText(*status));
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
