#pragma once

#include "AppSession.h"
#include "Messenger.h"
#include "Program.h"
#include "ReportKind.h"

#include <QDate>
#include <QJsonObject>
#include <QObject>

#include <memory>

class QWidget;

namespace trellum::bench {

// One start of the desktop program, watched from inside: the program's windows made as
// app/main.cpp makes them, then the login typed at once when its window has been painted, the
// report window opened from the main window as soon as that has been painted, and, if asked,
// the report run over one month and one year through the window's own controls. Each moment is
// measured from the process start the driver hands over (a steady-clock time taken before the
// process was spawned), and written as one JSON line on standard output at the end.
class StartupProbe final : public QObject {
public:
    struct Options {
        ReportKind kind = ReportKind::Completion;
        qint64 originNs = 0;       // steady clock at the spawn of this process
        QString programFolder;     // where MDI.BMP is, as beside the program
        QString user;
        QString password;
        bool runReport = false;
        QString region;
        QDate lastDay;
    };

    explicit StartupProbe(const Options& options);
    ~StartupProbe() override;

    // Starts the program (the login window) and waits for the windows through the event loop;
    // the application quits when the probe is done.
    void start();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Quiet : public Messenger, public SaveDialog {
    public:
        MessageAnswer show(const Message& message) override;
        std::optional<QString> askSavePath(const QString&, const QString&) override { return std::nullopt; }
        QStringList texts;
    };

    // After the first paint of `widget`, once the event loop is back, runs `next`.
    void afterFirstPaint(QWidget* widget, void (StartupProbe::*next)());
    void loginShown();
    void mainShown();
    void reportShown();
    void runPeriod(const QString& name, const QDate& start, const QDate& end);
    void finish(const QString& error = QString());
    double sinceOrigin() const;

    Options m_options;
    AppSession m_session;
    Quiet m_quiet;
    std::unique_ptr<Program> m_program;
    QWidget* m_watched = nullptr;
    void (StartupProbe::*m_next)() = nullptr;
    QJsonObject m_result;
};

} // namespace trellum::bench
