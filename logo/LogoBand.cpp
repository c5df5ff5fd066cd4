#include "LogoBand.h"

#include "Hub.h"
#include "WireText.h"

#include <algorithm>

LogoBand::LogoBand() = default;

void LogoBand::reset() {
    dots.clear();
    width = 0;
    selected.reset();
    before.reset();
    floating.reset();
}

void LogoBand::setWidthValue(int value) {
    width = std::clamp(value, 0, kColumns - 1);
}

void LogoBand::toggleDot(QPoint cell) {
    if (!shownArea().contains(cell))
        return;
    dots.setDot(cell.x(), cell.y(), !dots.dot(cell.x(), cell.y()));
    before.reset();
}

void LogoBand::select(const QRect &area) {
    land();
    const QRect inside = area & shownArea();
    if (inside.isEmpty())
        selected.reset();
    else
        selected = inside;
}

void LogoBand::dropSelection() {
    land();
    selected.reset();
}

void LogoBand::remember() {
    before = Snapshot{dots, selected};
}

void LogoBand::copySelection() {
    if (selected)
        copyBuffer = dots.copy(*selected);
}

void LogoBand::cutSelection() {
    if (!selected)
        return;
    copySelection();
    clearSelection();
}

void LogoBand::clearSelection() {
    if (!selected)
        return;
    remember();
    land();
    dots.clear(*selected);
}

void LogoBand::paste(QPoint at) {
    if (copyBuffer)
        pasteDots(*copyBuffer, at);
}

void LogoBand::pasteDots(const DotBand &from, QPoint at) {
    remember();
    dots.paste(from, at);
    select(QRect(at, QSize(from.columns(), from.rows())));
}

void LogoBand::beginMove() {
    if (selected)
        remember();
}

LogoBand::Move LogoBand::moveSelectionTo(QPoint topLeft) {
    if (!selected)
        return Move::Unchanged;
    const QRect target(topLeft, selected->size());
    if (target == *selected)
        return Move::Unchanged;
    if (!shownArea().contains(target))
        return Move::Refused;
    if (!floating) // lifted: the place it leaves has no dots
        floating = Floating{dots.copy(*selected), DotBand(selected->width(), selected->height())};
    dots.paste(floating->under, selected->topLeft());
    floating->under = dots.copy(target);
    dots.paste(floating->content, target.topLeft());
    selected = target;
    return Move::Moved;
}

bool LogoBand::undo() {
    if (!before)
        return false;
    dots = std::move(before->dots);
    selected = before->selected;
    before.reset();
    land();
    return true;
}

QImage LogoBand::bandBitmap() const {
    return areaBitmap(shownArea());
}

QImage LogoBand::areaBitmap(const QRect &area) const {
    if (area.isEmpty())
        return {};
    QImage bitmap(area.size(), QImage::Format_Mono);
    if (bitmap.isNull())
        return {};
    bitmap.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    bitmap.fill(1); // white, the padding bits of every line included
    for (int x = 0; x < area.width(); ++x)
        for (int y = 0; y < area.height(); ++y)
            if (dots.dot(area.left() + x, area.top() + y))
                bitmap.setPixel(x, y, 0);
    return bitmap;
}

bool WriteImageSlice(Hub &hub, QWidget *over, const LogoBand &band, int number, int startColumn,
                     const QString &name, int /*height*/, int width) {
    LogoShare &logo = hub.logo();
    const DotBand &dots = band.picture();
    PackColumns(logo.image, logo.staging, LogoBand::kHeight, width,
                [&](int x, int y) { return dots.dot(startColumn + x, LogoBand::kTop + y); });
    int top = 0;
    for (const auto &column : logo.image.dots)
        for (int k = 0; k < 4; ++k)
            if (column[size_t(k)])
                top = std::max(top, k);
    logo.image.bytesPerColumn = top + 1;
    logo.image.columnCount = width;
    if (hub.fn().WriteLogoChecked(number, top + 1, width, toWire(name), logo.image) !=
        LogoWrite::Failed)
        return true;
    hub.messages().error(over, QStringLiteral("Write Error"));
    hub.messages().beep();
    return false;
}
