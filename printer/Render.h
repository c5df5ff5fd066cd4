#pragma once

#include "PixelFont.h"

#include <QString>
#include <QtGlobal>
#include <vector>

// Layout of the current mark into the dot picture the printer returns on a mark read.

// Largest picture the printer renders: four 8-dot bands by 1280 columns (5120 bytes).
inline constexpr int markMaxBands = 4;
inline constexpr int markMaxDots = 8 * markMaxBands;
inline constexpr int markMaxColumns = 1280;

// One fragment to draw, placed in a cell of the 4 x 8 grid.
struct RenderItem {
    int row = 1, column = 1;   // 1..4, 1..8; items outside the grid are not drawn
    QString text;              // a text to draw in font `font`, or empty for a logo
    int font = 0;              // 0..6; font f is pixelFontHeight(f) dots high
    std::vector<quint32> logo; // for a logo: one word a column, bit y = dot y rows from the TOP
    int logoHeight = 0;        // its dot height (8*B)
};

struct MarkPicture {
    int bands = 0;                // height in 8-dot bands, 0..4
    std::vector<quint32> columns; // at most 1280; bit y = dot y rows from the top
};

// Lays the items out: the cells of a row go left to right by column number with one blank column
// between them; rows stack top to bottom by row number, each as tall as its tallest item, and a
// row with nothing drawn takes no space. Items sit on the bottom line of their row. The picture
// is cut at 32 dots and 1280 columns; an empty mark has 0 bands and no columns.
MarkPicture renderMark(const std::vector<RenderItem> &items);
