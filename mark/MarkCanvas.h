#pragma once
// The mark's dot picture, magnified: every dot a zoom × zoom square, black on white, with an
// optional silver grid of one cell a dot. It keeps the dots it was given and paints only the part
// of itself that is exposed, so even the largest mark (4 × 1280 dots) scrolls without a picture
// of its full size in memory.

#include "MarkImage.h"

#include <QWidget>

class MarkCanvas : public QWidget {
    Q_OBJECT

public:
    static constexpr QRgb kGridColour = 0xC0C0C0; // silver

    explicit MarkCanvas(QWidget *parent = nullptr);

    // Shows `mark` at `zoom` screen pixels a dot, without a grid, and takes its size (nothing for
    // an empty mark). The dots are copied: a later read does not change a picture already shown.
    void draw(const MarkImage &mark, int zoom);
    // Lays the grid over the dots; it stays until the next draw.
    void drawGrid();
    bool gridDrawn() const { return grid; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MarkImage shown;
    int zoom = 1;
    bool grid = false;
};
