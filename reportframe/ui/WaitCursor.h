#pragma once

namespace trellum {

// The hourglass pointer for the lifetime of the object; the normal pointer comes back after it.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    // Restores the normal pointer now (once).
    void release();

private:
    bool m_active = true;
};

} // namespace trellum
