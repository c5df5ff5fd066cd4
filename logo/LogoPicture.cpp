#include "LogoPicture.h"

#include <QPaintEvent>
#include <QPainter>

namespace {
int shownColumns(const LogoImage &image) {
    return qBound(0, image.columnCount, LogoImage::kColumns);
}
int shownBytes(const LogoImage &image) {
    return qBound(0, image.bytesPerColumn, 4);
}
} // namespace

bool logoDot(const LogoImage &image, DotOrder order, int column, int rowFromTop) {
    const int bytes = shownBytes(image);
    if (column < 0 || column >= shownColumns(image) || rowFromTop < 0 || rowFromTop >= 8 * bytes)
        return false;
    // From the top: bytes B − 1 down to 0; within a byte bit 7 first (wire) or bit 0 first (file).
    const int byte = bytes - 1 - rowFromTop / 8;
    const int inByte = rowFromTop % 8;
    const int bit = order == DotOrder::Wire ? 7 - inByte : inByte;
    return image.dots[size_t(column)][size_t(byte)] & (1 << bit);
}

QString logoSizeText(const LogoImage &image) {
    // A slot that answered no size holds nothing: it is said so, not shown as 32 x 256.
    if (image.bytesPerColumn > 4)
        return QStringLiteral("Empty slot");
    return QStringLiteral("Col:%1*Row:%2").arg(image.columnCount).arg(8 * image.bytesPerColumn);
}

LogoPicture::LogoPicture(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LogoPicture::showLogo(const LogoImage &logo, DotOrder dotOrder, int cell) {
    image = logo;
    order = dotOrder;
    cellSize = qMax(1, cell);
    resize(sizeHint());
    updateGeometry();
    update();
}

void LogoPicture::setGrid(bool on) {
    gridOn = on;
    resize(sizeHint());
    updateGeometry();
    update();
}

QSize LogoPicture::pictureSize() const {
    return {shownColumns(image) * cellSize, 8 * shownBytes(image) * cellSize};
}

QSize LogoPicture::sizeHint() const {
    const int margin = gridOn ? 2 * kGridMargin * cellSize : 0;
    return pictureSize() + QSize(margin, margin);
}

void LogoPicture::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, Qt::white);
    const int margin = gridOn ? kGridMargin * cellSize : 0;
    const QSize picture = pictureSize();
    // Only the columns and rows the exposed rectangle crosses.
    const int firstColumn = qMax(0, (exposed.left() - margin) / cellSize);
    const int lastColumn = qMin(shownColumns(image) - 1, (exposed.right() - margin) / cellSize);
    const int firstRow = qMax(0, (exposed.top() - margin) / cellSize);
    const int lastRow = qMin(8 * shownBytes(image) - 1, (exposed.bottom() - margin) / cellSize);
    for (int c = firstColumn; c <= lastColumn; ++c)
        for (int r = firstRow; r <= lastRow; ++r)
            if (logoDot(image, order, c, r))
                painter.fillRect(margin + c * cellSize, margin + r * cellSize, cellSize, cellSize,
                                 Qt::black);
    if (!gridOn)
        return;
    // The grid over the picture and a margin of two cells around it.
    painter.setPen(QColor(0xC0, 0xC0, 0xC0));
    const int w = picture.width() + 2 * margin, h = picture.height() + 2 * margin;
    for (int x = (exposed.left() / cellSize) * cellSize; x <= qMin(exposed.right(), w - 1);
         x += cellSize)
        painter.drawLine(x, 0, x, h - 1);
    for (int y = (exposed.top() / cellSize) * cellSize; y <= qMin(exposed.bottom(), h - 1);
         y += cellSize)
        painter.drawLine(0, y, w - 1, y);
}
