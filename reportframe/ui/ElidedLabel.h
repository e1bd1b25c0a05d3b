#pragma once

#include <QLabel>

namespace trellum {

// A label for a text that comes from the data (a name, a path): shown as plain text, never as
// markup; a text longer than the label's room is shortened with "…" and shown whole in the
// tooltip. It never asks for more width than its least room, so a long text cannot widen a window.
class ElidedLabel final : public QLabel {
    Q_OBJECT
public:
    // `leastWidth` is the width in pixels the label asks for at least (and never more).
    explicit ElidedLabel(int leastWidth = 0, QWidget* parent = nullptr);

    // Shows `text` (plain), shortened to the room there is.
    void setFullText(const QString& text);
    // The whole text, as given.
    QString fullText() const { return m_full; }
    // Sets the width the label asks for at least.
    void setLeastWidth(int width);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    QString m_full;
    int m_leastWidth = 0;
};

} // namespace trellum
