#include "BandView.h"

#include "LogoBand.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <vector>

BandView::BandView(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

void BandView::setBand(const LogoBand *b) {
    band = b;
    bandChanged();
}

void BandView::bandChanged() {
    const int columns = band ? band->shownColumns() : 0;
    if (columns == 0) {
        hide();
        return;
    }
    setFixedSize(columns * kCell, LogoBand::kHeight * kCell);
    show();
    update();
}

QPoint BandView::cellAt(QPoint pos) {
    const auto cell = [](int v) { return v >= 0 ? v / kCell : (v - kCell + 1) / kCell; };
    return {cell(pos.x()), LogoBand::kTop + cell(pos.y())};
}

void BandView::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, Qt::white);
    if (!band || !band->hasPicture())
        return;

    const int firstColumn = std::max(exposed.left() / kCell, 0);
    const int lastColumn = std::min(exposed.right() / kCell, band->shownColumns() - 1);
    const int firstRow = std::max(exposed.top() / kCell, 0);
    const int lastRow = std::min(exposed.bottom() / kCell, LogoBand::kHeight - 1);

    // The dots, one rectangle for each run of dots down a column.
    const DotBand &dots = band->picture();
    for (int x = firstColumn; x <= lastColumn; ++x)
        for (int y = firstRow; y <= lastRow;) {
            if (!dots.dot(x, LogoBand::kTop + y)) {
                ++y;
                continue;
            }
            const int from = y;
            while (y <= lastRow && dots.dot(x, LogoBand::kTop + y))
                ++y;
            painter.fillRect(x * kCell, from * kCell, kCell, (y - from) * kCell, Qt::black);
        }

    // The grid over them.
    std::vector<QLine> grid;
    for (int x = firstColumn; x <= lastColumn + 1; ++x)
        grid.emplace_back(x * kCell, exposed.top(), x * kCell, exposed.bottom());
    for (int y = firstRow; y <= lastRow + 1; ++y)
        grid.emplace_back(exposed.left(), y * kCell, exposed.right(), y * kCell);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawLines(grid.data(), int(grid.size()));

    if (const auto &selection = band->selection()) {
        const QRect frame((selection->left()) * kCell, (selection->top() - LogoBand::kTop) * kCell,
                          selection->width() * kCell, selection->height() * kCell);
        painter.setPen(QPen(Qt::blue, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(frame.adjusted(1, 1, -1, -1));
    }
}

BandRuler::BandRuler(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize BandRuler::sizeHint() const {
    return {BandView::kCell * kStep * 4, fontMetrics().height() + 2};
}

void BandRuler::setOrigin(int x) {
    origin = x;
    update();
}

void BandRuler::setOffset(int pixels) {
    const int moved = offset - pixels;
    offset = pixels;
    if (moved)
        scroll(moved, 0);
}

void BandRuler::setColumns(int count) {
    columns = count;
    update();
}

void BandRuler::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, palette().window());
    painter.setPen(palette().windowText().color());
    const int span = kStep * BandView::kCell;
    const int labelWidth = span - 2;
    // Labels whose box reaches into the exposed part.
    const int first = std::max((exposed.left() - origin + offset - labelWidth) / span, 0);
    for (int i = first;; ++i) {
        const int column = i * kStep;
        const int x = origin + column * BandView::kCell - offset;
        if (column >= columns || x > exposed.right())
            break;
        painter.drawText(QRect(x + 1, 0, labelWidth, height()), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::number(column));
    }
}
