#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

// Built-in bitmap fonts of the printer. Every font is drawn from one hand-made 5 x 7 glyph table,
// scaled to the font's height; no GUI font machinery is involved, so the printer renders in a
// process without a display.

// Number of printer fonts (numbered 0..pixelFontCount - 1).
inline constexpr int pixelFontCount = 7;

// Dot height of font `font`; it rises with the font number, font 6 is 32 dots high. A font number
// outside 0..6 is treated as the nearest valid font.
int pixelFontHeight(int font);

// Dot width of one character cell of font `font` (the blank column between characters excluded).
int pixelFontCharWidth(int font);

// Draws `text` in font `font`: one word a column, bit y = dot y rows from the top. Characters are
// separated by one blank column; there is no blank column before the first or after the last.
// The text is pixelFontHeight(font) dots high. A character without a glyph draws as a box.
std::vector<quint32> renderText(const QString &text, int font);
