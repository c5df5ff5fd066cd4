// The mark picture read: header, column order, complement, padding, progress, replies that do
// not fit the store, and failure at every byte.

#include "ScriptedPrinter.h"

#include <QTest>

namespace {
const QByteArray kCommand = bytes("07 08 08");

QByteArray filler(int count) {
    return QByteArray(count, char(0x5A));
}

// A mark image with guard bytes behind it: a read that wrote past the store would show there.
struct GuardedImage {
    MarkImage image;
    std::array<quint8, 64> guard;
    GuardedImage() { guard.fill(0xC3); }
    bool guardIntact() const {
        return std::all_of(guard.begin(), guard.end(), [](quint8 b) { return b == 0xC3; });
    }
};
} // namespace

class MarkReadTest : public QObject {
    Q_OBJECT
private slots:
    void sizes_data();
    void sizes();
    void dotsAreComplementedColumnByColumn();
    void progressPositions();
    void missingHeightKeepsThePreviousOne();
    void oversizeRepliesAreRefused_data();
    void oversizeRepliesAreRefused();
};

void MarkReadTest::sizes_data() {
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("length");
    QTest::newRow("empty") << bytes("00 00 00") << 0 << 0;
    QTest::newRow("1 x 255") << bytes("01 00 01") << 1 << 255; // low + 255 x high
    QTest::newRow("4 x 1280, no padding") << bytes("04 05 05") << 4 << 1280;
}

void MarkReadTest::sizes() {
    QFETCH(QByteArray, header);
    QFETCH(int, height);
    QFETCH(int, length);
    PrinterRig rig;
    // The reply always carries 5120 bytes after its header, picture and padding; all are read.
    rig.printer->expect(kCommand).reply(header + filler(5120)).expect(bytes("17"));
    auto image = std::make_unique<MarkImage>();
    image->height = 3;
    image->length = 77;
    QVERIFY(rig.f.ReadMarkImage(*image));
    QCOMPARE(image->height, height);
    QCOMPARE(image->length, length);
    QCOMPARE(rig.hostRead.size(), 3 + 3 + 5120);
    if (length > 0)
        QCOMPARE(image->dots[size_t(length - 1)][size_t(height - 1)], quint8(0xFF - 0x5A));
    QCOMPARE(image->dots[size_t(length)][0], quint8(0xFF)); // untouched beyond the mark
    QVERIFY(rig.f.Start());                                 // the next exchange starts clean
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
}

void MarkReadTest::dotsAreComplementedColumnByColumn() {
    // Height 2, 3 columns: column 0 bytes 0 and 1, then column 1, then column 2.
    const auto script = [](ScriptedPrinter &p) {
        p.expect(kCommand).reply(bytes("02 03 00 FF 00 7F FE 01 80") + filler(5114));
    };
    auto image = std::make_unique<MarkImage>();
    const auto read = [&](Functions &f) { return f.ReadMarkImage(*image); };
    for (auto &column : image->dots)
        column.fill(0x11);
    PrinterRig rig;
    checkGoesThrough(rig, script, read);
    QCOMPARE(image->height, 2);
    QCOMPARE(image->length, 3);
    // Bytes 0..2 of each column: the complement of the wire (FF: no dots in that band, 00: eight
    // dots), and FF above the height: the whole store was cleared to FF before the read.
    QByteArray bands;
    for (size_t x = 0; x < 3; ++x)
        bands += QByteArray(reinterpret_cast<const char *>(image->dots[x].data()), 3);
    QCOMPARE(hexBytes(bands), QStringLiteral("00 FF FF 80 01 FF FE 7F FF"));
    QCOMPARE(image->dots[5120][3], quint8(0xFF));
    // The top dot of a column is bit 7 of its highest byte; the bottom one bit 0 of byte 0.
    QString dots;
    for (int x = 0; x < 2; ++x)
        for (int y = 0; y < 16; ++y)
            dots += QLatin1Char(image->dot(x, y) ? '#' : '.');
    QCOMPARE(dots, QStringLiteral("########........"
                                  ".......##......."));
    checkFailureAtEveryByte(script, read);
}

void MarkReadTest::progressPositions() {
    // The bar moves once every 257 padding bytes, from (height x length) div 256, and ends at 20.
    for (const char *header : {"00 00 00", "04 E8 03", "04 05 05"}) {
        const QByteArray head = bytes(header);
        const int pictureBytes = quint8(head[0]) * (quint8(head[1]) + 255 * quint8(head[2]));
        PrinterRig rig;
        rig.printer->expect(kCommand).reply(head + filler(5120));
        auto image = std::make_unique<MarkImage>();
        QList<int> positions;
        QVERIFY(rig.f.ReadMarkImage(*image, [&](int p) {
            positions.append(p);
            return true;
        }));
        const int start = pictureBytes / 256;
        QList<int> expected;
        if (pictureBytes > 0)
            expected << 0; // before the picture data
        expected << start;
        for (int j = 1; j <= 5120 - pictureBytes; ++j)
            expected << start + (j + start) / 257;
        expected << 20;
        QCOMPARE(positions, expected);
    }

    // A progress that says stop ends the read there, as a failed one: nothing more is read.
    PrinterRig rig;
    rig.printer->expect(kCommand).reply(bytes("01 02 00") + filler(5120));
    auto image = std::make_unique<MarkImage>();
    int calls = 0;
    QVERIFY(!rig.f.ReadMarkImage(*image, [&](int) { return ++calls < 3; }));
    QCOMPARE(rig.hostRead.size(), 3 + 3 + 2 + 1); // the command's echoes, the header, 2 + 1 bytes
}

void MarkReadTest::missingHeightKeepsThePreviousOne() {
    // The height byte does not come within its wait; the length arrives afterwards.
    PrinterRig rig;
    rig.printer->expect(kCommand).replyAfterWaits(bytes("02 00") + bytes("00 FF") + filler(5118),
                                                  1);
    auto image = std::make_unique<MarkImage>();
    image->height = 1;
    QVERIFY(rig.f.ReadMarkImage(*image));
    QCOMPARE(image->height, 1);
    QCOMPARE(image->length, 2);
    QCOMPARE(image->dots[0][0], quint8(0xFF));
    QCOMPARE(image->dots[1][0], quint8(0x00));
    QCOMPARE(image->dots[0][1], quint8(0xFF)); // not part of a 1-byte column
}

void MarkReadTest::oversizeRepliesAreRefused_data() {
    QTest::addColumn<QByteArray>("header");
    QTest::newRow("height 5") << bytes("05 01 00");
    QTest::newRow("height 255") << bytes("FF FF FF");
    QTest::newRow("4 x 1281") << bytes("04 06 05");
    QTest::newRow("1 x 65280") << bytes("01 FF FF");
}

void MarkReadTest::oversizeRepliesAreRefused() {
    QFETCH(QByteArray, header);
    PrinterRig rig;
    rig.printer->expect(kCommand).reply(header + QByteArray(5120, char(0x00)));
    auto guarded = std::make_unique<GuardedImage>();
    guarded->image.height = 2;
    guarded->image.length = 10;
    QVERIFY(!rig.f.ReadMarkImage(guarded->image));
    QVERIFY(guarded->guardIntact());
    // The refused picture is not read, and the image is left describing no mark at all.
    QCOMPARE(rig.hostRead.size(), 3 + 3);
    QCOMPARE(guarded->image.height, 0);
    QCOMPARE(guarded->image.length, 0);
}

QTEST_GUILESS_MAIN(MarkReadTest)
#include "tst_markread.moc"
