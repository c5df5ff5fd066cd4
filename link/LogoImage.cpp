#include "LogoImage.h"

#include "FileAccess.h"

#include "WireText.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>

#include <algorithm>

void LogoImage::fill(quint8 value) {
    for (auto &column : dots)
        column.fill(value);
}

bool LogoImage::hasDots() const {
    for (const auto &column : dots)
        for (quint8 b : column)
            if (b)
                return true;
    return false;
}

namespace {
constexpr int kRecord = 10;

int recordCount(const LogoNames &names) {
    if (!names.valid())
        return 0;
    return qMin(names.count, int(names.records.size() / kRecord));
}

} // namespace

int LogoNumberAt(const LogoNames &names, int index) {
    if (index < 0 || index >= recordCount(names))
        return -1;
    return quint8(names.records[index * kRecord]);
}

QByteArray LogoNameOf(const LogoNames &names, int number) {
    const int n = recordCount(names);
    for (int i = 0; i < n; ++i)
        if (LogoNumberAt(names, i) == number)
            return LogoNameAt(names, i);
    return {};
}

quint8 MirrorBits(quint8 byte) {
    quint8 mirrored = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (byte & (1 << bit))
            mirrored |= quint8(0x80 >> bit);
    return mirrored;
}

QByteArray LogoNameAt(const LogoNames &names, int index) {
    if (index < 0 || index >= recordCount(names))
        return {};
    return trimBlanks(names.records.mid(index * kRecord + 1, 8));
}

QByteArray logoNameField(const QByteArray &name) {
    QByteArray field = name.left(8);
    field.append(8 - field.size(), ' ');
    return field;
}

quint8 nameChecksum(const QByteArray &nameField) {
    quint8 sum = 0;
    for (char c : nameField)
        sum = quint8(sum + quint8(c));
    return quint8(0x100 - sum);
}

QByteArray nameFromTail(const QByteArray &nineBytes) {
    if (nineBytes.size() != 9)
        return {};
    const QByteArray name = nineBytes.left(8);
    return nameChecksum(name) == quint8(nineBytes[8]) ? name : QByteArray();
}

QByteArray logoFrame(const LogoDots &dots, int B, int C, const QByteArray &name,
                     bool fileOrientation) {
    QByteArray frame(510, char(0xFF));
    int at = 0;
    for (int c = 0; c < C && c < LogoImage::kColumns; ++c)
        for (int k = 0; k < B && k < 4 && at < LogoImage::kDataBytes; ++k) {
            const quint8 b = dots[size_t(c)][size_t(k)];
            frame[at++] = char(0xFF - (fileOrientation ? MirrorBits(b) : b));
        }
    const QByteArray field = logoNameField(name);
    frame.replace(501, 8, field);
    frame[509] = char(nameChecksum(field));
    return frame;
}

void PackColumns(LogoImage &image, LogoDots &staging, int H, int W,
                 const std::function<bool(int, int)> &isDot) {
    image.fill(0);
    for (auto &column : staging)
        column.fill(0);
    H = qBound(0, H, 32);
    W = qBound(0, W, LogoImage::kColumns);
    for (int x = 0; x < W; ++x)
        for (int y = 0; y < H; ++y)
            if (isDot(x, y))
                staging[size_t(x)][size_t(3 - y / 8)] |= quint8(1 << (y % 8));

    const int q = H / 8;
    const int nb = q + (8 * q < H ? 1 : 0);
    const quint8 startMask = H - 8 * q == 0 ? 0x80 : quint8(1 << (H - 8 * q - 1));
    const int startByte = 4 - nb;
    for (int x = 0; x < W; ++x) {
        int from = startByte, to = 0;
        quint8 fromMask = startMask, toMask = 0x80;
        for (int i = 0; i < H; ++i) {
            if (staging[size_t(x)][size_t(from)] & fromMask)
                image.dots[size_t(x)][size_t(to)] |= toMask;
            fromMask >>= 1;
            if (!fromMask) {
                fromMask = 0x80;
                ++from;
            }
            toMask >>= 1;
            if (!toMask) {
                toMask = 0x80;
                ++to;
            }
        }
    }
}

namespace {
// What a bitmap's own headers say of it.
struct BitmapHeader {
    bool monochrome = false; // one plane and one bit a pixel
    // For an uncompressed picture of width × height: the file holds every row its header
    // promises (the last without its padding). A picture cut short would load with rows of
    // whatever the memory held.
    bool complete = false;
};

BitmapHeader readBitmapHeader(const QByteArray &file, int width, int height) {
    BitmapHeader result;
    const QByteArray head = file.left(34);
    if (head.size() < 26 || !head.startsWith("BM"))
        return result;
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(head.constData() + at); };
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(head.constData() + at); };
    const quint32 headerSize = u32(14);
    bool compressed = false;
    if (headerSize == 12) { // the old core header: 16-bit width and height
        result.monochrome = u16(22) == 1 && u16(24) == 1;
    } else {
        result.monochrome = head.size() >= 30 && u16(26) == 1 && u16(28) == 1;
        compressed = head.size() < 34 || u32(30) != 0;
    }
    const qint64 stride = (qint64(width) + 31) / 32 * 4;
    const qint64 needed =
        qint64(u32(10)) + stride * (qMax(height, 1) - 1) + (qint64(width) + 7) / 8;
    result.complete = compressed || file.size() >= needed;
    return result;
}
} // namespace

int logoColumnsSent(int B, int C) {
    C = qMin(C, 255);
    while (B * C > LogoImage::kDataBytes)
        --C;
    return C;
}

QString PictureKept::note() const {
    QStringList parts;
    if (picture.height() > kept.height())
        parts << QStringLiteral("top %1 rows").arg(kept.height());
    if (picture.width() > kept.width())
        parts << QStringLiteral("left %1 columns").arg(kept.width());
    return QStringLiteral("the picture is %1 x %2 dots; the logo keeps its %3 (a logo holds at "
                          "most 32 rows, 255 columns and 500 bytes)")
        .arg(picture.width())
        .arg(picture.height())
        .arg(parts.join(QStringLiteral(" and ")));
}

PictureLoad LoadPictureToLogo(const QString &fileName, LogoImage &image, LogoDots &staging,
                              QSize *packed, PictureKept *kept) {
    QString why;
    const auto bytes = files::readRegular(fileName, files::kPictureLimit, &why);
    QImage picture;
    if (!bytes || !picture.loadFromData(*bytes, "BMP") || picture.isNull())
        return PictureLoad::NotValid;
    const BitmapHeader header = readBitmapHeader(*bytes, picture.width(), picture.height());
    if (!header.monochrome)
        return PictureLoad::NotMonochrome;
    if (!header.complete)
        return PictureLoad::NotValid;

    // At most 4000 dots; a very flat picture is cut at the image's width.
    const int H = qMin(picture.height(), 32);
    const int W = std::min({picture.width(), 4000 / qMax(H, 1), LogoImage::kColumns});
    if (packed)
        *packed = QSize(W, H);
    PackColumns(image, staging, H, W,
                [&](int x, int y) { return (picture.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF; });

    int topByte = 0, lastColumn = 0;
    for (int c = 0; c < LogoImage::kColumns; ++c)
        for (int k = 0; k < 4; ++k)
            if (image.dots[size_t(c)][size_t(k)]) {
                topByte = qMax(topByte, k);
                lastColumn = qMax(lastColumn, c);
            }
    image.bytesPerColumn = topByte + 1;
    image.columnCount = lastColumn + 1;
    if (kept)
        *kept = {picture.size(), QSize(logoColumnsSent(image.bytesPerColumn, W), H)};
    return PictureLoad::Loaded;
}

std::optional<QString> savePicture(const QImage &picture, const QString &fileName,
                                   const char *format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, format))
        return QStringLiteral("the picture could not be made into %1").arg(QLatin1String(format));
    return files::writeWhole(fileName, bytes);
}

std::optional<QString> SaveLogoToBitmap(const QString &fileName, const LogoImage &image) {
    const int B = image.bytesPerColumn, C = image.columnCount;
    if (B < 1 || B > 4 || C < 1 || C > LogoImage::kColumns)
        return QStringLiteral("a logo of %1 x %2 has no picture").arg(B).arg(C);
    QImage picture(C, 8 * B, QImage::Format_Mono);
    if (picture.isNull())
        return QStringLiteral("no memory for the picture");
    picture.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    picture.fill(1); // white, padding bits included
    for (int x = 0; x < C; ++x) {
        int r = 0;
        for (int k = B - 1; k >= 0; --k)
            for (int bit = 7; bit >= 0; --bit, ++r)
                if (image.dots[size_t(x)][size_t(k)] & (1 << bit))
                    picture.setPixel(x, r, 0);
    }
    return savePicture(picture, fileName, "BMP");
}
