// stampctl end to end: the real program, through the real serial stack, against a device on a
// pseudo-terminal that echoes, answers and records every byte.

#include "PtyDevice.h"
#include "ScriptedPrinter.h"
#include "StampctlRun.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A 5120-byte mark picture reply after height and length: the given bytes, then padding.
PtyDevice::Script markReply(const QByteArray &head, const QByteArray &picture) {
    return {.replies = {{3, head + picture + QByteArray(5120 - picture.size(), char(0x5A))}}};
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

        QImage colour(2, 8, QImage::Format_RGB888);
        colour.fill(Qt::white);
        QVERIFY(colour.save(file("colour.bmp"), "BMP"));

        QFile junk(file("junk.bmp"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("BM this is no bitmap");
    }

    // A handful of operations through the real serial stack: what reaches the printer (texts in
    // its code page) and what stampctl prints from the replies, every value ending its line.
    // Every operation's bytes are the link tests'; argument parsing is tst_cli's; the logo
    // frame's raw block is the pictures'.
    void operationsOnTheWire() {
        const struct {
            QStringList args;
            PtyDevice::Script script;
            QByteArray sent, out;
        } rows[] = {
            {{"write-text-fragment", "1", "2", "Привет"},
             {},
             bytes("18 31 32 CF F0 E8 E2 E5 F2 0D"),
             {}},
            {{"read-fragment", "1", "2"},
             {.replies = {{3, bytes("03 C4 EE EC 02 FF")}}},
             bytes("11 31 32"),
             "Дом\n2\n255\n"},
            {{"--port", "Com2", "find-device"}, {}, bytes("0D"), "Com2\n57600\n"},
        };
        for (const auto &row : rows) {
            const Run r = run(row.args, row.script);
            QVERIFY2(r.exitCode == 0 && r.err.isEmpty(),
                     qPrintable(row.args.join(' ') + ": " + r.err));
            QCOMPARE(r.sent.toHex(' '), row.sent.toHex(' '));
            QCOMPARE(QString::fromUtf8(r.out), QString::fromUtf8(row.out));
        }
    }

    // Pictures read from the printer land in files, one pixel a dot, which a later write-logo
    // takes as they are (its frame goes out raw); an empty mark or logo slot writes none.
    void picturesGoToFiles() {
        const PtyDevice::Script logo{
            .replies = {{3, bytes("01 02 FE 7F") + QByteArray(499, char(0xFF)) + "AB      " +
                                bytes("BD")}}};
        Run r = run({"read-logo", "5", file("logo.bmp")}, logo);
        QCOMPARE(r.exitCode, 0);
        // Column 0: the bottom dot; column 1: the top dot.
        QCOMPARE(dotsOf(file("logo.bmp")), QStringLiteral("2x8: 1,0 0,7"));
        // The number is echoed, B, C and the 510-byte frame go out raw, then the printer answers
        // 's' and the host echoes it back.
        r = run({"write-logo", "6", file("logo.bmp")},
                {.quietFrom = 3, .quietTo = 514, .replies = {{515, "s"}}});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.sent.toHex(' '),
                 (bytes("07 89 06 01 02") + logoFrameBytes(bytes("FE 7F")) + "s").toHex(' '));

        r = run({"read-mark-image", file("mark.png")},
                markReply(bytes("02 03 00"), bytes("FE FF  FF 7F  FF FF")));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("2\n3\n"));
        QCOMPARE(dotsOf(file("mark.png")), QStringLiteral("3x16: 1,0 0,15"));

        r = run({"read-mark-image", file("empty.png")}, markReply(bytes("00 00 00"), {}));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("0\n0\n"));
        QVERIFY(!QFile::exists(file("empty.png")));

        // An empty logo slot (no size): its values, and no file.
        r = run({"read-logo", "7", file("empty.bmp")},
                {.replies = {{3, bytes("00 00") + QByteArray(8, ' ') + bytes("00")}}});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("\n32\n32\n"));
        QVERIFY2(r.err.contains("the slot is empty: no picture written"), r.err.constData());
        QVERIFY(!QFile::exists(file("empty.bmp")));
    }

    // A failed operation ends with status 1 and one line on stderr, a usage error with 2 and the
    // usage, and nothing reaches the printer. The wording is tst_cli's, but for the pictures and
    // the system's reasons why a device does not open.
    void failures() {
        const auto fails = [this](const QStringList &args, int exitCode, const QByteArray &errStart,
                                  const QByteArray &reason) {
            const Run r = run(args);
            QVERIFY2(r.exitCode == exitCode && r.err.startsWith(errStart) &&
                         r.err.contains(reason) && (exitCode != 1 || r.err.count('\n') == 1) &&
                         r.out.isEmpty() && r.sent.isEmpty(),
                     qPrintable(args.join(' ') + QStringLiteral(": %1 ").arg(r.exitCode) + r.err));
        };
        fails({"write-logo", "5", file("colour.bmp")}, 1, "stampctl: Image is not monochrome...\n",
              {});
        fails({"write-logo", "5", file("junk.bmp")}, 1, "stampctl: Image is not valid...\n", {});
        fails({"set-font", "1", "1"}, 2, "stampctl: ", "usage: stampctl");
        // A device that does not open fails at once, naming the device and the system's reason.
        const std::pair<QString, QByteArray> devices[] = {
            {file("no-such-device"), "no such device; name the right one for this port"},
            {file("colour.bmp"), "this is not a serial port"},
            {QStringLiteral("/dev/null"), "this is not a serial port"},
        };
        for (const auto &[path, reason] : devices)
            fails({"--device", path, "--port", "Com3", "read-script"}, 1,
                  "stampctl: ReadScript failed: Com3 (" + path.toUtf8() + "): ", reason);
    }

    // --trace shows the operation's name, then every byte in both directions, in order, and
    // nothing else on stderr but a failure's line.
    void traceShowsEveryByte() {
        Run r = run({"--trace", "read-byte-status"}, {.replies = {{2, bytes("81")}}});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("129\n"));
        QCOMPARE(r.err, QByteArray("# ReadByteStatus\n> 0C\n< 0C\n> 09\n< 09\n< 81\n> 12\n"));

        r = run({"--trace", "start"}, {.silent = true, .replies = {}});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, "# Start\n> 17\nstampctl: Start failed: Com1 (" +
                            device.slavePath().toUtf8() +
                            ") at 57600 baud: the printer did not answer; try find-device\n");
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.sent, bytes("17"));
    }
};

QTEST_GUILESS_MAIN(StampctlE2E)
#include "tst_stampctl_e2e.moc"
