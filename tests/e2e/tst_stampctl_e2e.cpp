// stampctl end to end: the real program, through the real serial stack, against a device on a
// pseudo-terminal that echoes, answers and records every byte.

#include "PtyDevice.h"
#include "StampctlRun.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(PtyDevice::Script)

namespace {

QByteArray hex(const char *text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// The 510-byte logo frame: data, FF filler up to 501, the name padded to 8, its checksum.
QByteArray frame(const QByteArray &data, const QByteArray &name, quint8 checksum) {
    QByteArray f(510, char(0xFF));
    f.replace(0, data.size(), data);
    f.replace(501, 8, name.leftJustified(8, ' '));
    f[509] = char(checksum);
    return f;
}

// A 5120-byte mark picture reply after height and length: the given bytes, then padding.
QByteArray markReply(const QByteArray &head, const QByteArray &picture) {
    return head + picture + QByteArray(5120 - picture.size(), char(0x5A));
}

struct Run : StampctlRun {
    QByteArray sent; // what reached the device
};

} // namespace

class StampctlE2E : public QObject {
    Q_OBJECT

private:
    PtyDevice device;
    QTemporaryDir dir;

    QString file(const QString &name) const { return dir.filePath(name); }

    // stampctl --device <slave> --baud 57600 args..., the device playing the script.
    Run run(const QStringList &args, const PtyDevice::Script &script = {}) {
        device.play(script);
        Run r{runStampctl(QStringLiteral(STAMPCTL_PATH), device.slavePath(), args), {}};
        r.sent = device.received();
        return r;
    }

private slots:
    void initTestCase() {
        QVERIFY2(device.isOpen(), qPrintable(device.error()));
        QVERIFY(dir.isValid());

        // 8 rows, 2 columns, one dot: the top left pixel.
        QImage dot(2, 8, QImage::Format_Mono);
        dot.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        dot.fill(1);
        dot.setPixel(0, 0, 0);
        QVERIFY(dot.save(file("dot.bmp"), "BMP"));

        QImage colour(2, 8, QImage::Format_RGB888);
        colour.fill(Qt::white);
        QVERIFY(colour.save(file("colour.bmp"), "BMP"));

        QFile junk(file("junk.bmp"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("BM this is no bitmap");
    }

    // What reaches the printer for each operation, and what stampctl prints from the replies.
    void operationsOnTheWire_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<PtyDevice::Script>("script");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QStringList>("out");

        const auto answer = [](int after, const QByteArray &reply) {
            PtyDevice::Script s;
            s.replies.insert(after, reply);
            return s;
        };
        const PtyDevice::Script echo;

        QTest::newRow("start") << QStringList{"start"} << echo << hex("17") << QStringList{};
        QTest::newRow("stop") << QStringList{"stop"} << echo << hex("02") << QStringList{};
        QTest::newRow("print-start")
            << QStringList{"print-start"} << echo << hex("17") << QStringList{};
        QTest::newRow("high-voltage-turn")
            << QStringList{"high-voltage-turn"} << echo << hex("02") << QStringList{};
        QTest::newRow("reset") << QStringList{"reset"} << echo << hex("12") << QStringList{};
        QTest::newRow("running-number-reset")
            << QStringList{"running-number-reset"} << echo << hex("1F") << QStringList{};
        QTest::newRow("running-number-forward")
            << QStringList{"running-number-forward"} << echo << hex("0C 4E 14") << QStringList{};
        QTest::newRow("running-number-back")
            << QStringList{"running-number-back"} << echo << hex("0C 4E 13") << QStringList{};
        QTest::newRow("auto-run-stop")
            << QStringList{"auto-run-stop"} << echo << hex("0B 41") << QStringList{};
        QTest::newRow("set-auto-run-period") << QStringList{"set-auto-run-period", "7"} << echo
                                             << hex("0C 41 30 30 37 0D") << QStringList{};
        QTest::newRow("mark-delete")
            << QStringList{"mark-delete"} << echo << hex("0B 4D") << QStringList{};
        QTest::newRow("mark-storage store 5")
            << QStringList{"mark-storage", "2", "4"} << echo << hex("0C 57 34 0D") << QStringList{};
        QTest::newRow("mark-storage restore 64") << QStringList{"mark-storage", "1", "63"} << echo
                                                 << hex("0C 52 6F 0D") << QStringList{};
        QTest::newRow("mark-print-back")
            << QStringList{"mark-print-back"} << echo << hex("1E 13 0D") << QStringList{};
        QTest::newRow("break-point-correction-on")
            << QStringList{"break-point-correction-on"} << echo << hex("1E 15 0D") << QStringList{};
        QTest::newRow("mark-rotate-off")
            << QStringList{"mark-rotate-off"} << echo << hex("1E 55 0D") << QStringList{};
        QTest::newRow("set-time") << QStringList{"set-time", "235901"} << echo
                                  << hex("1A 54 32 33 35 39 30 31 0D") << QStringList{};
        QTest::newRow("set-date") << QStringList{"set-date", "311299"} << echo
                                  << hex("1A 44 33 31 31 32 39 39 0D") << QStringList{};
        QTest::newRow("keyboard-select")
            << QStringList{"keyboard-select"} << echo << hex("07 41") << QStringList{};
        QTest::newRow("keyboard-off")
            << QStringList{"keyboard-off"} << echo << hex("12 2A 55 4F") << QStringList{};
        QTest::newRow("set-font") << QStringList{"set-font", "3", "1", "2"} << echo
                                  << hex("1B 31 32 33 0D") << QStringList{};
        QTest::newRow("write-time-date-fragment")
            << QStringList{"write-time-date-fragment", "2", "5", "HH:MM"} << echo
            << hex("1A 32 35 48 48 3A 4D 4D 0D") << QStringList{};
        QTest::newRow("write-counter-fragment")
            << QStringList{"write-counter-fragment", "4", "8", "0042"} << echo
            << hex("19 34 38 30 30 34 32 0D") << QStringList{};
        QTest::newRow("write-post-date-fragment")
            << QStringList{"write-post-date-fragment", "1", "1", "0300", "DD.MM"} << echo
            << hex("1D 31 31 44 44 2E 4D 4D 0D  1D 44 30 33 30 30 0D") << QStringList{};
        QTest::newRow("write-post-date-fragment padded")
            << QStringList{"write-post-date-fragment", "1", "1", "5", "DD"} << echo
            << hex("1D 31 31 44 44 0D  1D 44 30 30 30 35 0D") << QStringList{};
        QTest::newRow("write-text-fragment cyrillic")
            << QStringList{"write-text-fragment", "1", "2", "Привет"} << echo
            << hex("18 31 32 CF F0 E8 E2 E5 F2 0D") << QStringList{};
        QTest::newRow("write-text-fragment empty")
            << QStringList{"write-text-fragment", "3", "7", ""} << echo << hex("18 33 37 0D")
            << QStringList{};
        QTest::newRow("place-logo") << QStringList{"place-logo", "200", "3", "4"} << echo
                                    << hex("1C 33 34 C8 0D") << QStringList{};
        QTest::newRow("write-spec-func full")
            << QStringList{"write-spec-func", "3", "1", "100", "1", "1", "11"} << echo
            << QByteArray("\x01QIQ11N00000001E00000100S0001P0001IG3\r") << QStringList{};
        QTest::newRow("write-spec-func group only")
            << QStringList{"write-spec-func", "2", "", "", "", "", ""} << echo
            << QByteArray("\x01QIG2\r") << QStringList{};

        QTest::newRow("read-fragment")
            << QStringList{"read-fragment", "1", "2"} << answer(3, hex("03 C4 EE EC 02 FF"))
            << hex("11 31 32") << QStringList{"Дом", "2", "255"};
        QTest::newRow("read-fragment empty text")
            << QStringList{"read-fragment", "4", "8"} << answer(3, hex("00 07 FF"))
            << hex("11 34 38") << QStringList{"", "7", "255"};
        QByteArray block = hex("10");
        for (int i = 1; i <= 16; ++i)
            block.append(char(i * 10));
        QStringList blockOut;
        for (int i = 1; i <= 14; ++i)
            blockOut << QString::number(i * 10);
        QTest::newRow("read-time-params drains past 14")
            << QStringList{"read-time-params"} << answer(1, block) << hex("08") << blockOut;
        QTest::newRow("read-time-params short")
            << QStringList{"read-time-params"} << answer(1, hex("02 05 09")) << hex("08")
            << QStringList{"5", "9"};
        QTest::newRow("read-param") << QStringList{"read-param", "K"} << answer(3, hex("2A"))
                                    << hex("0C 4B 05 12") << QStringList{"42"};
        QTest::newRow("increase-param")
            << QStringList{"increase-param", "C"} << answer(4, hex("07"))
            << hex("0C 43 15 05 00 0D") << QStringList{"7"};
        QTest::newRow("decrease-param")
            << QStringList{"decrease-param", "Z"} << answer(4, hex("00"))
            << hex("0C 5A 16 05 00 0D") << QStringList{"0"};
        QTest::newRow("read-byte-status") << QStringList{"read-byte-status"} << answer(2, hex("81"))
                                          << hex("0C 09 12") << QStringList{"129"};
        QTest::newRow("read-script")
            << QStringList{"read-script"} << answer(2, QByteArray("\x05QG12x")) << hex("01 05")
            << QStringList{"QG12x"};
        const QByteArray ink = QByteArray("INK OK").leftJustified(38, ' ');
        QTest::newRow("read-hydro-status") << QStringList{"read-hydro-status"} << answer(4, ink)
                                           << hex("12 2A 4C 6C") << QStringList{QString(ink)};
        const auto record = [](char slot, const QByteArray &name) {
            return QByteArray(1, slot) + name.leftJustified(8, ' ') + QByteArray(1, '\0');
        };
        QTest::newRow("read-logo-names-list")
            << QStringList{"read-logo-names-list"}
            << answer(2, hex("03") + record(5, " LOGO1") + record(7, hex("CB EE E3 EE")) +
                             record(9, ""))
            << hex("01 03") << QStringList{"5 LOGO1", "7 Лого", "9"};
        QTest::newRow("read-logo-names-list none")
            << QStringList{"read-logo-names-list"} << answer(2, hex("00")) << hex("01 03")
            << QStringList{};
        QTest::newRow("read-logo")
            << QStringList{"read-logo", "5"}
            << answer(3, hex("01 02 FE 7F") + QByteArray(499, char(0xFF)) + "AB      " + hex("BD"))
            << hex("07 01 05 73") << QStringList{"AB", "1", "2"};
        QTest::newRow("read-logo bad checksum")
            << QStringList{"read-logo", "5"}
            << answer(3, hex("01 01 FE") + QByteArray(500, char(0xFF)) + "AB      " + hex("BE"))
            << hex("07 01 05 73") << QStringList{"", "1", "1"};
        QTest::newRow("read-logo-preview")
            << QStringList{"read-logo-preview", "6"} << answer(3, hex("01 02 FE 7F"))
            << hex("07 00 06 73") << QStringList{"1", "2"};
        QTest::newRow("read-mark-image")
            << QStringList{"read-mark-image"} << answer(3, markReply(hex("01 02 00"), hex("FE 7F")))
            << hex("07 08 08") << QStringList{"1", "2"};
        QTest::newRow("read-mark-image length 255")
            << QStringList{"read-mark-image"} << answer(3, markReply(hex("02 00 01"), {}))
            << hex("07 08 08") << QStringList{"2", "255"};
        QTest::newRow("read-mark-image empty") << QStringList{"read-mark-image", file("empty.png")}
                                               << answer(3, markReply(hex("00 00 00"), {}))
                                               << hex("07 08 08") << QStringList{"0", "0"};

        // Logo writes: the number is echoed, B, C and the 510-byte frame go out raw, then the
        // printer answers 's' and the host echoes it back.
        PtyDevice::Script write;
        write.quietFrom = 3;
        write.quietTo = 514;
        write.replies.insert(515, "s");
        QTest::newRow("write-logo")
            << QStringList{"write-logo", "5", file("dot.bmp"), "AB"} << write
            << hex("07 89 05 01 01") + frame(hex("7F"), "AB", 0xBD) + "s" << QStringList{};
        QTest::newRow("delete-logo")
            << QStringList{"delete-logo", "9"} << write
            << hex("07 89 09 04 01") + frame(hex("FF FF FF FF"), "", 0x00) + "s" << QStringList{};
        // Rename: a read (07 01 n, the reply, 's'), then a write of the same dots.
        PtyDevice::Script rename;
        rename.replies.insert(3, hex("01 02 FE 7F") + QByteArray(499, char(0xFF)) + "OLD     " +
                                     hex("D3"));
        rename.quietFrom = 7;
        rename.quietTo = 518;
        rename.replies.insert(519, "s");
        QTest::newRow("rename-logo")
            << QStringList{"rename-logo", "5", "NEW"} << rename
            << hex("07 01 05 73 07 89 05 01 02") + frame(hex("FE 7F"), "NEW", 0x76) + "s"
            << QStringList{};

        QTest::newRow("find-device") << QStringList{"--port", "Com2", "find-device"} << echo
                                     << hex("0D") << QStringList{"Com2", "57600"};
    }

    void operationsOnTheWire() {
        QFETCH(QStringList, args);
        QFETCH(PtyDevice::Script, script);
        QFETCH(QByteArray, sent);
        QFETCH(QStringList, out);

        const Run r = run(args, script);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.sent.toHex(' '), sent.toHex(' '));
        QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'));
        QCOMPARE(lines.takeLast(), QString()); // every value ends its line
        QCOMPARE(lines, out);
    }

    // Pictures read from the printer land in files, one pixel a dot; an empty mark writes none.
    void picturesGoToFiles() {
        PtyDevice::Script logo;
        logo.replies.insert(3, hex("01 02 FE 7F") + QByteArray(499, char(0xFF)) + "AB      " +
                                   hex("BD"));
        Run r = run({"read-logo", "5", file("logo.bmp")}, logo);
        QCOMPARE(r.exitCode, 0);
        QImage picture(file("logo.bmp"));
        QCOMPARE(picture.size(), QSize(2, 8));
        for (int x = 0; x < 2; ++x)
            for (int y = 0; y < 8; ++y) // column 0: the bottom dot; column 1: the top dot
                QCOMPARE(qGray(picture.pixel(x, y)) == 0, (x == 0 && y == 7) || (x == 1 && y == 0));

        PtyDevice::Script mark;
        mark.replies.insert(3, markReply(hex("02 03 00"), hex("FE FF  FF 7F  FF FF")));
        r = run({"read-mark-image", file("mark.png")}, mark);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("2\n3\n"));
        picture = QImage(file("mark.png"));
        QCOMPARE(picture.size(), QSize(3, 16));
        for (int x = 0; x < 3; ++x)
            for (int y = 0; y < 16; ++y) // column 0: the bottom dot; column 1: the top dot
                QCOMPARE(qGray(picture.pixel(x, y)) == 0,
                         (x == 0 && y == 15) || (x == 1 && y == 0));

        QVERIFY(!QFile::exists(file("empty.png"))); // written by no row of the wire test
        mark.replies.insert(3, markReply(hex("00 00 00"), {}));
        r = run({"read-mark-image", file("empty.png")}, mark);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("0\n0\n"));
        QVERIFY(!QFile::exists(file("empty.png")));

        // An empty logo slot (no size) has no picture either: its values, and no file.
        logo.replies.insert(3, hex("00 00") + QByteArray(8, ' ') + hex("00"));
        r = run({"read-logo", "7", file("empty.bmp")}, logo);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("\n32\n32\n"));
        QVERIFY(!QFile::exists(file("empty.bmp")));

        // The picture read back is one a later write-logo takes as it is.
        PtyDevice::Script write;
        write.quietFrom = 3;
        write.quietTo = 514;
        write.replies.insert(515, "s");
        r = run({"write-logo", "6", file("logo.bmp")}, write);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.sent.toHex(' '),
                 (hex("07 89 06 01 02") + frame(hex("FE 7F"), "", 0) + "s").toHex(' '));
    }

    // A printer that does not answer, a picture that is not a 1-bit bitmap, a bad command line.
    void failures() {
        PtyDevice::Script silent;
        silent.silent = true;
        Run r = run({"start"}, silent);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("stampctl: Start failed\n"));
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.sent, hex("17"));

        r = run({"write-logo", "5", file("colour.bmp")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("stampctl: Image is not monochrome...\n"));
        QCOMPARE(r.sent, QByteArray());

        r = run({"write-logo", "5", file("junk.bmp")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("stampctl: Image is not valid...\n"));
        QCOMPARE(r.sent, QByteArray());

        QProcess p; // a device that cannot be opened fails at once
        p.start(QStringLiteral(STAMPCTL_PATH),
                {"--device", file("no-such-device"), "--port", "Com3", "read-script"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1);
        QCOMPARE(p.readAllStandardError(), QByteArray("stampctl: ReadScript failed\n"));
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("no operation") << QStringList{} << QByteArray("no operation given");
        QTest::newRow("unknown operation")
            << QStringList{"jump"} << QByteArray("unknown operation \"jump\"");
        QTest::newRow("camel case name")
            << QStringList{"SetFont", "1", "1", "1"} << QByteArray("unknown operation");
        QTest::newRow("row not a number")
            << QStringList{"set-font", "3", "x", "2"} << QByteArray("ROW must be a number");
        QTest::newRow("number with junk")
            << QStringList{"place-logo", "12a", "1", "1"} << QByteArray("N must be a number");
        QTest::newRow("row out of range")
            << QStringList{"read-fragment", "5", "1"} << QByteArray("ROW must be 1 to 4");
        QTest::newRow("logo out of range")
            << QStringList{"delete-logo", "256"} << QByteArray("N must be 0 to 255");
        QTest::newRow("period out of range")
            << QStringList{"set-auto-run-period", "-1"} << QByteArray("PERIOD must be 0 to 255");
        QTest::newRow("too few") << QStringList{"set-font", "1", "1"}
                                 << QByteArray("set-font takes 3 argument(s), not 2");
        QTest::newRow("too many") << QStringList{"start", "now"}
                                  << QByteArray("start takes 0 argument(s), not 1");
        QTest::newRow("optional over") << QStringList{"read-logo", "1", "a.bmp", "b"}
                                       << QByteArray("read-logo takes 1 to 2 arguments, not 3");
        QTest::newRow("letter") << QStringList{"read-param", "KK"}
                                << QByteArray("L must be one letter");
        QTest::newRow("time") << QStringList{"set-time", "12:30"}
                              << QByteArray("HHMMSS must be 6 digits");
        QTest::newRow("long text")
            << QStringList{"write-text-fragment", "1", "1", QString(39, QLatin1Char('x'))}
            << QByteArray("TEXT must be at most 38 characters");
        QTest::newRow("long name") << QStringList{"rename-logo", "1", "NINECHARS"}
                                   << QByteArray("NAME must be at most 8 characters");
        QTest::newRow("outside the code page")
            << QStringList{"write-counter-fragment", "1", "1", "日本"}
            << QByteArray("TEXT holds characters the printer's code page");
        QTest::newRow("mark file type") << QStringList{"read-mark-image", "mark.jpg"}
                                        << QByteArray("FILE must end in .png or .bmp");
        QTest::newRow("bad rate") << QStringList{"--baud", "4801", "start"}
                                  << QByteArray("--baud must be");
        QTest::newRow("bad port") << QStringList{"--port", "Com5", "start"}
                                  << QByteArray("--port must be");
        QTest::newRow("unknown option")
            << QStringList{"--fast", "start"} << QByteArray("unknown option --fast");
    }

    void usageErrors() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, reason);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith("stampctl: " + reason), r.err.constData());
        QVERIFY2(r.err.contains("usage: stampctl"), r.err.constData());
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.sent, QByteArray()); // nothing reaches the printer
    }

    // --trace shows every byte in both directions, in order, and nothing else on stderr.
    void traceShowsEveryByte() {
        PtyDevice::Script status;
        status.replies.insert(2, hex("81"));
        const Run r = run({"--trace", "read-byte-status"}, status);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("129\n"));
        QCOMPARE(r.err, QByteArray("> 0C\n< 0C\n> 09\n< 09\n< 81\n> 12\n"));
    }
};

QTEST_GUILESS_MAIN(StampctlE2E)
#include "tst_stampctl_e2e.moc"
