#pragma once

#include "Messenger.h"
#include "SpreadsheetExport.h"

#include <QString>

#include <chrono>
#include <cstdio>
#include <functional>

namespace trellum::bench {

// Nobody watches the export's buttons and progress bar, nor reads its messages here.
class Unattended : public ExportHost, public Messenger {
public:
    void setCommandButtonsVisible(bool) override {}
    void showProgress(int, int) override {}
    void setProgress(int) override {}
    void hideProgress() override {}
    MessageAnswer show(const Message& message) override
    {
        last = message.text;
        return MessageAnswer::Ok;
    }
    QString last;
};

// One line on standard error.
inline void say(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

// The seconds `write` takes; `ok` turns false when it fails.
inline double timed(const std::function<bool()>& write, bool* ok)
{
    const auto t = std::chrono::steady_clock::now();
    *ok = write() && *ok;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

} // namespace trellum::bench
