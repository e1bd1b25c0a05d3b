#include "QtSaveDialog.h"

#include "NameOnlyIconProvider.h"
#include "SpreadsheetExport.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStringList>

namespace trellum {

namespace {

// The framework's save dialog, asking before it replaces a file. The export writes the chosen
// name with its extension made ".xlsx", so that is the name asked about: the dialog's own check
// looks only at the name as typed ("台账" for the file "台账.xlsx") and would let it be replaced.
class ExportFileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QString chosen = selectedFiles().value(0);
        if (!chosen.isEmpty() && !QFileInfo(chosen).isDir()) {
            const QFileInfo written(exportBasePath(chosen) + QStringLiteral(".xlsx"));
            if (written.exists() && !confirmReplace(written))
                return;
        }
        QFileDialog::accept();
    }

private:
    // The dialog's own question, in its own (translated) words; No is the default.
    bool confirmReplace(const QFileInfo& file)
    {
        const QString text =
            QFileDialog::tr("%1 already exists.\nDo you want to replace it?").arg(file.fileName());
        return QMessageBox::warning(this, windowTitle(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
    }
};

} // namespace

QString QtSaveDialog::dialogFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

QString QtSaveDialog::startFolder() const
{
    if (!m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir())
        return m_lastFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

std::optional<QString> QtSaveDialog::askSavePath(const QString& defaultName, const QString& filter)
{
    NameOnlyIconProvider icons;
    ExportFileDialog dialog(QApplication::activeWindow());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite); // asked above, about the file written
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(dialogFilter(filter));
    dialog.setDirectory(startFolder());
    dialog.selectFile(defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().constFirst();
    m_lastFolder = QFileInfo(path).absolutePath();
    return path;
}

} // namespace trellum
