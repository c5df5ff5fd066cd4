// The enlarged logo picture: the dots of both orientations in their place, the grid, the size.

#include "LogoPicture.h"

#include <QtTest>

class TestLogoPicture : public QObject {
    Q_OBJECT

private slots:
    void dotsOfBothOrders();
};

void TestLogoPicture::dotsOfBothOrders() {
    // Two bytes a column: the top dot is the highest bit of byte 1 when read from the printer,
    // the lowest bit of byte 1 when packed from a picture; the bottom dot the other end of byte 0.
    LogoImage image;
    image.bytesPerColumn = 2;
    image.columnCount = 3;
    image.dots[0][1] = 0x80; // wire: the top dot; file: row 7
    image.dots[1][0] = 0x01; // wire: the bottom dot; file: row 8
    image.dots[2][1] = 0x01; // wire: row 7; file: the top dot
    QVERIFY(logoDot(image, DotOrder::Wire, 0, 0));
    QVERIFY(logoDot(image, DotOrder::Wire, 1, 15));
    QVERIFY(logoDot(image, DotOrder::Wire, 2, 7));
    QVERIFY(logoDot(image, DotOrder::File, 0, 7));
    QVERIFY(logoDot(image, DotOrder::File, 1, 8));
    QVERIFY(logoDot(image, DotOrder::File, 2, 0));
    QCOMPARE(logoSizeText(image), QStringLiteral("Col:3*Row:16"));

    // Drawn at 4 pixels a dot: exactly those squares black; the grid light grey around them.
    LogoPicture picture;
    picture.showLogo(image, DotOrder::Wire, 4);
    QCOMPARE(picture.size(), QSize(12, 64));
    const QImage drawn = picture.grab().toImage();
    for (int x = 0; x < 12; ++x)
        for (int y = 0; y < 64; ++y)
            QCOMPARE(drawn.pixelColor(x, y) == Qt::black,
                     logoDot(image, DotOrder::Wire, x / 4, y / 4));
    picture.setGrid(true);
    QCOMPARE(picture.size(), QSize(12 + 16, 64 + 16));
    const QImage gridded = picture.grab().toImage();
    QCOMPARE(gridded.pixelColor(4, 1), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(gridded.pixelColor(8 + 1, 8 + 1), QColor(Qt::black)); // the top dot, past the margin
}

QTEST_MAIN(TestLogoPicture)
#include "tst_logo_picture.moc"
