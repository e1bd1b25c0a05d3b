#include "PdfExport.h"

#include "DbError.h"
#include "OutputFile.h"
#include "SheetPainter.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPdfWriter>

#include <cerrno>

namespace trellum {

namespace {

// The message of a run without a result to print.
const QString kNothingToPrint = QStringLiteral("请先统计！");

} // namespace

DbStatus writeSheetPdf(const Sheet& sheet, const QString& path, const QString& title)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return DbError { EINVAL, QStringLiteral("PDF 需要图形环境的字体，程序未以图形方式启动。") };
    // no file is touched before the document is complete
    if (const auto refused = OutputFile::refusal(path))
        return refused;
    QByteArray document;
    {
        QBuffer buffer(&document);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Trellum"));
        writer.setResolution(600);
        const SheetPainter painter(sheet);
        writer.setPageLayout(painter.pageLayout());
        if (!painter.paint(writer))
            return DbError { EIO, QStringLiteral("无法生成 PDF 页面: ") + path };
    }
    OutputFile out;
    if (auto error = out.open(path))
        return error;
    if (auto error = out.write(document))
        return error;
    return out.commit();
}

bool WritePdf(const ExportLayout& layout, const ExportContext& context, const QString& chosenPath, ExportHost& host,
              Messenger& messenger)
{
    const QString target = exportBasePath(chosenPath) + QStringLiteral(".pdf");
    const Sheet sheet = BuildSheet(layout, context, &host);
    return ReportOutcome(layout, context, target, writeSheetPdf(sheet, target, context.title), host, messenger);
}

bool refusedWithoutResult(const ExportLayout& layout, const ExportContext& context, Messenger& messenger)
{
    if (context.grid && context.grid->rows() > layout.guardRowCount)
        return false;
    inform(messenger, kReportMessageTitle, kNothingToPrint);
    return true;
}

void PdfCommand(const ExportLayout& layout, const ExportContext& context, ExportHost& host, SaveDialog& dialog,
                Messenger& messenger)
{
    if (refusedWithoutResult(layout, context, messenger))
        return;
    host.setCommandButtonsVisible(false);
    const std::optional<QString> path = dialog.askSavePath(
        layout.defaultFileName(context.startDate, context.endDate, context.today) + QStringLiteral(".pdf"),
        kPdfFileFilter);
    if (!path || path->isEmpty()) {
        inform(messenger, kReportMessageTitle, kExportCancelledMessage);
        host.setCommandButtonsVisible(true);
        return;
    }
    WritePdf(layout, context, *path, host, messenger);
    host.setCommandButtonsVisible(true);
}

} // namespace trellum
