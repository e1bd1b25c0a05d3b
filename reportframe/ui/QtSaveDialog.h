#pragma once

#include "Messenger.h"

namespace trellum {

// The platform's save-file dialog.
class QtSaveDialog final : public SaveDialog {
public:
    // Offers the default name with a filter in the "name|pattern;pattern" form; nullopt on cancel.
    std::optional<QString> askSavePath(const QString& defaultName, const QString& filter) override;

    // A "name|*.a;*.b" filter in the dialog's "name (*.a *.b)" form.
    static QString dialogFilter(const QString& filter);
};

} // namespace trellum
