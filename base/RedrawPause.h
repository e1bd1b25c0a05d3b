#pragma once

#include "ReportGrid.h"

namespace trellum {

// Holds a grid's redraw off while it lives: the changes made meanwhile are collected, and the
// grid's observer hears of them once, when the pause ends (on every way out of a scope).
class RedrawPause {
public:
    explicit RedrawPause(ReportGrid& grid)
        : m_grid(grid)
    {
        m_grid.setRedraw(false);
    }
    ~RedrawPause() { m_grid.setRedraw(true); }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

    // Turns redraw off again after code this one called let the grid draw.
    void hold() { m_grid.setRedraw(false); }
    // Lets the observer hear of the changes so far, then goes on collecting.
    void drawNow()
    {
        m_grid.setRedraw(true);
        m_grid.setRedraw(false);
    }

private:
    ReportGrid& m_grid;
};

} // namespace trellum
