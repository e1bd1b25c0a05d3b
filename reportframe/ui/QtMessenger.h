#pragma once

#include "Messenger.h"

namespace trellum {

// Messages as modal message boxes with the given title, icon and buttons, over the active window;
// a box is never too narrow for a window manager to show its whole title.
class QtMessenger final : public Messenger {
public:
    // Shows the box and waits for the user's answer.
    MessageAnswer show(const Message& message) override;
};

} // namespace trellum
