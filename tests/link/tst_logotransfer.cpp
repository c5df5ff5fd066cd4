// The logo transfers: preview and read (with the name and its checksum), write with its frame and
// acknowledgement, rename and delete; each failing at every point where the printer can fail.

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

// Dots of an image read, as {column, byte, value}.
using Samples = QList<std::array<int, 3>>;

void checkDots(const LogoImage &image, const Samples &samples) {
    for (const auto &[x, k, value] : samples)
        QVERIFY2(image.dots[size_t(x)][size_t(k)] == quint8(value),
                 qPrintable(QStringLiteral("column %1 byte %2").arg(x).arg(k)));
}
} // namespace

Q_DECLARE_METATYPE(Samples)

class LogoTransferTest : public QObject {
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
    void writeLogoFrame();
    void writeLogoSizesAndNames_data();
    void writeLogoSizesAndNames();
    void writeLogoNeedsTheFinalS();
    void lostAcknowledgementIsCheckedByReadingBack();
    void renameWritesTheDotsBackUnchanged();
    void renameOfAnEmptySlotWritesNothing();
    void deleteLogo();
    void replyWithMoreThanFourBytesAColumn();
};

void LogoTransferTest::reads_data() {
    QTest::addColumn<bool>("preview");
    QTest::addColumn<QByteArray>("reply"); // after the echoed command; the host then sends 's'
    QTest::addColumn<int>("heldB");        // B of the image before the read
    QTest::addColumn<int>("B");
    QTest::addColumn<int>("C");
    QTest::addColumn<Samples>("dots");    // the rest of the image is blank
    QTest::addColumn<QByteArray>("name"); // of the logo read
    const auto preview = [](const char *tag, const QByteArray &reply, int heldB, int B, int C,
                            const Samples &dots) {
        QTest::newRow(tag) << true << reply << heldB << B << C << dots << QByteArray("old");
    };
    // B, C, the data, the filler dropped before the name, the name and its checksum.
    const auto read = [](const char *tag, const char *header, int dataBytes, int dropped, int B,
                         int C, const Samples &dots, bool checksumRight = true) {
        QByteArray tail = nameWithChecksum("LOGO1   ");
        tail[8] = char(tail[8] + (checksumRight ? 0 : 1));
        QTest::newRow(tag) << false
                           << bytes(header) + ramp(dataBytes) + QByteArray(dropped, '\xFF') + tail
                           << 0 << B << C << dots
                           << (checksumRight ? QByteArray("LOGO1   ") : QByteArray());
    };
    // The dots are the complement of the wire bytes.
    preview("preview 4 x 32", bytes("04 20") + ramp(128), 0, 4, 32,
            {{0, 0, 0xEF}, {0, 3, 0xEC}, {31, 3, 0x70}, {32, 0, 0xFF}});
    // 200 columns: 125 kept, the other 300 bytes read and dropped before the 's'.
    preview("preview 4 x 200", bytes("04 C8") + QByteArray(500, 0x0F) + QByteArray(300, 0xF0), 0, 4,
            125, {{124, 3, 0xF0}, {125, 0, 0xFF}});
    // An empty slot: a set bit is a dot, so its image holds none.
    preview("preview of an empty slot", bytes("00 00"), 0, 32, 32, {});
    // The first byte never comes: what follows is C and the data for the B already held.
    preview("preview without B", bytes("02") + ramp(6), 3, 3, 2, {{1, 2, 0xEA}, {1, 3, 0xFF}});
    read("2 x 3", "02 03", 6, 495, 2, 3, {{2, 1, 0xEA}, {2, 2, 0xFF}, {3, 0, 0xFF}});
    // 4 x 125 fills the data area and drops only the filler byte; 4 x 126 is read as 4 x 125.
    read("4 x 125", "04 7D", 500, 1, 4, 125, {{124, 3, 0xFC}, {125, 0, 0xFF}});
    read("4 x 126", "04 7E", 500, 1, 4, 125, {{124, 3, 0xFC}, {125, 0, 0xFF}});
    read("1 x 255", "01 FF", 255, 246, 1, 255, {{254, 0, 0xF1}, {254, 1, 0xFF}});
    // An empty slot is followed only by the name and checksum, and shows no dot.
    read("empty slot", "00 00", 0, 0, 32, 32, {});
    // A wrong checksum empties the name, but the read is good.
    read("wrong checksum", "01 01", 1, 500, 1, 1, {{0, 0, 0xEF}}, false);
}

void LogoTransferTest::reads() {
    QFETCH(bool, preview);
    QFETCH(QByteArray, reply);
    QFETCH(int, heldB);
    QFETCH(int, B);
    QFETCH(int, C);
    QFETCH(Samples, dots);
    const QByteArray command = bytes(preview ? "07 00 0D" : "07 01 0D");
    const auto script = [&](ScriptedPrinter &p) {
        p.expect(command);
        (heldB ? p.replyAfterWaits(reply, 1) : p.reply(reply)).expect("s");
    };
    LogoImage image;
    QByteArray name;
    const auto read = [&](Functions &f) {
        image.fill(0x5A);
        image.bytesPerColumn = heldB;
        name = "old";
        return preview ? f.ReadLogoPreview(13, image) : f.ReadLogo(13, image, name);
    };
    PrinterRig rig;
    checkGoesThrough(rig, script, read);
    QTEST(name, "name");
    QCOMPARE(image.bytesPerColumn, B);
    QCOMPARE(image.columnCount, C);
    QCOMPARE(image.hasDots(), !dots.isEmpty());
    checkDots(image, dots);
    QCOMPARE(rig.hostRead.size(), 3 + reply.size() + 1);
    checkFailureAtEveryByte(script, read);
}

void LogoTransferTest::writeLogoFrame() {
    // File orientation to wire: each data byte is the complement of the mirrored image byte,
    // column by column, byte 0 first.
    LogoImage image;
    image.dots[0] = {0x01, 0xC5, 0x77, 0x77};
    image.dots[1] = {0x00, 0xFF, 0x77, 0x77};
    image.dots[2] = {0x80, 0x0F, 0x77, 0x77};
    image.dots[3] = {0x77, 0x77, 0x77, 0x77}; // beyond C: not sent
    const auto script = [](ScriptedPrinter &p) {
        p.expectLogoWrite(bytes("07 89 2A"), bytes("02 03"),
                          logoFrameBytes(bytes("7F 5C FF 00 FE 0F"), "LOGO"));
    };
    const auto write = [&](Functions &f) { return f.WriteLogo(42, 2, 3, "LOGO", image); };
    PrinterRig rig;
    checkGoesThrough(rig, script, write);
    QCOMPARE(rig.printer->opens(), 1);
    checkFailureAtEveryByte(script, write);
}

void LogoTransferTest::writeLogoSizesAndNames_data() {
    QTest::addColumn<int>("B");
    QTest::addColumn<int>("C");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("sent");  // B and C as they go out
    QTest::addColumn<QByteArray>("field"); // the name and its checksum that end the frame
    const QByteArray blank("        \x00", 9);
    QTest::newRow("4 x 126") << 4 << 126 << QByteArray() << bytes("04 7D") << blank;
    QTest::newRow("4 x 125") << 4 << 125 << QByteArray() << bytes("04 7D") << blank;
    QTest::newRow("1 x 255") << 1 << 255 << QByteArray() << bytes("01 FF") << blank;
    QTest::newRow("2 x 300") << 2 << 300 << QByteArray() << bytes("02 FA") << blank;
    QTest::newRow("name A") << 1 << 1 << QByteArray("A") << bytes("01 01")
                            << QByteArray("A       \xDF");
    QTest::newRow("name cut at 8")
        << 1 << 1 << QByteArray("ABCDEFGHIJ") << bytes("01 01") << nameWithChecksum("ABCDEFGH");
    QTest::newRow("Cyrillic name") << 1 << 1 << bytes("CF F0 E8") << bytes("01 01")
                                   << nameWithChecksum(bytes("CF F0 E8") + "     ");
}

void LogoTransferTest::writeLogoSizesAndNames() {
    QFETCH(int, B);
    QFETCH(int, C);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, field);
    LogoImage image;
    for (int c = 0; c < 255; ++c)
        image.dots[size_t(c)][0] = 0xFF; // goes out as 00; the other bytes as FF
    // The data for the B and C sent, then the FF filler up to 501 bytes.
    QByteArray frame;
    while (frame.size() < quint8(sent[0]) * quint8(sent[1]))
        for (int k = 0; k < B; ++k)
            frame.append(k == 0 ? char(0x00) : char(0xFF));
    frame += QByteArray(501 - frame.size(), char(0xFF)) + field;
    PrinterRig rig;
    rig.printer->expectLogoWrite(bytes("07 89 05"), sent, frame);
    QVERIFY(rig.f.WriteLogo(5, B, C, name, image));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
}

void LogoTransferTest::writeLogoNeedsTheFinalS() {
    // Whatever came instead of 's' is echoed back; no answer at all is not.
    for (const char *answer : {"53", "00", "72", ""}) {
        PrinterRig rig;
        rig.printer->expect(bytes("07 89 05"))
            .expectRaw(bytes("01 01"))
            .expectRaw(logoFrameBytes({}))
            .reply(bytes(answer))
            .expectRaw(bytes(answer));
        QVERIFY(!rig.f.WriteLogo(5, 1, 1, "", LogoImage{}));
        QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    }
}

void LogoTransferTest::lostAcknowledgementIsCheckedByReadingBack() {
    // The whole frame went out but the printer's 's' never came: the slot is read back, and the
    // write holds only when the slot holds the logo as it was sent.
    LogoImage image;
    image.dots[0] = {0x01, 0xC5, 0, 0};
    image.dots[1] = {0x00, 0xFF, 0, 0};
    image.dots[2] = {0x80, 0x0F, 0, 0};
    const QByteArray sent = bytes("7F 5C FF 00 FE 0F");
    const auto slotHolding = [](const QByteArray &sizes, const QByteArray &data,
                                const QByteArray &name) {
        return sizes + data + QByteArray(501 - data.size(), '\xFF') + nameWithChecksum(name);
    };
    const struct {
        const char *name;
        QByteArray readBack; // empty: the slot does not answer
        LogoWrite result;
        const char *cause;
    } rows[] = {
        {"held as written", slotHolding(bytes("02 03"), sent, "LOGO    "), LogoWrite::HeldAsWritten,
         ""},
        {"another logo", slotHolding(bytes("02 03"), bytes("7F 5C FF 00 FE 0E"), "OLD     "),
         LogoWrite::Failed, "read back, the slot holds another logo (2 x 3, \"OLD\")"},
        {"another name", slotHolding(bytes("02 03"), sent, "OLD     "), LogoWrite::Failed,
         "another logo"},
        {"empty", bytes("00 00") + nameWithChecksum("        "), LogoWrite::Failed,
         "read back, the slot is empty"},
        {"silent",
         {},
         LogoWrite::Failed,
         "the slot could not be read back: what it holds is unknown"},
    };
    for (const auto &row : rows) {
        PrinterRig rig;
        rig.printer->expect(bytes("07 89 2A"))
            .expectRaw(bytes("02 03"))
            .expectRaw(logoFrameBytes(sent, "LOGO"))
            .expect(bytes("07 01 2A"));
        if (!row.readBack.isEmpty())
            rig.printer->reply(row.readBack).expect("s");
        QCOMPARE(rig.f.WriteLogoChecked(42, 2, 3, "LOGO", image), row.result);
        QVERIFY2(rig.printer->done(), qPrintable(QLatin1String(row.name) + rig.printer->problem()));
        if (*row.cause)
            QVERIFY2(rig.state.causes.join('|').contains(QLatin1String(row.cause)),
                     qPrintable(rig.state.causes.join('|')));
    }
    // An answer other than 's' is the printer's refusal: nothing is read back.
    PrinterRig rig;
    rig.printer->expect(bytes("07 89 2A"))
        .expectRaw(bytes("02 03"))
        .expectRaw(logoFrameBytes(sent, "LOGO"))
        .reply("r")
        .expectRaw("r");
    QCOMPARE(rig.f.WriteLogoChecked(42, 2, 3, "LOGO", image), LogoWrite::Failed);
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QCOMPARE(rig.printer->opens(), 1);
}

void LogoTransferTest::renameWritesTheDotsBackUnchanged() {
    const auto script = [](ScriptedPrinter &p) {
        const QByteArray data = ramp(6);
        p.expect(bytes("07 01 0C"))
            .reply(bytes("02 03") + data + QByteArray(495, '\xFF') + nameWithChecksum("OLD     "))
            .expect("s")
            .expectLogoWrite(bytes("07 89 0C"), bytes("02 03"), logoFrameBytes(data, "NEW"));
    };
    LogoImage image;
    const auto rename = [&](Functions &f) { return f.RenameLogo(12, "NEW", image); };
    PrinterRig rig;
    checkGoesThrough(rig, script, rename);
    QCOMPARE(rig.printer->opens(), 2);
    checkFailureAtEveryByte(script, rename);
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
    QCOMPARE(rig.printer->opens(), 1);
}

void LogoTransferTest::deleteLogo() {
    PrinterRig rig;
    rig.printer->expectLogoWrite(bytes("07 89 FF"), bytes("04 01"), logoFrameBytes({}));
    LogoImage image;
    image.fill(0x5A);
    QVERIFY(rig.f.DeleteLogo(255, image));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QVERIFY(!image.hasDots());
    QCOMPARE(image.bytesPerColumn, 4);
    QCOMPARE(image.columnCount, 1);
}

void LogoTransferTest::replyWithMoreThanFourBytesAColumn() {
    // The image holds 4 bytes a column: a reply with more fails every read right after its
    // header, and the image is left with a size it can hold (the preview keeps the one it had).
    const QByteArray body = bytes("05 02") + QByteArray(10, '\0') + QByteArray(491, '\xFF') +
                            nameWithChecksum("X       ");
    QByteArray name;
    const std::pair<const char *, std::function<bool(Functions &, LogoImage &)>> reads[] = {
        {"07 01 01", [&](Functions &f, LogoImage &image) { return f.ReadLogo(1, image, name); }},
        {"07 01 01", [](Functions &f, LogoImage &image) { return f.RenameLogo(1, "NEW", image); }},
        {"07 00 01", [](Functions &f, LogoImage &image) { return f.ReadLogoPreview(1, image); }},
    };
    for (const auto &[command, read] : reads) {
        PrinterRig rig;
        rig.printer->expect(bytes(command)).reply(body);
        LogoImage image;
        image.bytesPerColumn = 2;
        QVERIFY(!read(rig.f, image));
        QVERIFY(image.bytesPerColumn >= 0 && image.bytesPerColumn <= 4);
        if (command[4] == '0')
            QCOMPARE(image.bytesPerColumn, 2);
        QCOMPARE(hexBytes(rig.printer->hostBytes()), hexBytes(bytes(command)));
    }
}

QTEST_GUILESS_MAIN(LogoTransferTest)
#include "tst_logotransfer.moc"
