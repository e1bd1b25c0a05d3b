#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QTimer;

namespace trellum {

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
    // Sets the text of panel `number` (1 to 9); the panel widens to show all of it.
    void setPanelText(int number, const QString& text);
    // The bar's height in twips.
    int heightTwips() const;

private:
    void tick();

    std::array<QLabel*, kPanels> m_panels {};
    std::array<int, kPanels> m_leastWidths {}; // each panel's design width in pixels
    QTimer* m_clock = nullptr;
};

} // namespace trellum
