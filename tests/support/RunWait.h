#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace trellum::test {

// Lets the event loop run until the report window's run has ended (its result shown); false when
// it still goes after `ms` milliseconds.
template <typename Window>
bool waitForRun(const Window& window, int ms = 30000)
{
    QElapsedTimer clock;
    clock.start();
    while (window.running()) {
        if (clock.elapsed() > ms)
            return false;
        QEventLoop pause;
        QTimer::singleShot(5, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return true;
}

} // namespace trellum::test
