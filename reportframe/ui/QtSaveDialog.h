#pragma once

#include "Messenger.h"

#include <QString>

namespace trellum {

// The save-file dialog of the export, the framework's own (so that it speaks the program's
// language on every desktop). It opens in the user's documents folder (home when there is none),
// then in the folder of the last file chosen in this run, as a platform dialog remembers it. It asks
// before the export replaces a file, about the file the export writes (the chosen name as .xlsx).
class QtSaveDialog final : public SaveDialog {
public:
    // Offers the default name with a filter in the "name|pattern;pattern" form; nullopt on cancel.
    std::optional<QString> askSavePath(const QString& defaultName, const QString& filter) override;
    // The folder the dialog opens in next.
    QString startFolder() const;

    // A "name|*.a;*.b" filter in the dialog's "name (*.a *.b)" form.
    static QString dialogFilter(const QString& filter);

private:
    QString m_lastFolder;
};

} // namespace trellum
