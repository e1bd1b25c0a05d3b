#pragma once

class QWidget;

namespace trellum {

// Lengths in twips (1/1440 inch) at the screen's resolution, and widgets placed in twips the way
// the windows lay themselves out: every assignment on its own, a negative size refused.
class Twips {
public:
    enum class Edge { Left, Top, Width, Height };

    // Pixels for a length in twips (15 twips a pixel at 96 dpi).
    static int toPixels(int twips);
    // Twips for a length in pixels.
    static int fromPixels(int pixels);

    // Places the widget at a rectangle given in twips inside its parent.
    static void place(QWidget* widget, int left, int top, int width, int height);
    // One edge of the widget's place, in twips.
    static int get(const QWidget* widget, Edge edge);
    // One layout assignment: false (and nothing changes) when it cannot be made, as for a
    // negative width or height.
    static bool set(QWidget* widget, Edge edge, int value);

private:
    static double dotsPerInch();
};

} // namespace trellum
