// The printer link over pseudo-terminals, at 57600 baud:
// - the byte-echo handshake: opening the line for an operation and its SendBytes, against a bare
//   QSerialPort opened and set up the same way doing the same write-and-read-back of one byte on
//   the same echoing pty, in alternating rounds;
// - the operator's jobs (OperatorJobs.h) against stampline-vprinter --pace, each against its
//   floor and against the plain-POSIX reference host on the same paced printer;
// - the CPU a read burns while it waits out its time-out on a silent printer, as a share of the
//   wait.
//
//   bench_link [ROUNDS]   (rounds of the operator's jobs, default 7)

#include "BenchReport.h"
#include "Functions.h"
#include "OperatorJobs.h"
#include "PtyDevice.h"

#include <QCoreApplication>
#include <QSerialPort>

#include <algorithm>

namespace {

constexpr int kBaud = 57600;
// Short rounds, many of them, so that the two sides of a ratio meet the same load.
constexpr int kHandshakeRounds = 120;
constexpr int kHandshakeBytes = 25;

// Com1 is the given device at 57600 baud.
void aim(PortState &state, const QString &device) {
    state.ports.devices[0] = device;
    state.portName = QStringLiteral("Com1");
    state.baudName = QString::number(kBaud);
}

// --- The handshake ----------------------------------------------------------------------------

struct Operation {
    double ms = -1;     // the whole operation: the line opened and set up, `count` round trips
    double openMs = -1; // of which the opening and setting up
};

// An operation through the link's exchange on a port state of its own: Connect opens the line,
// sets its rate and time-outs and empties its input, then `count` acknowledged sends.
Operation throughLink(const QString &device, int count) {
    Operation o;
    PortState state;
    aim(state, device);
    Functions f(state);
    const double start = bench::wallMs();
    if (!f.Connect())
        return o;
    const double opened = bench::wallMs();
    for (int i = 0; i < count; ++i)
        if (!f.SendByte(quint8(0x40 + i % 64)))
            return o;
    o.ms = bench::wallMs() - start;
    o.openMs = opened - start;
    return o;
}

// The same on a bare QSerialPort: open it, set the rate and line format, empty its input, then
// write each byte, wait until it has left, wait for the byte that comes back and read it.
Operation bare(const QString &device, int count) {
    Operation o;
    const double start = bench::wallMs();
    QSerialPort port(device);
    if (!port.open(QIODevice::ReadWrite) || !port.setBaudRate(kBaud) ||
        !port.setDataBits(QSerialPort::Data8) || !port.setParity(QSerialPort::NoParity) ||
        !port.setStopBits(QSerialPort::OneStop))
        return o;
    port.clear(QSerialPort::Input);
    const double opened = bench::wallMs();
    for (int i = 0; i < count; ++i) {
        const char out = char(0x40 + i % 64);
        if (port.write(&out, 1) != 1 || !port.waitForBytesWritten(100))
            return o;
        while (port.bytesAvailable() == 0)
            if (!port.waitForReadyRead(600))
                return o;
        char in = 0;
        if (!port.getChar(&in) || in != out)
            return o;
    }
    o.ms = bench::wallMs() - start;
    o.openMs = opened - start;
    return o;
}

void handshake(PtyDevice &device) {
    const QString name =
        QStringLiteral("Handshake: an operation (line opened, 25 bytes) ÷ bare QSerialPort (pty)");
    QList<double> ratios, link, plain, linkOpen, plainOpen;
    device.play({});
    for (int round = 0; round < kHandshakeRounds; ++round) {
        // Alternate which goes first, so that neither always meets a warmer machine.
        Operation a, b;
        if (round % 2) {
            b = bare(device.slavePath(), kHandshakeBytes);
            a = throughLink(device.slavePath(), kHandshakeBytes);
        } else {
            a = throughLink(device.slavePath(), kHandshakeBytes);
            b = bare(device.slavePath(), kHandshakeBytes);
        }
        if (a.ms <= 0 || b.ms <= 0) {
            bench::figure(name, QStringLiteral("failed"), QStringLiteral("≤ 1.3×"), false);
            return;
        }
        ratios << a.ms / b.ms;
        link << a.ms;
        plain << b.ms;
        linkOpen << a.openMs;
        plainOpen << b.openMs;
    }
    const double ratio = bench::median(ratios);
    const auto least = [](const QList<double> &v) { return *std::min_element(v.begin(), v.end()); };
    const auto most = [](const QList<double> &v) { return *std::max_element(v.begin(), v.end()); };
    bench::note(QStringLiteral("handshake: %1 rounds of one operation each way: the line opened "
                               "(rate, format, time-outs, input emptied) and %2 bytes sent and "
                               "echoed; ratios %3 to %4. Medians: the link %5 ms an operation, "
                               "%6 ms of it opening; bare QSerialPort %7 ms, %8 ms opening")
                    .arg(kHandshakeRounds)
                    .arg(kHandshakeBytes)
                    .arg(bench::number(least(ratios), 2), bench::number(most(ratios), 2),
                         bench::number(bench::median(link), 2),
                         bench::number(bench::median(linkOpen), 2),
                         bench::number(bench::median(plain), 2),
                         bench::number(bench::median(plainOpen), 2)));
    bench::figure(name, bench::number(ratio, 2) + QStringLiteral("×"), QStringLiteral("≤ 1.3×"),
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

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 7;
    PtyDevice device;
    if (!device.isOpen()) {
        std::fprintf(stderr, "bench_link: %s\n", qPrintable(device.error()));
        return 1;
    }
    handshake(device);
    const bool jobsRan = bench::operatorJobs(QStringLiteral(VPRINTER_PATH),
                                             QStringLiteral(STAMPCTL_PATH), kBaud, rounds);
    silentWait(device);
    return jobsRan ? 0 : 1;
}
