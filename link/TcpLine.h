#pragma once
// A printer behind a serial device server: a raw TCP connection carries the serial line, byte for
// byte. The server sets the line's rate; the rate the host chooses only sets its time-outs.
// Nagle is off, so every echoed byte leaves at once.

#include "com_io.h"

#include <QTcpSocket>

class TcpLine : public SerialLine {
public:
    // Whether the device names a TCP endpoint ("tcp:HOST:PORT").
    static bool names(const QString &device);
    // Connects to "tcp:HOST:PORT" within a few seconds; nullptr with the reason (a name that is
    // not HOST:PORT, a host that does not resolve, a refused or unanswered connection, another
    // program of this machine on the same endpoint) in `why`.
    static std::unique_ptr<TcpLine> open(const QString &device, QString *why = nullptr);

    // How long the connection may take, host look-up included.
    static constexpr int kConnectMs = 3000;

    bool setLine(int baud) override;
    void purgeInput() override;
    bool write(const QByteArray &bytes, int boundMs) override;
    std::optional<quint8> read(int boundMs) override;
    void pause(int ms) override;
    bool gone() const override { return dropped; }

private:
    // The server closed the connection or it broke: the line is gone until it is opened again.
    void dropIfClosed();

    QTcpSocket socket;
    bool dropped = false;
};
