#pragma once
// The logo image drawn enlarged: every dot a black square of `cell` screen pixels on white, row 0
// at the top, with an optional light-grey grid every cell. Used by the logo windows, which show
// the logo being worked on; it paints only the exposed part.

#include "LogoImage.h"

#include <QWidget>

// How the dots of a logo image are ordered in their bytes (every user knows which it holds).
enum class DotOrder {
    Wire, // after a read: bit 7 the highest dot of its byte
    File, // after packing a picture: bit 0 the highest dot of its byte
};

// Whether the logo image holds a dot `rowFromTop` rows below the top of column `column`, for a
// logo of B bytes a column (at most the 4 the image holds).
bool logoDot(const LogoImage &image, DotOrder order, int column, int rowFromTop);
// "Col:100*Row:32": the column count and the rows (8 × B) of the image.
QString logoSizeText(const LogoImage &image);

class LogoPicture : public QWidget {
    Q_OBJECT

public:
    static constexpr int kGridMargin = 2; // cells of grid beyond the picture

    explicit LogoPicture(QWidget *parent = nullptr);

    // Shows a copy of the image: C × cell pixels wide, 8 × B × cell high (within the image's
    // store: 512 columns of 4 bytes).
    void showLogo(const LogoImage &image, DotOrder order, int cell);
    void setGrid(bool on);
    bool grid() const { return gridOn; }
    int cell() const { return cellSize; }
    // The picture's own size, without the grid's margin.
    QSize pictureSize() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    LogoImage image;
    DotOrder order = DotOrder::Wire;
    int cellSize = 4;
    bool gridOn = false;
};
