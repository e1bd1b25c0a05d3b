#pragma once

#include "RecordingMessenger.h"
#include "SpreadsheetExport.h"

#include <QStringList>

#include <optional>

namespace trellum::test {

// One log of what the window saw, in order: buttons, progress bar, pointer and messages.
struct ExportLog {
    QStringList events;
};

// The report window's side of an export, logged.
class RecordingHost : public ExportHost {
public:
    explicit RecordingHost(ExportLog& log) : m_log(log) {}
    void setCommandButtonsVisible(bool visible) override
    {
        m_log.events << (visible ? QStringLiteral("buttons shown") : QStringLiteral("buttons hidden"));
    }
    void showProgress(int minimum, int maximum) override
    {
        m_log.events << QStringLiteral("progress %1..%2").arg(minimum).arg(maximum);
    }
    void setProgress(int value) override { m_log.events << QStringLiteral("progress=%1").arg(value); }
    void hideProgress() override { m_log.events << QStringLiteral("progress hidden"); }
    void repaintOnce() override { m_log.events << QStringLiteral("repaint"); }
    void resetPointer() override { m_log.events << QStringLiteral("pointer reset"); }

private:
    ExportLog& m_log;
};

// Records the messages and puts each into the same log.
class LoggingMessenger : public RecordingMessenger {
public:
    explicit LoggingMessenger(ExportLog& log) : m_log(log) {}
    MessageAnswer show(const Message& message) override
    {
        m_log.events << QStringLiteral("message ") + message.text;
        return RecordingMessenger::show(message);
    }

private:
    ExportLog& m_log;
};

// A save dialog that answers with a fixed path (nullopt: cancelled) and records what it was offered.
class ScriptedDialog : public SaveDialog {
public:
    explicit ScriptedDialog(std::optional<QString> answer) : m_answer(std::move(answer)) {}
    std::optional<QString> askSavePath(const QString& defaultName, const QString& filter) override
    {
        ++asked;
        offeredName = defaultName;
        offeredFilter = filter;
        return m_answer;
    }
    int asked = 0;
    QString offeredName;
    QString offeredFilter;

private:
    std::optional<QString> m_answer;
};

} // namespace trellum::test
