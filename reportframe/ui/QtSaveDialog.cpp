#include "QtSaveDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QStringList>

namespace trellum {

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

std::optional<QString> QtSaveDialog::askSavePath(const QString& defaultName, const QString& filter)
{
    const QString path = QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(), defaultName,
                                                      dialogFilter(filter));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace trellum
