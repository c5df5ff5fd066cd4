#include "MarkCanvas.h"

#include <QPaintEvent>
#include <QPainter>

MarkCanvas::MarkCanvas(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent); // every exposed pixel is painted
    resize(0, 0);
}

void MarkCanvas::draw(const MarkImage &mark, int pixelsADot) {
    shown = mark;
    zoom = qMax(1, pixelsADot);
    grid = false;
    const bool empty = shown.height <= 0 || shown.length <= 0;
    if (empty)
        shown.height = shown.length = 0;
    // A length beyond the store cannot come from a read; keep within it all the same.
    shown.length = qMin(shown.length, MarkImage::kColumns);
    resize(shown.length * zoom, shown.height * 8 * zoom);
    update();
}

void MarkCanvas::drawGrid() {
    grid = true;
    update();
}

void MarkCanvas::paintEvent(QPaintEvent *event) {
    const QRect area = event->rect() & rect();
    if (area.isEmpty())
        return;
    QPainter painter(this);
    painter.fillRect(area, Qt::white);

    // The dots of the exposed columns, a run of dots one above the other as one square.
    const int rows = shown.height * 8;
    const int firstColumn = area.left() / zoom;
    const int lastColumn = qMin(shown.length - 1, area.right() / zoom);
    const int firstRow = area.top() / zoom;
    const int lastRow = qMin(rows - 1, area.bottom() / zoom);
    for (int c = firstColumn; c <= lastColumn; ++c) {
        int runStart = -1;
        for (int r = firstRow; r <= lastRow + 1; ++r) {
            const bool dot = r <= lastRow && shown.dot(c, r);
            if (dot && runStart < 0) {
                runStart = r;
            } else if (!dot && runStart >= 0) {
                painter.fillRect(c * zoom, runStart * zoom, zoom, (r - runStart) * zoom, Qt::black);
                runStart = -1;
            }
        }
    }

    if (!grid)
        return;
    // One line every dot, drawn over the dots, across the whole picture.
    const QColor silver = QColor::fromRgb(kGridColour);
    for (int x = (area.left() + zoom - 1) / zoom * zoom; x <= area.right(); x += zoom)
        painter.fillRect(x, area.top(), 1, area.height(), silver);
    for (int y = (area.top() + zoom - 1) / zoom * zoom; y <= area.bottom(); y += zoom)
        painter.fillRect(area.left(), y, area.width(), 1, silver);
}
