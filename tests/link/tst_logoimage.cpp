// Pictures to logos and back, and the look-ups in the logo names list.

#include "ScriptedPrinter.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
// A 1-bit picture, white, with black dots at the given (x, y).
QImage monoPicture(int w, int h, const QList<QPoint> &dots) {
    QImage picture(w, h, QImage::Format_Mono);
    picture.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    picture.fill(1);
    for (const QPoint &p : dots)
        picture.setPixel(p, 0);
    return picture;
}

// The wire bytes of the logo image's first columns, as WriteLogo sends them.
QByteArray wireData(const LogoImage &image, int columns) {
    return logoFrame(image.dots, image.bytesPerColumn, columns, "", true)
        .left(columns * image.bytesPerColumn);
}
} // namespace

class LogoImageTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString file(const QString &name) const { return dir.filePath(name); }

private slots:
    void loadMonochromePictures() {
        struct Picture {
            int width, height;
            QList<QPoint> dots;
            int B, C;
            bool dotsKept;
            QString wire; // of the C columns, when it is short
        };
        const Picture pictures[] = {
            // 12 rows need two bytes a column; columns end at the last dot. Byte 0 goes out as rows
            // 11..4 (bit 0 row 11), byte 1 bits 0..3 as rows 3..0 and bits 4..7 set (no dot).
            {5, 12, {{0, 0}, {0, 4}, {0, 11}, {1, 3}}, 2, 2, true, "7E F7 FF FE"},
            // 32 rows: the bottom row is bit 0 of wire byte 0, the top row bit 7 of wire byte 3.
            {2, 32, {{0, 31}, {1, 0}}, 4, 2, true, "FE FF FF FF FF FF FF 7F"},
            // 32 rows with the top 8 blank: three bytes a column. Empty columns at the left stay.
            {6, 32, {{2, 8}, {3, 31}}, 3, 4, true, "FF FF FF FF FF FF FF FF 7F FE FF FF"},
            {10, 10, {}, 1, 1, false, "FF"},
            // Rows below row 31 are lost.
            {4, 40, {{1, 35}}, 1, 1, false, "FF"},
            // At most 4000 dots: 8 rows keep 500 columns.
            {600, 8, {{499, 0}, {500, 0}}, 1, 500, true, {}},
            // 2 rows allow 2000 columns, but the image holds 512.
            {2000, 2, {{511, 1}, {700, 1}}, 1, 512, true, {}},
        };
        LogoImage image;
        LogoDots staging;
        for (const Picture &p : pictures) {
            const QString name = file(QStringLiteral("%1x%2.bmp").arg(p.width).arg(p.height));
            QVERIFY(monoPicture(p.width, p.height, p.dots).save(name, "BMP"));
            image.fill(0x55);
            QCOMPARE(LoadPictureToLogo(name, image, staging), PictureLoad::Loaded);
            QCOMPARE(image.bytesPerColumn, p.B);
            QCOMPARE(image.columnCount, p.C);
            QCOMPARE(image.hasDots(), p.dotsKept);
            if (!p.wire.isEmpty())
                QCOMPARE(hexBytes(wireData(image, p.C)), p.wire);
        }
    }

    void loadRefusesOtherPictures() {
        LogoImage image;
        LogoDots staging;
        // Colour bitmaps are refused whatever their colours: black and white only here.
        for (const auto format : {QImage::Format_Indexed8, QImage::Format_RGB32}) {
            const QImage colour = monoPicture(8, 8, {{1, 1}}).convertToFormat(format);
            QVERIFY(colour.save(file("colour.bmp"), "BMP"));
            QCOMPARE(LoadPictureToLogo(file("colour.bmp"), image, staging),
                     PictureLoad::NotMonochrome);
        }

        QFile garbage(file("garbage.bmp"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("BM this is not a picture at all");
        garbage.close();
        QCOMPARE(LoadPictureToLogo(file("garbage.bmp"), image, staging), PictureLoad::NotValid);
        QCOMPARE(LoadPictureToLogo(file("missing.bmp"), image, staging), PictureLoad::NotValid);
#ifdef Q_OS_UNIX
        // A FIFO in a picture's place is no picture, and nothing waits for it to be written.
        QVERIFY(::mkfifo(QFile::encodeName(file("fifo.bmp")).constData(), 0600) == 0);
        QCOMPARE(LoadPictureToLogo(file("fifo.bmp"), image, staging), PictureLoad::NotValid);
#endif

        // A file cut short would load its missing rows from whatever memory held: refused. Only the
        // padding of the last row (the top one) may be missing. 40 columns: 5 bytes a row, 8
        // stored.
        QVERIFY(monoPicture(40, 16, {{39, 0}}).save(file("whole.bmp"), "BMP"));
        QFile whole(file("whole.bmp"));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        for (const auto &[cut, result] : {std::pair{3, PictureLoad::Loaded},
                                          {4, PictureLoad::NotValid},
                                          {8 * 8, PictureLoad::NotValid}}) {
            QFile part(file("cut.bmp"));
            QVERIFY(part.open(QIODevice::WriteOnly | QIODevice::Truncate));
            part.write(bytes.left(bytes.size() - cut));
            part.close();
            QCOMPARE(LoadPictureToLogo(file("cut.bmp"), image, staging), result);
        }
    }

    void saveAndLoadAgain() {
        // A logo as read (wire orientation) saved as a picture and loaded again comes back with the
        // same size and the same dots, now in file orientation.
        LogoImage read;
        read.bytesPerColumn = 3;
        read.columnCount = 5;
        read.dots[0] = {0x01, 0x00, 0x00, 0};
        read.dots[2] = {0x00, 0xA5, 0x00, 0};
        read.dots[4] = {0x00, 0x00, 0x80, 0};
        QVERIFY(!SaveLogoToBitmap(file("logo.bmp"), read));

        QImage saved(file("logo.bmp"));
        QCOMPARE(saved.depth(), 1);
        QCOMPARE(saved.size(), QSize(5, 24));
        QCOMPARE(saved.pixelColor(4, 0), QColor(Qt::black));  // bit 7 of the top byte: the top row
        QCOMPARE(saved.pixelColor(0, 23), QColor(Qt::black)); // bit 0 of byte 0: the bottom row
        QCOMPARE(saved.pixelColor(1, 12), QColor(Qt::white));

        LogoImage loaded;
        LogoDots staging;
        QCOMPARE(LoadPictureToLogo(file("logo.bmp"), loaded, staging), PictureLoad::Loaded);
        QCOMPARE(loaded.bytesPerColumn, 3);
        QCOMPARE(loaded.columnCount, 5);
        for (int c = 0; c < 5; ++c)
            for (int k = 0; k < 3; ++k)
                QCOMPARE(loaded.dots[size_t(c)][size_t(k)],
                         MirrorBits(read.dots[size_t(c)][size_t(k)]));

        // A logo without a sensible size is not saved.
        LogoImage empty;
        empty.bytesPerColumn = 32;
        empty.columnCount = 32;
        QVERIFY(SaveLogoToBitmap(file("none.bmp"), empty));
    }

    void namesListLookUps() {
        LogoNames names;
        names.count = 3;
        names.records = bytes("07") + " Star   " + bytes("00") + bytes("0C") + "\tMoon\x01  " +
                        bytes("00") + bytes("07") + "Other   " + bytes("00");
        for (const auto &[index, number] : {std::pair{0, 7}, {1, 12}, {3, -1}, {-1, -1}})
            QVERIFY2(LogoNumberAt(names, index) == number, qPrintable(QString::number(index)));
        // A slot's name is its first record's.
        for (const auto &[number, name] : {std::pair{7, "Star"}, {12, "Moon"}, {8, ""}})
            QCOMPARE(LogoNameOf(names, number), QByteArray(name));

        // A count outside 1..255 is an empty list, whatever the records hold.
        names.count = 0;
        QCOMPARE(LogoNumberAt(names, 0), -1);
        QCOMPARE(LogoNameOf(names, 7), QByteArray());
        // A count larger than the records received looks only at what is there.
        names.count = 5;
        QCOMPARE(LogoNumberAt(names, 2), 7);
        QCOMPARE(LogoNumberAt(names, 3), -1);
    }
};

QTEST_GUILESS_MAIN(LogoImageTest)
#include "tst_logoimage.moc"
