// The logo transfers: preview read, write with its frame and acknowledgement, read with its name
// and checksum, rename and delete.

#include "ScriptedPrinter.h"

#include <QTest>

namespace {
// Wire bytes that are easy to tell apart: 0x10 + i.
QByteArray ramp(int count) {
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out.append(char(0x10 + i));
    return out;
}

// The 510-byte frame: data, FF filler, name, checksum.
QByteArray frame(const QByteArray &data, const QByteArray &name8, quint8 checksum) {
    QByteArray out = data;
    out.append(501 - data.size(), char(0xFF));
    return out + name8 + QByteArray(1, char(checksum));
}
} // namespace

class LogoTransferTest : public QObject {
    Q_OBJECT
private slots:
    void previewReadsTheDots();
    void previewOfAWideLogoDrainsTheRest();
    void previewOfAnEmptySlot();
    void previewWithoutTheFirstByteKeepsB();
    void writeLogoFrame();
    void writeLogoNames_data();
    void writeLogoNames();
    void writeLogoSizes();
    void writeLogoNeedsTheFinalS();
    void readLogo();
    void readLogoSizes();
    void renameWritesTheDotsBackUnchanged();
    void renameOfAnEmptySlotWritesNothing();
    void deleteLogo();
    void replyWithMoreThanFourBytesAColumn();
};

void LogoTransferTest::previewReadsTheDots() {
    PrinterRig rig;
    rig.printer->expect(bytes("07 00 0D")).reply(bytes("04 20") + ramp(128)).expect("s");
    LogoImage image;
    image.fill(0x00);
    QVERIFY(rig.f.ReadLogoPreview(13, image));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QCOMPARE(image.bytesPerColumn, 4);
    QCOMPARE(image.columnCount, 32);
    QCOMPARE(image.dots[0][0], quint8(0xFF - 0x10));
    QCOMPARE(image.dots[0][3], quint8(0xFF - 0x13));
    QCOMPARE(image.dots[31][3], quint8(0xFF - (0x10 + 127)));
    QCOMPARE(image.dots[32][0], quint8(0xFF)); // the rest of the image is blank
    QCOMPARE(rig.hostRead.size(), 3 + 2 + 128 + 1);
}

void LogoTransferTest::previewOfAWideLogoDrainsTheRest() {
    // 200 columns of 4 bytes: 125 columns kept, 300 bytes read and dropped, then the 's'.
    PrinterRig rig;
    const QByteArray data = QByteArray(500, char(0x0F)) + QByteArray(300, char(0xF0));
    rig.printer->expect(bytes("07 00 01")).reply(bytes("04 C8") + data).expect("s");
    LogoImage image;
    QVERIFY(rig.f.ReadLogoPreview(1, image));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QCOMPARE(image.columnCount, 125);
    QCOMPARE(image.dots[124][3], quint8(0xF0));
    QCOMPARE(image.dots[125][0], quint8(0xFF));
    QCOMPARE(rig.hostRead.size(), 3 + 2 + 800 + 1);
}

void LogoTransferTest::previewOfAnEmptySlot() {
    PrinterRig rig;
    rig.printer->expect(bytes("07 00 02")).reply(bytes("00 00")).expect("s");
    // An empty slot has no dots: a set bit is a dot, so its image holds none.
    LogoImage image;
    image.fill(0x5A);
    QVERIFY(rig.f.ReadLogoPreview(2, image));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QCOMPARE(image.bytesPerColumn, 32);
    QCOMPARE(image.columnCount, 32);
    QVERIFY(!image.hasDots());
    QCOMPARE(rig.hostRead.size(), 3 + 2 + 1);
}

void LogoTransferTest::previewWithoutTheFirstByteKeepsB() {
    // The first byte never comes; what follows is C and the data for the B already held.
    PrinterRig rig;
    rig.printer->expect(bytes("07 00 03")).replyAfterWaits(bytes("02") + ramp(6), 1).expect("s");
    LogoImage image;
    image.bytesPerColumn = 3;
    QVERIFY(rig.f.ReadLogoPreview(3, image));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QCOMPARE(image.bytesPerColumn, 3);
    QCOMPARE(image.columnCount, 2);
    QCOMPARE(image.dots[1][2], quint8(0xFF - 0x15));
    QCOMPARE(image.dots[1][3], quint8(0xFF));
}

void LogoTransferTest::writeLogoFrame() {
    // File orientation to wire: each data byte is the complement of the mirrored image byte,
    // column by column, byte 0 first.
    LogoImage image;
    image.dots[0] = {0x01, 0xC5, 0x77, 0x77};
    image.dots[1] = {0x00, 0xFF, 0x77, 0x77};
    image.dots[2] = {0x80, 0x0F, 0x77, 0x77};
    image.dots[3] = {0x77, 0x77, 0x77, 0x77}; // beyond C: not sent
    const QByteArray data = bytes("7F 5C FF 00 FE 0F");

    PrinterRig rig;
    rig.printer->expect(bytes("07 89 2A"))
        .expectRaw(bytes("02"))
        .expectRaw(bytes("03"))
        .expectRaw(frame(data, "LOGO    ", nameWithChecksum("LOGO    ").back()))
        .reply("s")
        .expectRaw("s"); // the host echoes the printer's acknowledgement
    QVERIFY(rig.f.WriteLogo(42, 2, 3, "LOGO", image));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QCOMPARE(rig.printer->opens(), 1);
}

void LogoTransferTest::writeLogoNames_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("empty") << QByteArray() << QByteArray("        \x00", 9);
    QTest::newRow("A") << QByteArray("A") << QByteArray("A       \xDF");
    QTest::newRow("cut at 8") << QByteArray("ABCDEFGHIJ") << nameWithChecksum("ABCDEFGH");
    QTest::newRow("Cyrillic") << bytes("CF F0 E8") << nameWithChecksum(bytes("CF F0 E8") + "     ");
}

void LogoTransferTest::writeLogoNames() {
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, field);
    LogoImage image;
    PrinterRig rig;
    rig.printer->expect(bytes("07 89 00"))
        .expectRaw(bytes("01 01"))
        .expectRaw(QByteArray(501, char(0xFF)) + field)
        .reply("s")
        .expectRaw("s");
    QVERIFY(rig.f.WriteLogo(0, 1, 1, name, image));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
}

void LogoTransferTest::writeLogoSizes() {
    LogoImage image;
    for (int c = 0; c < LogoImage::kColumns; ++c)
        image.dots[size_t(c)] = {0x00, 0x00, 0x00, 0x00}; // complement of mirrored 00 is FF...
    for (int c = 0; c < 255; ++c)
        image.dots[size_t(c)][0] = 0xFF; // ...and of FF is 00
    struct Size {
        int B, C;
        const char *sent; // B and C as they go out
        int dataBytes;
    };
    for (const Size &size : {Size{4, 126, "04 7D", 500}, Size{4, 125, "04 7D", 500},
                             Size{1, 255, "01 FF", 255}, Size{2, 300, "02 FA", 500}}) {
        QByteArray data;
        for (int c = 0; data.size() < size.dataBytes; ++c)
            for (int k = 0; k < size.B; ++k)
                data.append(k == 0 && c < 255 ? char(0x00) : char(0xFF));
        PrinterRig rig;
        rig.printer->expect(bytes("07 89 05"))
            .expectRaw(bytes(size.sent))
            .expectRaw(frame(data, "        ", 0x00))
            .reply("s")
            .expectRaw("s");
        QVERIFY(rig.f.WriteLogo(5, size.B, size.C, "", image));
        QVERIFY2(rig.printer->done(),
                 qPrintable(QStringLiteral("B=%1 C=%2: ").arg(size.B).arg(size.C) +
                            rig.printer->problem()));
    }
}

void LogoTransferTest::writeLogoNeedsTheFinalS() {
    LogoImage image;
    for (const char *answer : {"53", "00", "72"}) {
        PrinterRig rig;
        rig.printer->expect(bytes("07 89 05"))
            .expectRaw(bytes("01 01"))
            .expectRaw(QByteArray(501, char(0xFF)) + nameWithChecksum("        "))
            .reply(bytes(answer))
            .expectRaw(bytes(answer)); // whatever came is echoed back
        QVERIFY(!rig.f.WriteLogo(5, 1, 1, "", image));
        QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    }
    // No answer at all: nothing is echoed.
    PrinterRig rig;
    rig.printer->expect(bytes("07 89 05"))
        .expectRaw(bytes("01 01"))
        .expectRaw(QByteArray(501, char(0xFF)) + nameWithChecksum("        "));
    QVERIFY(!rig.f.WriteLogo(5, 1, 1, "", image));
    QCOMPARE(rig.printer->hostBytes().size(), 3 + 2 + 510);
}

void LogoTransferTest::readLogo() {
    {
        PrinterRig rig;
        rig.printer->expect(bytes("07 01 09"))
            .reply(bytes("02 03") + ramp(6) + QByteArray(495, char(0xFF)) +
                   nameWithChecksum("LOGO1   "))
            .expect("s");
        LogoImage image;
        image.fill(0x00);
        QByteArray name = "old";
        QVERIFY(rig.f.ReadLogo(9, image, name));
        QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
        QCOMPARE(name, QByteArray("LOGO1   "));
        QCOMPARE(image.bytesPerColumn, 2);
        QCOMPARE(image.columnCount, 3);
        QCOMPARE(image.dots[2][1], quint8(0xFF - 0x15));
        QCOMPARE(image.dots[2][2], quint8(0xFF)); // not part of a 2-byte column
        QCOMPARE(image.dots[3][0], quint8(0xFF));
        QCOMPARE(rig.hostRead.size(), 3 + 2 + 6 + 495 + 9 + 1);
    }
    {
        // A wrong checksum empties the name but the read is good.
        PrinterRig rig;
        QByteArray tail = nameWithChecksum("LOGO1   ");
        tail[8] = char(tail[8] + 1);
        rig.printer->expect(bytes("07 01 09"))
            .reply(bytes("01 01 00") + QByteArray(500, char(0xFF)) + tail)
            .expect("s");
        LogoImage image;
        QByteArray name = "old";
        QVERIFY(rig.f.ReadLogo(9, image, name));
        QVERIFY(name.isEmpty());
        QCOMPARE(image.dots[0][0], quint8(0xFF));
    }
}

void LogoTransferTest::readLogoSizes() {
    struct Size {
        const char *header;
        int B, C, dataBytes, dropped;
    };
    // 4 x 125 fills the data area and drops only the filler byte; 4 x 126 is read as 4 x 125;
    // an empty slot (0 x 0) is followed only by the name and checksum.
    for (const Size &size : {Size{"04 7D", 4, 125, 500, 1}, Size{"04 7E", 4, 125, 500, 1},
                             Size{"01 FF", 1, 255, 255, 246}, Size{"00 00", 32, 32, 0, 0}}) {
        PrinterRig rig;
        rig.printer->expect(bytes("07 01 04"))
            .reply(bytes(size.header) + ramp(size.dataBytes) + QByteArray(size.dropped, '\xFF') +
                   nameWithChecksum("N       "))
            .expect("s");
        LogoImage image;
        QByteArray name;
        QVERIFY2(rig.f.ReadLogo(4, image, name), size.header);
        QCOMPARE(name, QByteArray("N       "));
        QCOMPARE(image.bytesPerColumn, size.B);
        QCOMPARE(image.columnCount, size.C);
        QCOMPARE(image.hasDots(), size.dataBytes > 0); // an empty slot shows no dot
        QCOMPARE(rig.hostRead.size(), 3 + 2 + size.dataBytes + size.dropped + 9 + 1);
    }
}

void LogoTransferTest::renameWritesTheDotsBackUnchanged() {
    const QByteArray data = ramp(6);
    PrinterRig rig;
    rig.printer->expect(bytes("07 01 0C"))
        .reply(bytes("02 03") + data + QByteArray(495, char(0xFF)) + nameWithChecksum("OLD     "))
        .expect("s")
        .expect(bytes("07 89 0C"))
        .expectRaw(bytes("02 03"))
        .expectRaw(frame(data, "NEW     ", nameWithChecksum("NEW     ").back()))
        .reply("s")
        .expectRaw("s");
    LogoImage image;
    QVERIFY(rig.f.RenameLogo(12, "NEW", image));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QCOMPARE(rig.printer->opens(), 2);
}

void LogoTransferTest::renameOfAnEmptySlotWritesNothing() {
    // A slot that answers 0 x 0 has no dots that would fit a frame: the rename is refused.
    PrinterRig rig;
    rig.printer->expect(bytes("07 01 0C"))
        .reply(bytes("00 00") + nameWithChecksum("OLD     "))
        .expect("s");
    LogoImage image;
    QVERIFY(!rig.f.RenameLogo(12, "NEW", image));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QCOMPARE(hexOf(rig.printer->hostBytes()), QStringLiteral("07 01 0C 73"));
    QCOMPARE(rig.printer->opens(), 1);
}

void LogoTransferTest::deleteLogo() {
    PrinterRig rig;
    rig.printer->expect(bytes("07 89 FF"))
        .expectRaw(bytes("04 01"))
        .expectRaw(QByteArray(501, char(0xFF)) + "        " + bytes("00"))
        .reply("s")
        .expectRaw("s");
    LogoImage image;
    image.fill(0x5A);
    QVERIFY(rig.f.DeleteLogo(255, image));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QVERIFY(!image.hasDots());
    QCOMPARE(image.bytesPerColumn, 4);
    QCOMPARE(image.columnCount, 1);
}

void LogoTransferTest::replyWithMoreThanFourBytesAColumn() {
    // The image holds 4 bytes a column: a reply with more fails every read, and the image is
    // left with a size it can hold.
    const QByteArray body = bytes("05 02") + QByteArray(10, '\0') + QByteArray(491, '\xFF') +
                            nameWithChecksum("X       ");
    {
        PrinterRig rig;
        rig.printer->expect(bytes("07 01 01")).reply(body);
        LogoImage image;
        QByteArray name;
        QVERIFY(!rig.f.ReadLogo(1, image, name));
        QVERIFY(image.bytesPerColumn >= 0 && image.bytesPerColumn <= 4);
        QCOMPARE(hexOf(rig.printer->hostBytes()), QStringLiteral("07 01 01"));
    }
    {
        PrinterRig rig;
        rig.printer->expect(bytes("07 01 01")).reply(body);
        LogoImage image;
        QVERIFY(!rig.f.RenameLogo(1, "NEW", image));
        QCOMPARE(hexOf(rig.printer->hostBytes()), QStringLiteral("07 01 01"));
    }
    {
        PrinterRig rig;
        rig.printer->expect(bytes("07 00 01")).reply(bytes("05 02") + QByteArray(10, '\0'));
        LogoImage image;
        image.bytesPerColumn = 2;
        QVERIFY(!rig.f.ReadLogoPreview(1, image));
        QCOMPARE(image.bytesPerColumn, 2);
        QCOMPARE(hexOf(rig.printer->hostBytes()), QStringLiteral("07 00 01"));
    }
}

QTEST_GUILESS_MAIN(LogoTransferTest)
#include "tst_logotransfer.moc"
