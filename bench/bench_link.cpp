// The printer link over pseudo-terminals, at 57600 baud:
// - the byte-echo handshake (SendByte) against a bare QSerialPort write-and-read-back of one byte
//   on the same echoing pty, in alternating rounds;
// - whole transfers against stampline-vprinter --pace, each against its own line time: the bytes
//   that cross the line in both directions, ten bits each;
// - the CPU a read burns while it waits out its time-out on a silent printer, as a share of the
//   wait.
//
//   bench_link

#include "BenchReport.h"
#include "Functions.h"
#include "PtyDevice.h"
#include "SystemLine.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>

namespace {

constexpr int kBaud = 57600;
// Short rounds, many of them, so that the two sides of a ratio meet the same load.
constexpr int kHandshakeRounds = 120;
constexpr int kHandshakeBytes = 25;
constexpr int kTransferRounds = 6;

double lineMs(qint64 bytes) {
    return double(bytes) * 10 * 1000 / kBaud; // start, eight data and stop bits a byte
}

// Com1 is the given device at 57600 baud.
void aim(PortState &state, const QString &device) {
    state.ports.devices[0] = device;
    state.portName = QStringLiteral("Com1");
    state.baudName = QString::number(kBaud);
}

// --- The handshake ----------------------------------------------------------------------------

// Microseconds a byte for `count` acknowledged sends through the link's exchange; -1 on a
// failure. The port is opened before the clock starts and closed after it stops.
double sendByteUs(const QString &device, int count) {
    PortState state;
    aim(state, device);
    Functions f(state);
    if (!f.Connect())
        return -1;
    const double start = bench::wallMs();
    for (int i = 0; i < count; ++i)
        if (!f.SendByte(quint8(0x40 + i % 64)))
            return -1;
    return (bench::wallMs() - start) * 1e3 / count;
}

// The same round trips on a bare QSerialPort: write the byte, wait until it has left, wait for
// the byte that comes back and read it.
double bareUs(const QString &device, int count) {
    QSerialPort port(device);
    if (!port.open(QIODevice::ReadWrite) || !port.setBaudRate(kBaud) ||
        !port.setDataBits(QSerialPort::Data8) || !port.setParity(QSerialPort::NoParity) ||
        !port.setStopBits(QSerialPort::OneStop))
        return -1;
    port.clear(QSerialPort::Input);
    const double start = bench::wallMs();
    for (int i = 0; i < count; ++i) {
        const char out = char(0x40 + i % 64);
        if (port.write(&out, 1) != 1 || !port.waitForBytesWritten(100))
            return -1;
        while (port.bytesAvailable() == 0)
            if (!port.waitForReadyRead(600))
                return -1;
        char in = 0;
        if (!port.getChar(&in) || in != out)
            return -1;
    }
    return (bench::wallMs() - start) * 1e3 / count;
}

void handshake(PtyDevice &device) {
    QList<double> ratios, exchange, bare;
    device.play({});
    for (int round = 0; round < kHandshakeRounds; ++round) {
        // Alternate which goes first, so that neither always meets a warmer machine.
        double a = 0, b = 0;
        if (round % 2) {
            b = bareUs(device.slavePath(), kHandshakeBytes);
            a = sendByteUs(device.slavePath(), kHandshakeBytes);
        } else {
            a = sendByteUs(device.slavePath(), kHandshakeBytes);
            b = bareUs(device.slavePath(), kHandshakeBytes);
        }
        if (a <= 0 || b <= 0) {
            bench::figure(QStringLiteral("Handshake: SendByte ÷ bare QSerialPort round trip"),
                          QStringLiteral("failed"), QStringLiteral("≤ 1.3×"), false);
            return;
        }
        ratios << a / b;
        exchange << a;
        bare << b;
    }
    const double ratio = bench::median(ratios);
    const auto least = [](const QList<double> &v) { return *std::min_element(v.begin(), v.end()); };
    const auto most = [](const QList<double> &v) { return *std::max_element(v.begin(), v.end()); };
    bench::note(QStringLiteral("handshake: %1 rounds of %2 bytes, their ratios %3 to %4; the "
                               "quickest rounds %5 us a SendByte, %6 us a bare round trip, the "
                               "slowest %7 and %8 us, as the machine's load came and went")
                    .arg(kHandshakeRounds)
                    .arg(kHandshakeBytes)
                    .arg(bench::number(least(ratios), 2), bench::number(most(ratios), 2),
                         bench::number(least(exchange), 1), bench::number(least(bare), 1),
                         bench::number(most(exchange), 1), bench::number(most(bare), 1)));
    bench::figure(QStringLiteral("Handshake: SendByte ÷ bare QSerialPort round trip (pty)"),
                  bench::number(ratio, 2) + QStringLiteral("×"), QStringLiteral("≤ 1.3×"),
                  ratio <= 1.3);
}

// --- A silent printer -------------------------------------------------------------------------

void silentWait(PtyDevice &device) {
    PtyDevice::Script silent;
    silent.silent = true;
    device.play(silent);
    PortState state;
    aim(state, device.slavePath());
    Functions f(state);
    if (!f.Connect()) {
        bench::figure(QStringLiteral("CPU while a read waits out its time-out"),
                      QStringLiteral("failed"), QStringLiteral("≤ 1%"), false);
        return;
    }
    const double wall0 = bench::wallMs(), cpu0 = bench::threadCpuMs();
    bool answered = false;
    for (int i = 0; i < 3; ++i)
        answered = f.channel().ReadByte().has_value() || answered;
    const double cpu = bench::threadCpuMs() - cpu0, wall = bench::wallMs() - wall0;
    const double share = cpu / wall * 100;
    bench::note(QStringLiteral("silent printer: three reads (600 ms time-out each) took %1 ms, "
                               "%2 ms of CPU")
                    .arg(bench::number(wall, 0), bench::number(cpu, 2)));
    bench::figure(QStringLiteral("CPU while a read waits out its time-out (share of the wait)"),
                  answered ? QStringLiteral("answered") : bench::number(share, 3) + '%',
                  QStringLiteral("≤ 1%"), !answered && share <= 1);
}

// --- Whole transfers against the paced virtual printer ---------------------------------------

// stampline-vprinter --pace serving a line in a folder of its own, until destroyed.
class PacedPrinter {
public:
    PacedPrinter() : link(folder.filePath(QStringLiteral("line"))) {
        process.start(QStringLiteral(VPRINTER_PATH), {"--link", link, "--pace"});
        while (!output.contains('\n') && process.waitForReadyRead(30000))
            output += process.readAllStandardOutput();
    }
    ~PacedPrinter() {
        process.terminate();
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
        }
    }
    bool ready() const { return output == "ready " + link.toUtf8() + '\n'; }

    QTemporaryDir folder;
    const QString link;

private:
    QProcess process;
    QByteArray output;
};

// The system serial port, adding the time that opening, setting up and closing it take to
// `spent`: what Connect's reopening of the port costs inside a transfer.
class TimedLine : public SerialLine {
public:
    TimedLine(std::unique_ptr<SerialLine> line, double &spentMs)
        : inner(std::move(line)), spent(spentMs) {
        baud_ = inner->baud();
    }
    ~TimedLine() override {
        const double start = bench::wallMs();
        inner.reset();
        spent += bench::wallMs() - start;
    }
    bool setLine(int baud) override {
        const double start = bench::wallMs();
        const bool ok = inner->setLine(baud);
        baud_ = inner->baud();
        spent += bench::wallMs() - start;
        return ok;
    }
    void purgeInput() override { inner->purgeInput(); }
    bool write(const QByteArray &bytes, int boundMs) override {
        return inner->write(bytes, boundMs);
    }
    std::optional<quint8> read(int boundMs) override { return inner->read(boundMs); }
    void pause(int ms) override { inner->pause(ms); }

    static LineFactory factory(double &spentMs) {
        return [&spentMs](const QString &device, QString *why) -> std::unique_ptr<SerialLine> {
            const double start = bench::wallMs();
            std::unique_ptr<SerialLine> line = SystemLine::open(device, why);
            spentMs += bench::wallMs() - start;
            if (!line)
                return nullptr;
            return std::make_unique<TimedLine>(std::move(line), spentMs);
        };
    }

private:
    std::unique_ptr<SerialLine> inner;
    double &spent;
};

struct Transfer {
    QString name;
    qint64 lineBytes; // every byte that crosses the line, both ways
    int opens;        // exchanges, each beginning with Connect (the port reopened)
    double pausesMs;  // the pauses the exchange itself must keep
    std::function<bool(Functions &)> run;
    QList<double> ratios = {};
    QList<double> walls = {};
    QList<double> reopens = {}; // ms spent reopening the port in each run
    QList<double> rest = {};    // each run without its pauses and reopenings, ÷ the line time
    QList<double> echoes = {};  // µs from a byte sent to the next byte received, every run
};

QList<Transfer> transfers() {
    LogoImage logo;
    for (int c = 0; c < LogoImage::kColumns; ++c)
        for (int b = 0; b < 4; ++b)
            logo.dots[size_t(c)][size_t(b)] = quint8(c * 7 + b * 31);
    static const QByteArray letters("CDFHJKLQSTUYZ"); // the thirteen print parameters
    return {
        // 07 89 n sent and echoed (6), B and C raw (2), the 510-byte frame (500 data bytes, FF,
        // the name and its checksum), the printer's 's' and the host's echo of it (2).
        {QStringLiteral("full logo write (4 × 125)"), 6 + 2 + 510 + 2, 1, 9 + 9,
         [logo](Functions &f) { return f.WriteLogo(42, 4, 125, "BENCH", logo); }},
        // 07 08 08 sent and echoed (6), height and the length's two bytes (3), then always 5120
        // picture and padding bytes.
        {QStringLiteral("full mark read"), 6 + 3 + MarkImage::kImageBytes, 1, 0,
         [](Functions &f) {
             MarkImage image;
             return f.ReadMarkImage(image);
         }},
        // A parameter: 0C, its letter, 05 sent and echoed (6), the value, the host's raw 12.
        {QStringLiteral("thirteen-parameter list"), 13 * 8, 13, 0,
         [](Functions &f) {
             quint8 value = 0;
             for (char letter : letters)
                 if (!f.ReadParam(quint8(letter), value))
                     return false;
             return true;
         }},
    };
}

void wholeTransfers() {
    PacedPrinter printer;
    if (!printer.ready()) {
        bench::figure(QStringLiteral("Transfers against stampline-vprinter --pace"),
                      QStringLiteral("no printer"), QStringLiteral("≤ 1.05×"), false);
        return;
    }
    PortState state;
    aim(state, printer.link);
    qint64 crossed = 0;
    QList<double> echoes;
    double sentAt = -1;
    state.trace = [&](bool sent, quint8) {
        ++crossed;
        const double now = bench::wallMs();
        if (!sent && sentAt >= 0)
            echoes << (now - sentAt) * 1e3;
        sentAt = sent ? now : -1;
    };
    double reopening = 0;
    state.openLine = TimedLine::factory(reopening);
    Functions f(state);
    QList<Transfer> all = transfers();
    for (int round = 0; round < kTransferRounds; ++round) {
        for (Transfer &t : all) {
            crossed = 0;
            reopening = 0;
            echoes.clear();
            const double start = bench::wallMs();
            const bool ok = t.run(f);
            const double wall = bench::wallMs() - start;
            if (!ok || crossed != t.lineBytes) {
                bench::note(QStringLiteral("%1: %2, %3 bytes crossed, %4 expected")
                                .arg(t.name, ok ? QStringLiteral("done") : QStringLiteral("failed"))
                                .arg(crossed)
                                .arg(t.lineBytes));
                t.ratios << qInf();
                continue;
            }
            t.ratios << wall / lineMs(t.lineBytes);
            t.walls << wall;
            t.reopens << reopening;
            t.rest << (wall - t.pausesMs - reopening) / lineMs(t.lineBytes);
            t.echoes << echoes;
        }
    }
    for (const Transfer &t : all) {
        const double ratio = bench::median(t.ratios);
        const double line = lineMs(t.lineBytes);
        bench::note(QStringLiteral("%1: %2 bytes, line time %3 ms; median of %4 runs %5 ms, of "
                                   "which %6 ms the exchange's own pauses and %7 ms reopening "
                                   "the port (%8 × Connect); without those, %9× the line time "
                                   "(medians)")
                        .arg(t.name)
                        .arg(t.lineBytes)
                        .arg(bench::number(line, 2))
                        .arg(t.walls.size())
                        .arg(bench::number(bench::median(t.walls), 1), bench::number(t.pausesMs, 0),
                             bench::number(bench::median(t.reopens), 1))
                        .arg(t.opens)
                        .arg(bench::number(bench::median(t.rest), 3)));
        if (t.opens > 1 && !t.echoes.isEmpty()) // every byte it sends is acknowledged
            bench::note(
                QStringLiteral("%1: a byte's echo came back %2 us after it was sent "
                               "(median; line time of the two %3 us), at most %4 ms")
                    .arg(t.name, bench::number(bench::median(t.echoes), 0),
                         bench::number(lineMs(2) * 1e3, 0),
                         bench::number(*std::max_element(t.echoes.begin(), t.echoes.end()) / 1e3,
                                       1)));
        bench::figure(QStringLiteral("Transfer at 57600 ÷ its line time: ") + t.name,
                      bench::number(ratio, 3) + QStringLiteral("×"), QStringLiteral("≤ 1.05×"),
                      ratio <= 1.05);
    }
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    PtyDevice device;
    if (!device.isOpen()) {
        std::fprintf(stderr, "bench_link: %s\n", qPrintable(device.error()));
        return 1;
    }
    handshake(device);
    wholeTransfers();
    silentWait(device);
    return 0;
}
