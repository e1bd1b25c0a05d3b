// The report window's paper: the print preview with the printer choice and the PDF button.

#include "ReportWindow.h"

#include "PdfExport.h"
#include "SheetPainter.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

namespace trellum {

void ReportWindow::printGrid()
{
    if (refusedWhileRunning())
        return;
    if (!m_lastRun) {
        inform(m_messenger, kReportMessageTitle, kRunFirstMessage);
        return;
    }
    const ExportLayout layout = m_report->exportLayout();
    const ExportContext context = exportContext();
    if (refusedWithoutResult(layout, context, m_messenger))
        return;
    const Sheet sheet = BuildSheet(layout, context);
    const SheetPainter painter(sheet);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(context.title);
    printer.setPageLayout(painter.pageLayout());
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(context.title);
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&painter](QPrinter* target) {
        painter.paint(*target);
    });
    preview.exec();
}

void ReportWindow::exportPdf()
{
    if (refusedWhileRunning())
        return;
    if (!m_lastRun) {
        inform(m_messenger, kReportMessageTitle, kRunFirstMessage);
        return;
    }
    PdfCommand(m_report->exportLayout(), exportContext(), *this, m_dialog, m_messenger);
}

} // namespace trellum
