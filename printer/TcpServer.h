#pragma once
// Serves a virtual printer on a raw TCP socket, as a serial device server does: one connection at
// a time is the serial line, its bytes go to the printer and its answers come back, paced to the
// printer's own rate (a device server sets the line's rate; every byte counts as sent at it).
// POSIX only; nothing outside printer/ depends on it.

#include "BytePump.h"
#include "VirtualPrinter.h"

#include <QString>

namespace printer {

class TcpServer {
public:
    // With `pace`, every byte takes its line time at the printer's rate (10 bits a byte).
    TcpServer(VirtualPrinter &printer, bool pace);
    ~TcpServer();
    TcpServer(const TcpServer &) = delete;
    TcpServer &operator=(const TcpServer &) = delete;

    // Listens on 127.0.0.1 at `port`; port 0 takes a free one (port() then names it).
    bool listen(quint16 port, QString *error);
    quint16 port() const { return listening; }
    // Serves one connection after another until SIGTERM or SIGINT arrives. A connection that
    // closes ends its exchange; a second connection while one is served is closed at once (the
    // printer has one line). Returns 0, or 1 when the listening socket itself fails.
    int serve();

    const Lateness &lateness() const { return pump.lateness(); }

private:
    void refuseAnother();

    BytePump pump;
    int listener = -1;
    quint16 listening = 0;
};

} // namespace printer
