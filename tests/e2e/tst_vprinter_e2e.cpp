// stampctl against stampline-vprinter on a pseudo-terminal, through the system serial port code:
// the same answers as the in-process printer, logos and marks through files, and the state kept
// across a restart.

#include "MarkItems.h"
#include "PrinterState.h"
#include "StampctlRun.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kBin = QStringLiteral(VPRINTER_BIN_DIR);

// A stampline-vprinter process serving PATH until it is stopped.
class ServedPrinter {
public:
    ServedPrinter(const QString &link, const QString &state) : linkPath(link) {
        process.setProgram(kBin + QStringLiteral("/stampline-vprinter"));
        process.setArguments({"--link", link, "--state", state});
        process.start();
        // "ready PATH" comes once the line is served.
        while (process.waitForReadyRead(30000) || process.bytesAvailable()) {
            out += process.readAllStandardOutput();
            if (out.contains('\n'))
                break;
        }
    }
    ~ServedPrinter() { stop(); }

    bool ready() const { return out == "ready " + linkPath.toUtf8() + '\n'; }
    // SIGTERM; true when the program ended cleanly.
    bool stop() {
        if (process.state() == QProcess::NotRunning)
            return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        process.terminate();
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return false;
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
        QTest::qFail(qPrintable(operation.join(' ') + ": " + r.error()), __FILE__, __LINE__);
    return r.lines();
}

int fromBcd(int byte) {
    return (byte >> 4) * 10 + (byte & 0x0F);
}

} // namespace

class TstVprinterE2e : public QObject {
    Q_OBJECT

private slots:
    void sameAnswersAsInProcessPrinter();
    void logoThroughBitmapFiles();
    void fragmentsInTheMarkPicture();
    void stateKeptAcrossRestart();
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
        QVERIFY2(inProcess.exitCode == 0, qPrintable(op.join(' ') + ": " + inProcess.error()));
        QCOMPARE(overPty.exitCode, 0);
        QCOMPARE(overPty.lines(), inProcess.lines());
    }
    QCOMPARE(stampctl(link, {"read-fragment", "3", "1"}).lines().value(0),
             QStringLiteral("Привет"));

    // The printer answers at its own rate only.
    QProcess p;
    p.start(kBin + QStringLiteral("/stampctl"), {"--device", link, "--baud", "38400", "start"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);

    QVERIFY(served.stop());
    QVERIFY(!QFileInfo(link).isSymLink()); // the link goes with the printer
}

void TstVprinterE2e::logoThroughBitmapFiles() {
    const QString link = dir.filePath("logo.tty");
    ServedPrinter served(link, dir.filePath("logo.json"));
    QVERIFY(served.ready());

    // A 16-row picture with a dot in its top row and its last column, so the logo read back
    // has the same size.
    QImage picture(21, 16, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    picture.fill(0);
    for (int x = 0; x < 21; ++x)
        for (int y = 0; y < 16; ++y)
            if ((x * 7 + y * 3) % 5 == 0 || y == 0 || x == 20)
                picture.setPixel(x, y, 1);
    const QString in = dir.filePath("in.bmp"), out = dir.filePath("out.bmp");
    QVERIFY(picture.save(in, "BMP"));

    ok(link, {"write-logo", "20", in, "Waves"});
    QCOMPARE(ok(link, {"read-logo", "20", out}), (QStringList{"Waves", "2", "21"}));
    const QImage back(out);
    QCOMPARE(back.size(), picture.size());
    for (int x = 0; x < 21; ++x)
        for (int y = 0; y < 16; ++y)
            QCOMPARE(back.pixelColor(x, y), picture.pixelColor(x, y));
    QVERIFY(ok(link, {"read-logo-names-list"}).contains("20 Waves"));

    ok(link, {"rename-logo", "20", "Sea"});
    QCOMPARE(ok(link, {"read-logo", "20"}).value(0), QStringLiteral("Sea"));
    ok(link, {"delete-logo", "20"});
    QVERIFY(!ok(link, {"read-logo-names-list"}).join(' ').contains("Sea"));
}

void TstVprinterE2e::fragmentsInTheMarkPicture() {
    const QString link = dir.filePath("mark.tty");
    ServedPrinter served(link, dir.filePath("mark.json"));
    QVERIFY(served.ready());

    // A mark read right after start shows the first state's text and date as dots.
    const QString first = dir.filePath("first.png");
    const QStringList size = ok(link, {"read-mark-image", first});
    QCOMPARE(size.value(0), QStringLiteral("4"));
    QVERIFY(QImage(first).width() > 100);

    ok(link, {"mark-delete"});
    ok(link, {"write-text-fragment", "1", "1", "AB"});
    ok(link, {"set-font", "2", "1", "1"});
    ok(link, {"write-counter-fragment", "1", "2", "0042"});
    ok(link, {"set-font", "0", "1", "2"});
    ok(link, {"write-time-date-fragment", "2", "1", "DD/MM"});
    ok(link, {"set-font", "1", "2", "1"});
    QCOMPARE(ok(link, {"read-fragment", "1", "2"}), (QStringList{"0042", "0", "6"}));
    QCOMPARE(ok(link, {"read-fragment", "2", "1"}), (QStringList{"DD/MM", "1", "0"}));

    const QStringList block = ok(link, {"read-time-params"});
    QCOMPARE(block.size(), 14);
    const QByteArray today = QByteArray::number(fromBcd(block[7].toInt())).rightJustified(2, '0') +
                             '/' +
                             QByteArray::number(fromBcd(block[8].toInt())).rightJustified(2, '0');

    const QString file = dir.filePath("mark.png");
    const QStringList read = ok(link, {"read-mark-image", file});
    // What the printer must have drawn: the text and counter over the date of its clock.
    std::vector<RenderItem> items(3);
    items[0].text = "AB";
    items[0].font = 2;
    items[1].column = 2;
    items[1].text = "0042";
    items[2].row = 2;
    items[2].text = QString::fromLatin1(today);
    items[2].font = 1;
    const MarkPicture expected = renderMark(items);
    QCOMPARE(read, (QStringList{QString::number(expected.bands),
                                QString::number(expected.columns.size())}));
    const QImage picture(file);
    QCOMPARE(picture.width(), int(expected.columns.size()));
    for (int x = 0; x < picture.width(); ++x)
        for (int y = 0; y < picture.height(); ++y)
            QCOMPARE(picture.pixelColor(x, y) == Qt::black,
                     bool(expected.columns[size_t(x)] & (quint32(1) << y)));
}

void TstVprinterE2e::stateKeptAcrossRestart() {
    const QString link = dir.filePath("keep.tty"), state = dir.filePath("keep.json");
    {
        ServedPrinter served(link, state);
        QVERIFY(served.ready());
        ok(link, {"write-text-fragment", "4", "8", "kept"});
        ok(link, {"place-logo", "2", "4", "7"});
        ok(link, {"mark-rotate-on"});
        QVERIFY(served.stop());
    }
    ServedPrinter again(link, state);
    QVERIFY(again.ready());
    QCOMPARE(ok(link, {"read-fragment", "4", "8"}).value(0), QStringLiteral("kept"));
    QCOMPARE(ok(link, {"read-fragment", "4", "7"}).value(1), QStringLiteral("7"));
    QCOMPARE(ok(link, {"read-time-params"}).value(0), QStringLiteral("3")); // rotation on
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
          QStringList{"--link", "x", "--baud", "300"}, QStringList{"--link", "x", "extra"}}) {
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
