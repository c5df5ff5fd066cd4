#pragma once
// A picture of dots, one bit a dot, column by column: the image editor's band, its copy buffer
// and its undo snapshot. Reads outside the picture give no dot; writes outside it are dropped,
// so every paste and move is clipped to the picture. The dots of a logo image or of a 1-bit
// file come in through unpackLogo and LoadPictureDots.

#include "LogoImage.h"

#include <QPoint>
#include <QRect>
#include <vector>

class DotBand {
public:
    DotBand() = default;
    DotBand(int columns, int rows);

    int columns() const { return cols; }
    int rows() const { return rowCount; }
    QRect rect() const { return {0, 0, cols, rowCount}; }
    bool isEmpty() const { return cols == 0 || rowCount == 0; }

    bool dot(int x, int y) const {
        if (x < 0 || y < 0 || x >= cols || y >= rowCount)
            return false;
        const size_t i = index(x, y);
        return (bits[i / 64] >> (i % 64)) & 1u;
    }
    void setDot(int x, int y, bool on);

    void clear();                  // no dot anywhere
    void clear(const QRect &area); // no dot inside the area
    // The dots of the area as a picture of the area's size (outside this picture: no dot).
    DotBand copy(const QRect &area) const;
    // Puts the whole of `from`, no-dots included, with its top left corner at `at`.
    void paste(const DotBand &from, QPoint at);

    bool operator==(const DotBand &) const = default;

private:
    size_t index(int x, int y) const { return size_t(x) * size_t(rowCount) + size_t(y); }

    int cols = 0;
    int rowCount = 0;
    std::vector<quint64> bits;
};

// A monochrome picture of at most 32 rows, as a logo packs it (file orientation), back to dots:
// `rows` × `columns`, the top row first.
DotBand unpackLogo(const LogoImage &image, int rows, int columns);

// "Paste from File": the dots of a 1-bit bitmap file as a logo load takes them (at most 32 rows
// and 4000 dots), the top row first; `dots` is set only when the result is Loaded.
PictureLoad LoadPictureDots(const QString &fileName, DotBand &dots);
