#include "Render.h"

#include <algorithm>

namespace {

// One item made ready for placement: its dot columns and its height.
struct Placed {
    int column = 0;
    std::vector<quint32> dots;
    int height = 0;
};

quint32 lowBits(int count) {
    return count >= 32 ? 0xFFFFFFFFu : (quint32(1) << count) - 1;
}

Placed prepare(const RenderItem &item) {
    Placed placed;
    placed.column = item.column;
    if (!item.text.isEmpty()) {
        // Every character takes at least a cell and a blank column, so characters beyond this
        // count would only be cut off again.
        const qsizetype fitting = markMaxColumns / (pixelFontCharWidth(item.font) + 1) + 1;
        placed.dots = renderText(item.text.left(fitting), item.font);
        placed.height = pixelFontHeight(item.font);
    } else if (item.logoHeight > 0 && !item.logo.empty()) {
        // A logo is drawn dot for dot; dots below its own height are not part of it.
        placed.height = std::min(item.logoHeight, markMaxDots);
        const quint32 mask = lowBits(placed.height);
        placed.dots.reserve(std::min<size_t>(item.logo.size(), markMaxColumns));
        for (size_t c = 0; c < item.logo.size() && c < size_t(markMaxColumns); ++c)
            placed.dots.push_back(item.logo[c] & mask);
    }
    if (placed.dots.empty() || placed.height <= 0)
        return {};
    return placed;
}

} // namespace

MarkPicture renderMark(const std::vector<RenderItem> &items) {
    MarkPicture picture;
    int top = 0; // first dot row of the next row of cells
    for (int row = 1; row <= 4 && top < markMaxDots; ++row) {
        std::vector<Placed> cells;
        for (const RenderItem &item : items) {
            if (item.row != row || item.column < 1 || item.column > 8)
                continue;
            Placed placed = prepare(item);
            if (!placed.dots.empty())
                cells.push_back(std::move(placed));
        }
        if (cells.empty())
            continue;
        std::stable_sort(cells.begin(), cells.end(),
                         [](const Placed &a, const Placed &b) { return a.column < b.column; });

        int rowHeight = 0;
        for (const Placed &cell : cells)
            rowHeight = std::max(rowHeight, cell.height);

        // Only the part of the row above the picture's bottom edge survives.
        const quint32 visible = ~lowBits(top) & lowBits(std::min(top + rowHeight, markMaxDots));
        int x = 0;
        for (const Placed &cell : cells) {
            if (x > 0)
                ++x; // one blank column between cells
            if (x >= markMaxColumns)
                break;
            const int shift = top + rowHeight - cell.height; // bottom-aligned within the row
            for (size_t c = 0; c < cell.dots.size() && x < markMaxColumns; ++c, ++x) {
                if (size_t(x) >= picture.columns.size())
                    picture.columns.resize(x + 1, 0);
                if (shift < 32)
                    picture.columns[x] |= (cell.dots[c] << shift) & visible;
            }
        }
        top += rowHeight;
    }
    const int height = std::min(top, markMaxDots);
    if (picture.columns.empty() || height == 0)
        return {};
    picture.bands = (height + 7) / 8;
    return picture;
}
