#pragma once
// The virtual printer's side of a byte stream: takes the host's bytes from a file descriptor (a
// pseudo-terminal's master, a TCP connection), feeds them to the printer and sends what it answers
// back, paced to the printer's line rate when asked. Shared by the pseudo-terminal and the TCP
// servers. It measures how late each paced byte was against its schedule, so that a benchmark can
// tell the stand-in's own delays from the host's. POSIX only.

#include "VirtualPrinter.h"

#include <QByteArray>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

namespace printer {

// The descriptor that becomes readable once SIGTERM or SIGINT arrives (the handlers are installed
// at the first call); -1 when no pipe could be made.
int stopSignalFd();

// How late the paced bytes were, each against the moment its schedule said it was due.
class Lateness {
public:
    // A host byte taken, or a printer byte sent, `lateNs` after it was due.
    void taken(qint64 lateNs);
    void sent(qint64 lateNs);
    // The printer waits for the host after a byte that was `lateNs` late: a host that waited for
    // that byte saw the lateness whole.
    void waitAfter(qint64 lateNs);

    qint64 bytes() const { return qint64(late.size()); }
    // "bytes N\nbytes_in N\nbytes_out N\nmedian_ns X\np95_ns X\nmax_ns X\ntotal_late_ns X\n
    // waits N\nwaits_late_ns X\n"
    QByteArray report() const;
    // Writes the report to `path` whole; the reason when it could not.
    bool write(const QString &path, QString *error) const;

private:
    std::vector<qint64> late; // every paced byte's lateness, in the order they crossed
    qint64 in = 0, out = 0;
    qint64 waits = 0, waitsLate = 0;
};

class BytePump {
public:
    // With `pace`, every byte takes its line time at the printer's rate: ten bits a byte.
    BytePump(VirtualPrinter &printer, bool pace);

    // The rate at which the host sends; its bytes reach the printer only at the printer's own
    // rate, the others are lost. Unset: always the printer's rate.
    std::function<int()> hostRate;

    enum class End {
        Stopped, // SIGTERM or SIGINT
        Closed,  // the far end closed the stream
        Failed,  // the descriptor itself failed
    };
    // Serves the non-blocking descriptor `fd` until one of the ends. While it serves, `otherFd`
    // (when not -1) is watched too and `onOther` runs each time it becomes readable.
    End serve(int fd, int otherFd = -1, const std::function<void()> &onOther = {});

    const Lateness &lateness() const { return late; }

private:
    // Ten bits a byte at the printer's rate, the n-th byte after `anchorNs` due at
    // anchorNs + ceil(n * 10 s / rate): never a rounded byte time that adds up.
    struct Schedule {
        qint64 anchorNs = 0;
        qint64 count = 0;
        qint64 due(qint64 rate, qint64 n = 0) const;
        void advance(qint64 rate, qint64 n);
        void restartAt(qint64 ns) {
            anchorNs = ns;
            count = 0;
        }
    };

    qint64 rate() const;
    qint64 byteNs() const;
    void takeHostBytes(qint64 nowNs);
    bool sendPrinterBytes(int fd, qint64 nowNs);

    VirtualPrinter &printer;
    bool pace;
    std::deque<quint8> fromHost;
    QByteArray toHost;
    Schedule in;  // paced: when the next host byte has arrived whole and is taken
    Schedule out; // paced: when the next printer byte has reached the host whole
    qint64 lastHostNs = 0;
    bool exchangeOpen = false;
    Lateness late;
};

} // namespace printer
