#pragma once
// The logo image: the one logo being worked on, its dot layout, the logo frame that carries it
// to the printer, the names list, and the conversions between logos and 1-bit pictures.

#include <QByteArray>
#include <QSize>
#include <QString>
#include <array>
#include <functional>
#include <optional>

class QImage;

using LogoDots = std::array<std::array<quint8, 4>, 512>; // column, byte (byte 0 the bottom)

// Dots are held in one of two orientations (every user knows which):
// wire orientation (after a read): a set bit is a dot, bit 7 the highest dot of its byte;
// file orientation (after packing a picture): a set bit is a dot, bit 0 the highest dot.
struct LogoImage {
    static constexpr int kColumns = 512;
    static constexpr int kDataBytes = 500; // the data area of the logo frame

    LogoDots dots{};
    int bytesPerColumn = 0; // B, 1..4
    int columnCount = 0;    // C
    QString name;
    int number = 0;

    void fill(quint8 value);
    bool hasDots() const; // any set byte
};

// The names list as ReadLogoNamesList returns it: count records of 10 bytes
// (slot, 8-byte name, one more byte).
struct LogoNames {
    int count = 0;
    QByteArray records;

    bool valid() const { return count >= 1 && count <= 255; }
};

// Slot of the index-th record (0-based), or -1.
int LogoNumberAt(const LogoNames &names, int index);
// Name of the first record with that slot, trimmed of blanks and control characters.
QByteArray LogoNameOf(const LogoNames &names, int number);

// The byte with its bit order reversed: bit 0 becomes bit 7, bit 1 bit 6, and so on.
quint8 MirrorBits(quint8 byte);

// The 8 name bytes, cut or padded with spaces, and the byte that makes them sum to 0.
QByteArray logoNameField(const QByteArray &name);
quint8 nameChecksum(const QByteArray &nameField);
// The name of a logo read: the 8 name bytes of the 9 that end a read, or nothing when the ninth
// is not their checksum.
QByteArray nameFromTail(const QByteArray &nineBytes);
// The raw name bytes of the index-th record (0-based), trimmed of blanks and control characters;
// empty when there is no such record.
QByteArray LogoNameAt(const LogoNames &names, int index);

// The 510 bytes of a logo write: 500 data bytes (complements of the image bytes, mirrored when
// the image is in file orientation), FF, the name field and its checksum.
QByteArray logoFrame(const LogoDots &dots, int B, int C, const QByteArray &name,
                     bool fileOrientation);

// Packs a picture of H rows (≤ 32) and W columns (≤ 512) into the image in file orientation;
// staging is cleared and used as scratch. isDot(x, y), y = 0 the top row.
void PackColumns(LogoImage &image, LogoDots &staging, int H, int W,
                 const std::function<bool(int x, int y)> &isDot);

enum class PictureLoad { Loaded, NotValid, NotMonochrome };

// The columns of a logo B bytes high that go out with it: the count travels as one byte, and a
// logo holds at most 500 bytes.
int logoColumnsSent(int B, int C);

// How much of a picture a logo keeps: its top rows and left columns.
struct PictureKept {
    QSize picture; // the picture's own size
    QSize kept;    // the part that goes out: at most 32 rows, the columns a logo of its B holds
    bool cut() const { return picture.width() > kept.width() || picture.height() > kept.height(); }
    // "the picture is 333 x 12 dots; the logo keeps its left 250 columns (a logo holds 500 bytes)"
    QString note() const;
};

// Fills the image (file orientation) and its B and C from a 1-bit bitmap file: at most 32 rows
// and 4000 dots of it, whose size `packed` (when given) receives; `kept` (when given) how much of
// the picture goes out as a logo. A file that is not a regular file of at most 32 MB is not valid.
PictureLoad LoadPictureToLogo(const QString &fileName, LogoImage &image, LogoDots &staging,
                              QSize *packed = nullptr, PictureKept *kept = nullptr);

// Writes the image (wire orientation) as a 1-bit bitmap C wide and 8 × B high.
// Nothing on success, else the reason.
std::optional<QString> SaveLogoToBitmap(const QString &fileName, const LogoImage &image);

// Writes the picture whole in `format` ("BMP", "PNG") through a temporary file in the target's
// folder, never over a device or a FIFO; nothing on success, else the reason.
std::optional<QString> savePicture(const QImage &picture, const QString &fileName,
                                   const char *format);
