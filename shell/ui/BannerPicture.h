#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace trellum {

// Picture1, the banner along the top of the main window, 810 twips high. It shows the design
// picture (1028 × 54 pixels, drawn in code) and RedrawBanner lengthens it to any width: the left
// part stays, the middle repeats one 300-twip slice, the right end sits at the right edge.
class BannerPicture final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeightTwips = 810;
    static constexpr int kSliceLeft = 8850;   // twips into the picture
    static constexpr int kSliceWidth = 300;
    static constexpr int kRightEnd = 4000;    // the right end's width in twips

    explicit BannerPicture(QWidget* parent = nullptr);

    // The design picture, 1028 × 54 pixels.
    static QImage designPicture();
    // RedrawBanner: repaints the banner for its present size.
    void RedrawBanner();
    // What the banner shows now.
    const QPixmap& canvas() const { return m_canvas; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    QPixmap m_canvas;
};

} // namespace trellum
