#pragma once

#include "Messenger.h"

#include <optional>

namespace trellum::test {

// A save dialog that answers with whatever path the test has set (nullopt: cancelled).
class AnsweringDialog final : public SaveDialog {
public:
    // Returns the set answer and remembers what was offered.
    std::optional<QString> askSavePath(const QString& defaultName, const QString&) override
    {
        ++asked;
        offeredName = defaultName;
        return answer;
    }
    std::optional<QString> answer;
    int asked = 0;
    QString offeredName;
};

} // namespace trellum::test
