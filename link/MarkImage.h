#pragma once
// The mark as a dot picture, as the printer renders it.

#include <QImage>
#include <QtGlobal>
#include <array>

struct MarkImage {
    static constexpr int kColumns = 5121;
    static constexpr int kImageBytes = 5120; // the printer always sends this many picture bytes

    int height = 0; // 8-dot bytes a column, 0..4; byte 0 is the bottom band
    int length = 0; // columns
    // Column c, byte k. A set bit is a printed dot; bit 7 is the upper dot of its byte.
    std::array<std::array<quint8, 4>, kColumns> dots{};

    bool dot(int column, int rowFromTop) const {
        const int fromBottom = height * 8 - 1 - rowFromTop;
        return dots[size_t(column)][size_t(fromBottom / 8)] & (1 << (fromBottom % 8));
    }
};

// The mark as a picture of one pixel a dot, black on white; a null picture for an empty mark.
QImage markPicture(const MarkImage &mark);
