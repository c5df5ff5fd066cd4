// stampctl against stampline-vprinter on a pseudo-terminal, through the system serial port code:
// the same answers as the in-process printer (the mark picture among them), and a logo through
// files and a text kept across a restart. What the printer draws is tst_virtual_printer's.

#include "StampctlRun.h"

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kBin = QStringLiteral(VPRINTER_BIN_DIR);

// A stampline-vprinter process serving PATH until it is stopped.
class ServedPrinter {
public:
    ServedPrinter(const QString &link, const QString &state) : linkPath(link) {
        process.start(kBin + QStringLiteral("/stampline-vprinter"),
                      {"--link", link, "--state", state});
        // "ready PATH" comes once the line is served.
        while (!out.contains('\n') && process.waitForReadyRead(30000))
            out += process.readAllStandardOutput();
    }
    ~ServedPrinter() { stop(); }

    bool ready() const { return out == "ready " + linkPath.toUtf8() + '\n'; }
    // SIGTERM; true when the program ended cleanly.
    bool stop() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(30000))
                process.kill();
            process.waitForFinished();
        }
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

private:
    QString linkPath;
    QProcess process;
    QByteArray out;
};

StampctlRun stampctl(const QString &device, const QStringList &operation) {
    return runStampctl(kBin + QStringLiteral("/stampctl"), device, operation);
}

// Runs an operation that must succeed and returns its output lines.
QStringList ok(const QString &device, const QStringList &operation) {
    const StampctlRun r = stampctl(device, operation);
    if (r.exitCode != 0)
        QTest::qFail(qPrintable(operation.join(' ') + ": " + r.err), __FILE__, __LINE__);
    return r.lines();
}

} // namespace

class TstVprinterE2e : public QObject {
    Q_OBJECT

private slots:
    void sameAnswersAsInProcessPrinter();
    void logoAndTextKeptAcrossRestart();
    void servedOnTcp();
    void usageAndSystemErrors();

private:
    QTemporaryDir dir;
};

void TstVprinterE2e::sameAnswersAsInProcessPrinter() {
    const QString link = dir.filePath("same.tty");
    ServedPrinter served(link, dir.filePath("same.json"));
    QVERIFY(served.ready());

    const QList<QStringList> operations = {
        {"read-fragment", "1", "2"},
        {"read-fragment", "2", "3"},
        {"read-fragment", "1", "1"},
        {"read-fragment", "4", "8"},
        {"read-logo-names-list"},
        {"read-logo", "1"},
        {"read-logo-preview", "2"},
        {"read-param", "H"},
        {"increase-param", "H"},
        {"read-byte-status"},
        {"read-script"},
        {"read-hydro-status"},
        {"read-mark-image"},
        {"write-text-fragment", "3", "1", "Привет"},
        {"find-device"},
    };
    for (const QStringList &op : operations) {
        const StampctlRun inProcess = stampctl("virtual", op);
        const StampctlRun overPty = stampctl(link, op);
        QVERIFY2(inProcess.exitCode == 0, qPrintable(op.join(' ') + ": " + inProcess.err));
        QCOMPARE(overPty.exitCode, 0);
        QCOMPARE(overPty.lines(), inProcess.lines());
    }
    QCOMPARE(stampctl(link, {"read-fragment", "3", "1"}).lines().value(0),
             QStringLiteral("Привет"));
    // The printer answers at its own rate only.
    QCOMPARE(stampctl(link, {"--baud", "38400", "start"}).exitCode, 1);

    QVERIFY(served.stop());
    QVERIFY(!QFileInfo(link).isSymLink()); // the link goes with the printer
}

void TstVprinterE2e::logoAndTextKeptAcrossRestart() {
    // A 16-row picture with a dot in its top row and its last column, so the logo read back has
    // the same size. Its bytes on the way are tst_stampctl_e2e's, the whole state kept is
    // tst_virtual_printer's.
    QImage picture(21, 16, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    picture.fill(0);
    picture.setPixel(0, 0, 1);
    picture.setPixel(20, 15, 1);
    const QString in = dir.filePath("in.bmp"), out = dir.filePath("out.bmp");
    QVERIFY(picture.save(in, "BMP"));

    const QString link = dir.filePath("keep.tty"), state = dir.filePath("keep.json");
    {
        ServedPrinter served(link, state);
        QVERIFY(served.ready());
        ok(link, {"write-logo", "20", in, "Waves"});
        ok(link, {"write-text-fragment", "4", "8", "kept"});
        QVERIFY(served.stop());
    }
    ServedPrinter again(link, state);
    QVERIFY(again.ready());
    QCOMPARE(ok(link, {"read-logo", "20", out}), (QStringList{"Waves", "2", "21"}));
    QCOMPARE(dotsOf(out), dotsOf(in));
    QCOMPARE(ok(link, {"read-fragment", "4", "8"}).value(0), QStringLiteral("kept"));
}

namespace {
// The bytes the socket receives until `count` have come (or 10 s pass).
QByteArray receive(QTcpSocket &socket, int count) {
    QByteArray bytes;
    while (bytes.size() < count && (socket.bytesAvailable() > 0 || socket.waitForReadyRead(10000)))
        bytes += socket.read(count - bytes.size());
    return bytes;
}
} // namespace

void TstVprinterE2e::servedOnTcp() {
    // A serial device server's stand-in: "ready tcp:127.0.0.1:PORT" once it listens, the chosen
    // port when asked for port 0.
    QProcess process;
    process.start(kBin + QStringLiteral("/stampline-vprinter"), {"--tcp", "0", "--pace"});
    QByteArray out;
    while (!out.contains('\n') && process.waitForReadyRead(30000))
        out += process.readAllStandardOutput();
    QVERIFY2(out.startsWith("ready tcp:127.0.0.1:") && out.endsWith('\n'), out.constData());
    bool ok = false;
    const quint16 port = quint16(out.trimmed().split(':').last().toUInt(&ok));
    QVERIFY(ok && port > 0);

    QTcpSocket line;
    line.connectToHost(QStringLiteral("127.0.0.1"), port);
    QVERIFY(line.waitForConnected(10000));
    line.write(QByteArray(1, 0x0D));
    QCOMPARE(receive(line, 1), QByteArray(1, 0x0D)); // the printer echoes every byte
    // The state block: the echo, then its count (14) and its 14 bytes.
    line.write(QByteArray(1, 0x08));
    const QByteArray block = receive(line, 16);
    QCOMPARE(block.size(), 16);
    QCOMPARE(block.left(2), QByteArray::fromHex("080E"));

    // One line: a second connection while one is served is closed at once.
    QTcpSocket second;
    second.connectToHost(QStringLiteral("127.0.0.1"), port);
    QVERIFY(second.waitForConnected(10000));
    QVERIFY(second.state() == QAbstractSocket::UnconnectedState ||
            second.waitForDisconnected(10000));

    // A closed connection ends its exchange; the next one is served.
    line.disconnectFromHost();
    QTcpSocket next;
    next.connectToHost(QStringLiteral("127.0.0.1"), port);
    QVERIFY(next.waitForConnected(10000));
    next.write(QByteArray(1, 0x0D));
    QCOMPARE(receive(next, 1), QByteArray(1, 0x0D));

    process.terminate();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

void TstVprinterE2e::usageAndSystemErrors() {
    // Every usage error exits 2; a system error exits 1 and names the path it is about.
    const auto run = [](const QStringList &args) {
        QProcess p;
        p.start(kBin + QStringLiteral("/stampline-vprinter"), args);
        p.waitForFinished(60000);
        return std::pair{p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
    };
    for (const QStringList &args :
         {QStringList{"--fast"}, QStringList{}, QStringList{"--link"},
          QStringList{"--link", "x", "--baud", "300"}, QStringList{"--link", "x", "extra"},
          QStringList{"--link", "x", "--tcp", "0"}, QStringList{"--tcp", "port"},
          QStringList{"--tcp", "65536"}}) {
        const auto [status, err] = run(args);
        QVERIFY2(status == 2, qPrintable(args.join(' ') + ": " + err));
        QVERIFY2(err.contains("usage: stampline-vprinter"), qPrintable(err));
    }
    const QString nowhere = dir.filePath("no-such-folder/printer");
    const auto [status, err] = run({"--link", nowhere});
    QCOMPARE(status, 1);
    QVERIFY2(err.contains(nowhere), qPrintable(err));
}

QTEST_GUILESS_MAIN(TstVprinterE2e)
#include "tst_vprinter_e2e.moc"
