#include "ClipboardFit.h"

#include "LogoBand.h"

#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>

namespace {
// A text is laid out at this size, then scaled as a whole, so its height follows H smoothly.
constexpr int kTextPixels = 100;

QStringList textLines(const QString &text) {
    QString plain = text;
    plain.replace(QLatin1Char('\t'), QStringLiteral("    "));
    QStringList lines = plain.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // a copied paragraph ends with its line break
    return lines;
}

void drawText(QImage &capture, const QStringList &lines, int height) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kTextPixels);
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetricsF metrics(font);
    const qreal scale = height / (metrics.lineSpacing() * qreal(lines.size()));

    QPainter painter(&capture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.scale(scale, scale);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QPointF(0, i * metrics.lineSpacing() + metrics.ascent()), lines[i]);
    painter.end();

    // Whatever smoothing the font machinery still did: each pixel black or white.
    for (int y = 0; y < capture.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(capture.scanLine(y));
        for (int x = 0; x < capture.width(); ++x)
            line[x] = qGray(line[x]) < 128 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
}

bool isDark(QRgb pixel) {
    const QRgb colour = pixel & 0xFFFFFF;
    return colour == 0 || colour == 0x808080;
}
} // namespace

ClipboardPicture ClipboardPicture::fromClipboard() {
    ClipboardPicture picture;
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (!mime)
        return picture;
    if (mime->hasImage())
        picture.image = qvariant_cast<QImage>(mime->imageData());
    if (picture.image.isNull() && mime->hasText())
        picture.text = mime->text();
    return picture;
}

bool ClipboardPicture::usable() const {
    if (!image.isNull())
        return image.width() > 0 && image.height() > 0;
    return !textLines(text).isEmpty();
}

QImage rasterise(const ClipboardPicture &picture, int height) {
    if (!picture.usable() || height < 1)
        return {};
    QImage capture(kCaptureColumns, kCaptureRows, QImage::Format_RGB32);
    capture.fill(Qt::white);
    if (picture.image.isNull()) {
        drawText(capture, textLines(picture.text), height);
        return capture;
    }
    const QImage &image = picture.image;
    const qreal width = qreal(image.width()) * height / image.height();
    QPainter painter(&capture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRectF(0, 0, std::max<qreal>(width, 1), height), image);
    return capture;
}

DarkPixels scanDark(const QImage &capture) {
    DarkPixels dark;
    bool firstFound = false;
    const int columns = std::min(kScanColumns, capture.width());
    for (int y = 0; y < capture.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(capture.constScanLine(y));
        for (int x = 0; x < columns; ++x)
            if (isDark(line[x])) {
                // The first dark row counts from row 1: ink in row 0 is not where the text starts.
                if (y > 0 && !firstFound) {
                    dark.first = y;
                    firstFound = true;
                }
                dark.found = true;
                dark.last = y;
                dark.right = std::max(dark.right, x);
            }
    }
    return dark;
}

HeightFit fitHeight(const ClipboardPicture &picture, int chosenHeight) {
    HeightFit fit;
    if (!picture.usable())
        return fit;
    const int T = chosenHeight == 32 ? 31 : chosenHeight;
    const int steps[] = {T / 2, T / 4, T / 8, 4, 2, 1};
    int H = T;
    for (int step = 0;; ++step) {
        fit.capture = rasterise(picture, H);
        fit.height = H;
        ++fit.passes;
        fit.dark = scanDark(fit.capture);
        const int d = fit.dark.last - fit.dark.first - T;
        if (d == 0 || step == int(std::size(steps)))
            break;
        H = std::max(1, d < 0 ? H + steps[step] : H - steps[step]);
    }
    fit.outcome = fit.dark.found ? HeightFit::Outcome::Fitted : HeightFit::Outcome::NoInk;
    return fit;
}

void placeOnBand(const HeightFit &fit, LogoBand &band) {
    band.reset();
    if (fit.outcome != HeightFit::Outcome::Fitted)
        return;
    const QImage &capture = fit.capture;
    const QRgb background = capture.pixel(0, 0);
    // The row after the last dark one is taken too, when the capture has it.
    const int lastRow = std::min(fit.dark.last + 1, capture.height() - 1);
    const int lastColumn = std::min(fit.dark.right + 2, capture.width() - 1);
    const int shift = LogoBand::kBottom - fit.dark.last;
    for (int y = 0; y <= lastRow; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(capture.constScanLine(y));
        for (int x = 0; x <= lastColumn; ++x)
            if (line[x] != background)
                band.setDot(x, shift + y, true); // rows above the picture are dropped
    }
    band.setWidthValue(fit.dark.right + 1);
}
