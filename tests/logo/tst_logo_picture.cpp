// The enlarged logo picture's grid: light grey every cell, and a margin of two cells around the
// dots. (The dots themselves, of both orders, are what the logo windows' tests see them show.)

#include "LogoPicture.h"

#include <QtTest>

class TestLogoPicture : public QObject {
    Q_OBJECT

private slots:
    void gridAroundTheDots();
};

void TestLogoPicture::gridAroundTheDots() {
    LogoImage image;
    image.bytesPerColumn = 2;
    image.columnCount = 3;
    image.dots[0][1] = 0x80; // the top dot of column 0
    LogoPicture picture;
    picture.showLogo(image, DotOrder::Wire, 4);
    QCOMPARE(picture.size(), QSize(12, 64));
    picture.setGrid(true);
    QCOMPARE(picture.size(), QSize(12 + 16, 64 + 16));
    const QImage gridded = picture.grab().toImage();
    QCOMPARE(gridded.pixelColor(4, 1), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(gridded.pixelColor(8 + 1, 8 + 1), QColor(Qt::black)); // the top dot, past the margin
}

QTEST_MAIN(TestLogoPicture)
#include "tst_logo_picture.moc"
