// The cost of the byte-echo handshake over a pseudo-terminal, against the line's own time at each
// rate, and the CPU time the host burns while it waits on a printer that does not answer (a
// blocked wait should cost next to nothing).
//
//   bench_handshake [BYTES]   (default 1000 acknowledged bytes a rate)

#include "Functions.h"
#include "InProcessLine.h"
#include "PtyDevice.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

double threadCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// A port state whose Com1 is the given device at the given rate.
void aim(PortState &state, const QString &device, int baud) {
    state.ports.devices[0] = device;
    state.portName = QStringLiteral("Com1");
    state.baudName = QString::number(baud);
}

class EchoPeer : public LinePeer {
public:
    void setRate(int) override {}
    QByteArray receive(quint8 byte) override { return QByteArray(1, char(byte)); }
};

void handshakeTable(PtyDevice &device, int bytes) {
    std::printf("Acknowledged sends (SendByte) against an echoing pty, %d bytes a rate\n", bytes);
    std::printf("%8s %14s %16s %8s\n", "rate", "us per byte", "line us per byte", "ratio");
    device.play({});
    for (int baud : {9600, 19200, 38400, 57600}) {
        PortState state;
        aim(state, device.slavePath(), baud);
        Functions f(state);
        if (!f.Connect()) {
            std::printf("%8d  cannot open %s\n", baud, qPrintable(device.slavePath()));
            continue;
        }
        int failed = 0;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < bytes; ++i)
            failed += f.SendByte(quint8(0x40 + i % 64)) ? 0 : 1;
        const double perByte = double(timer.nsecsElapsed()) / 1e3 / bytes;
        const double lineTime = 10.0 / baud * 1e6; // start, eight data and stop bits
        std::printf("%8d %14.1f %16.1f %8.3f%s\n", baud, perByte, lineTime, perByte / lineTime,
                    failed ? "  (some bytes failed)" : "");
        device.play({});
    }

    PortState state;
    state.openLine = [](const QString &, QString *) {
        return std::make_unique<InProcessLine>(std::make_shared<EchoPeer>());
    };
    aim(state, QStringLiteral("in-process"), 57600);
    Functions f(state);
    f.Connect();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < bytes; ++i)
        f.SendByte(0x55);
    std::printf("%8s %14.3f   (in-process line, no line time)\n", "-",
                double(timer.nsecsElapsed()) / 1e3 / bytes);
}

void silentTable(PtyDevice &device) {
    std::printf("\nWaiting on a silent printer (pty, 57600 baud, standard time-outs)\n");
    std::printf("%-28s %10s %10s %10s\n", "wait", "wall ms", "cpu ms", "cpu/wall");
    PtyDevice::Script silent;
    silent.silent = true;
    device.play(silent);
    PortState state;
    aim(state, device.slavePath(), 57600);
    Functions f(state);
    if (!f.Connect()) {
        std::printf("cannot open %s\n", qPrintable(device.slavePath()));
        return;
    }
    const auto measure = [](const char *name, const std::function<bool()> &wait) {
        QElapsedTimer timer;
        timer.start();
        const double cpu0 = threadCpuMs();
        const bool answered = wait();
        const double cpu = threadCpuMs() - cpu0;
        const double wall = double(timer.nsecsElapsed()) / 1e6;
        std::printf("%-28s %10.1f %10.2f %10.4f%s\n", name, wall, cpu, cpu / wall,
                    answered ? "  (unexpected answer)" : "");
    };
    measure("ReadByte", [&] { return f.channel().ReadByte().has_value(); });
    measure("ReadByteWithin(1000)", [&] { return f.channel().ReadByteWithin(1000).has_value(); });
    measure("SendByte", [&] { return f.SendByte(0x17); });
    measure("ReceiveByte (10 attempts)", [&] { return f.ReceiveByte().has_value(); });
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int bytes = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 1000;
    PtyDevice device;
    if (!device.isOpen()) {
        std::fprintf(stderr, "bench_handshake: %s\n", qPrintable(device.error()));
        return 1;
    }
    handshakeTable(device, bytes);
    silentTable(device);
    return 0;
}
