#pragma once

#include <QDateEdit>

namespace trellum {

// A date picker (yyyy-MM-dd, with its calendar) that also takes a whole date typed in one go:
// "20261101", "2026-11-01", "2026/11/1" or "2026.11.01". Typing a digit starts such an entry; it
// is taken at eight digits, or on Enter, Tab or leaving the box; Escape or an arrow key gives it
// up and the sections answer the arrow keys as before. A typed day that does not exist leaves the
// date as it was.
class DatePicker final : public QDateEdit {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);

    // The date a whole typed entry stands for; an invalid date when it is none.
    static QDate parseTyped(const QString& typed);
    // The entry being typed ("" when none).
    QString typing() const { return m_typed; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showTyped();
    void finishTyping(bool take);

    QString m_typed;
};

} // namespace trellum
