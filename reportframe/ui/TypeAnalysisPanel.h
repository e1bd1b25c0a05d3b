#pragma once

#include <QFrame>

#include <array>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace trellum {

// Picture6, window D's type-analysis panel under the grid: the caption "类型分析" in its small
// frame, the seven locked boxes Text1(0) to Text1(6) under their labels 报修 开箱 设摊 访问 电话 其他
// 微信, and the remark "附记:" with the box Text2, in the wide frame that stretches with the panel.
class TypeAnalysisPanel final : public QFrame {
    Q_OBJECT
public:
    static constexpr int kBoxes = 7;
    // The panel's design height in twips.
    static constexpr int kHeightTwips = 1080;

    explicit TypeAnalysisPanel(QWidget* parent = nullptr);

    // Empties the seven boxes and the remark box.
    void clear();
    // Empties the seven boxes and locks them against typing.
    void clearAndLockBoxes();
    // The texts of Text1(0) to Text1(6).
    std::array<QString, kBoxes> boxes() const;
    // Fills Text1(0) to Text1(6).
    void setBoxes(const std::array<QString, kBoxes>& texts);
    // The remark typed into Text2.
    QString remark() const;
    // Empties the remark box Text2.
    void clearRemark();
    // Puts a remark back (after a run that did not complete).
    void setRemark(const QString& text);

    // The panel's own resize rule: the wide frame and the remark box stretch to the right edge.
    void LayoutTypeAnalysis();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QFrame* m_smallFrame = nullptr;
    QFrame* m_wideFrame = nullptr;
    std::array<QLineEdit*, kBoxes> m_boxes {};
    QPlainTextEdit* m_remark = nullptr;
};

} // namespace trellum
