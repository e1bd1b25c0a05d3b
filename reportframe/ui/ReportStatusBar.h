#pragma once

#include <QWidget>

#include <array>

class QTimer;

namespace trellum {

class ElidedLabel;

// StatusBar1 of a report window: nine panels — 操作员, the name, 部门, the department, 岗位, the
// position, the supplier's caption, and the current date and time, which the bar keeps up to date.
class ReportStatusBar final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPanels = 9;
    // The fixed caption of panel 7.
    static inline const QString kSupplierCaption = QStringLiteral("Trellum");

    explicit ReportStatusBar(QWidget* parent = nullptr);

    // The text of panel `number` (1 to 9).
    QString panelText(int number) const;
    // Sets the text of panel `number` (1 to 9), always as plain text. The bar's own captions, date
    // and time widen their panels; a name (2, 4, 6) longer than its panel is shortened, whole in
    // the tooltip.
    void setPanelText(int number, const QString& text);
    // Shows `text` over the name panels for `msec` milliseconds, or until clearMessage() when
    // `msec` is 0 (shortened, whole in the tooltip).
    void showMessage(const QString& text, int msec);
    // Takes the message away now.
    void clearMessage();
    // The message shown now ("" when none).
    QString message() const;
    // The bar's height in twips.
    int heightTwips() const;

private:
    void tick();

    std::array<ElidedLabel*, kPanels> m_panels {};
    std::array<int, kPanels> m_leastWidths {}; // each panel's design width in pixels
    QTimer* m_clock = nullptr;
    ElidedLabel* m_message = nullptr;
    QTimer* m_messageTime = nullptr;
};

} // namespace trellum
