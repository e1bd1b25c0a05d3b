#pragma once

#include <QFileIconProvider>

namespace trellum {

// Icons and type names for the save dialog's file list told from a file's name alone. The
// framework's own provider reads a file without a telling extension to name its type, and a file
// such as /proc/kmsg never answers: the dialog would hang as it lists the folder.
class NameOnlyIconProvider final : public QFileIconProvider {
public:
    // A folder's or a file's icon, from what the entry is.
    QIcon icon(const QFileInfo& info) const override;
    using QFileIconProvider::icon;
    // The type's name from the file's extension.
    QString type(const QFileInfo& info) const override;
};

} // namespace trellum
