#pragma once

#include <QObject>

class QLocalServer;

namespace trellum {

// A read-only window on the running program for the real-input tests: on a local socket it
// answers every request with one JSON line describing the visible windows and widgets (names,
// screen rectangles, texts, check states, scroll bars, menu items), so that a driver can find a
// control by name and then click or type at it through the X server like a person. It changes
// nothing in the program and never tells what a password field holds. The program starts it only
// when TRELLUM_UI_PROBE names a socket path, and only a build with the TRELLUM_UI_PROBE option
// (the test build) has it.
class UiProbe final : public QObject {
    Q_OBJECT
public:
    explicit UiProbe(QObject* parent = nullptr);
    ~UiProbe() override;

    // Listens on `socketPath`, which must not exist yet (nothing there is ever replaced); false
    // when it cannot. The socket is removed again when the probe ends.
    bool listen(const QString& socketPath);

    // The description of everything now shown, as one line of JSON.
    static QByteArray describe();

private:
    void answer();

    QLocalServer* m_server = nullptr;
};

} // namespace trellum
