#include "DotBand.h"

#include <algorithm>
#include <memory>

DotBand::DotBand(int columns, int rows)
    : cols(std::max(columns, 0)), rowCount(std::max(rows, 0)),
      bits((size_t(cols) * size_t(rowCount) + 63) / 64, 0) {}

void DotBand::setDot(int x, int y, bool on) {
    if (x < 0 || y < 0 || x >= cols || y >= rowCount)
        return;
    const size_t i = index(x, y);
    const quint64 mask = quint64(1) << (i % 64);
    if (on)
        bits[i / 64] |= mask;
    else
        bits[i / 64] &= ~mask;
}

void DotBand::clear() {
    std::fill(bits.begin(), bits.end(), 0);
}

void DotBand::clear(const QRect &area) {
    const QRect r = area & rect();
    for (int x = r.left(); x <= r.right(); ++x)
        for (int y = r.top(); y <= r.bottom(); ++y)
            setDot(x, y, false);
}

DotBand DotBand::copy(const QRect &area) const {
    DotBand out(area.width(), area.height());
    for (int x = 0; x < out.cols; ++x)
        for (int y = 0; y < out.rowCount; ++y)
            if (dot(area.left() + x, area.top() + y))
                out.setDot(x, y, true);
    return out;
}

void DotBand::paste(const DotBand &from, QPoint at) {
    const QRect r = QRect(at, QSize(from.cols, from.rowCount)) & rect();
    for (int x = r.left(); x <= r.right(); ++x)
        for (int y = r.top(); y <= r.bottom(); ++y)
            setDot(x, y, from.dot(x - at.x(), y - at.y()));
}

DotBand unpackLogo(const LogoImage &image, int rows, int columns) {
    rows = std::clamp(rows, 0, 32);
    columns = std::clamp(columns, 0, LogoImage::kColumns);
    DotBand out(columns, rows);
    // Packed from the bottom row up: bit 7 of byte 0 is the bottom row.
    for (int x = 0; x < columns; ++x)
        for (int y = 0; y < rows; ++y) {
            const int i = rows - 1 - y;
            if (image.dots[size_t(x)][size_t(i / 8)] & (0x80 >> (i % 8)))
                out.setDot(x, y, true);
        }
    return out;
}

PictureLoad LoadPictureDots(const QString &fileName, DotBand &dots) {
    auto image = std::make_unique<LogoImage>();
    auto staging = std::make_unique<LogoDots>();
    QSize packed;
    const PictureLoad result = LoadPictureToLogo(fileName, *image, *staging, &packed);
    if (result == PictureLoad::Loaded)
        dots = unpackLogo(*image, packed.height(), packed.width());
    return result;
}
