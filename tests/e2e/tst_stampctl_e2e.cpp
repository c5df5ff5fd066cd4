// stampctl end to end: the real program, through the real serial stack, against a device on a
// pseudo-terminal that echoes, answers and records every byte.

#include "PtyDevice.h"
#include "ScriptedPrinter.h"
#include "StampctlRun.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(PtyDevice::Script)

namespace {

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

    // A handful of operations through the real serial stack: what reaches the printer (texts in
    // its code page, the logo frame's raw block) and what stampctl prints from the replies. Every
    // operation's bytes are the link tests'; argument parsing is tst_cli's.
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

        QTest::newRow("start") << QStringList{"start"} << echo << bytes("17") << QStringList{};
        QTest::newRow("write-text-fragment cyrillic")
            << QStringList{"write-text-fragment", "1", "2", "Привет"} << echo
            << bytes("18 31 32 CF F0 E8 E2 E5 F2 0D") << QStringList{};
        QTest::newRow("read-fragment")
            << QStringList{"read-fragment", "1", "2"} << answer(3, bytes("03 C4 EE EC 02 FF"))
            << bytes("11 31 32") << QStringList{"Дом", "2", "255"};
        // A logo write: the number is echoed, B, C and the 510-byte frame go out raw, then the
        // printer answers 's' and the host echoes it back.
        PtyDevice::Script write;
        write.quietFrom = 3;
        write.quietTo = 514;
        write.replies.insert(515, "s");
        QTest::newRow("write-logo")
            << QStringList{"write-logo", "5", file("dot.bmp"), "AB"} << write
            << bytes("07 89 05 01 01") + logoFrameBytes(bytes("7F"), "AB") + "s" << QStringList{};
        QTest::newRow("find-device") << QStringList{"--port", "Com2", "find-device"} << echo
                                     << bytes("0D") << QStringList{"Com2", "57600"};
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
        logo.replies.insert(3, bytes("01 02 FE 7F") + QByteArray(499, char(0xFF)) + "AB      " +
                                   bytes("BD"));
        Run r = run({"read-logo", "5", file("logo.bmp")}, logo);
        QCOMPARE(r.exitCode, 0);
        QImage picture(file("logo.bmp"));
        QCOMPARE(picture.size(), QSize(2, 8));
        for (int x = 0; x < 2; ++x)
            for (int y = 0; y < 8; ++y) // column 0: the bottom dot; column 1: the top dot
                QCOMPARE(qGray(picture.pixel(x, y)) == 0, (x == 0 && y == 7) || (x == 1 && y == 0));

        PtyDevice::Script mark;
        mark.replies.insert(3, markReply(bytes("02 03 00"), bytes("FE FF  FF 7F  FF FF")));
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
        mark.replies.insert(3, markReply(bytes("00 00 00"), {}));
        r = run({"read-mark-image", file("empty.png")}, mark);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("0\n0\n"));
        QVERIFY(!QFile::exists(file("empty.png")));

        // An empty logo slot (no size) has no picture either: its values, and no file.
        logo.replies.insert(3, bytes("00 00") + QByteArray(8, ' ') + bytes("00"));
        r = run({"read-logo", "7", file("empty.bmp")}, logo);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("\n32\n32\n"));
        QVERIFY2(r.err.contains("the slot is empty: no picture written"), r.err.constData());
        QVERIFY(!QFile::exists(file("empty.bmp")));

        // The picture read back is one a later write-logo takes as it is.
        PtyDevice::Script write;
        write.quietFrom = 3;
        write.quietTo = 514;
        write.replies.insert(515, "s");
        r = run({"write-logo", "6", file("logo.bmp")}, write);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.sent.toHex(' '),
                 (bytes("07 89 06 01 02") + logoFrameBytes(bytes("FE 7F")) + "s").toHex(' '));
    }

    // A printer that does not answer, a picture that is not a 1-bit bitmap, a bad command line.
    void failures() {
        PtyDevice::Script silent;
        silent.silent = true;
        Run r = run({"start"}, silent);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith("stampctl: Start failed: Com1 ("), r.err.constData());
        QVERIFY2(r.err.endsWith("at 57600 baud: the printer did not answer; try find-device\n"),
                 r.err.constData());
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.sent, bytes("17"));

        r = run({"write-logo", "5", file("colour.bmp")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("stampctl: Image is not monochrome...\n"));
        QCOMPARE(r.sent, QByteArray());

        r = run({"write-logo", "5", file("junk.bmp")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("stampctl: Image is not valid...\n"));
        QCOMPARE(r.sent, QByteArray());

        // A device that cannot be opened fails at once, naming the device and the system's reason.
        const std::pair<QString, QByteArray> devices[] = {
            {file("no-such-device"), "no such device; name the right one for this port"},
            {file("dot.bmp"), "this is not a serial port"},
            {QStringLiteral("/dev/null"), "this is not a serial port"},
        };
        for (const auto &[path, reason] : devices) {
            QProcess p;
            p.start(QStringLiteral(STAMPCTL_PATH),
                    {"--device", path, "--port", "Com3", "read-script"});
            QVERIFY(p.waitForFinished(60000));
            QCOMPARE(p.exitCode(), 1);
            const QByteArray err = p.readAllStandardError();
            QVERIFY2(err.startsWith("stampctl: ReadScript failed: Com3 (" + path.toUtf8() + "): "),
                     err.constData());
            QVERIFY2(err.contains(reason), err.constData());
        }
    }

    // A usage error exits 2 and sends nothing; the reasons are tst_cli's.
    void usageError() {
        const Run r = run({"set-font", "1", "1"});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("usage: stampctl"), r.err.constData());
        QCOMPARE(r.sent, QByteArray());
    }

    // --trace shows the operation's name, then every byte in both directions, in order, and
    // nothing else on stderr.
    void traceShowsEveryByte() {
        PtyDevice::Script status;
        status.replies.insert(2, bytes("81"));
        const Run r = run({"--trace", "read-byte-status"}, status);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("129\n"));
        QCOMPARE(r.err, QByteArray("# ReadByteStatus\n> 0C\n< 0C\n> 09\n< 09\n< 81\n> 12\n"));
    }
};

QTEST_GUILESS_MAIN(StampctlE2E)
#include "tst_stampctl_e2e.moc"
