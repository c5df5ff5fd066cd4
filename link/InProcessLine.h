#pragma once
// A serial line whose far end lives in this process: the virtual printer, or a scripted printer
// in tests. Writes reach the peer at once; a read with nothing waiting fails at once, so a
// silent peer costs no real time.

#include "com_io.h"

#include <memory>

// The far end of an in-process line.
class LinePeer {
public:
    virtual ~LinePeer() = default;
    // The host opened the line, or began an exchange on the line it keeps open.
    virtual void opened() {}
    // The host set the line rate.
    virtual void setRate(int baud) = 0;
    // The host wrote one byte; the result is what the peer sends back at once.
    virtual QByteArray receive(quint8 byte) = 0;
    // The host waits for a byte and none is queued: the peer may send something late.
    virtual QByteArray idle() { return {}; }
};

class InProcessLine : public SerialLine {
public:
    explicit InProcessLine(std::shared_ptr<LinePeer> peer);

    bool setLine(int baud) override;
    void purgeInput() override;
    bool write(const QByteArray &bytes, int boundMs) override;
    std::optional<quint8> read(int boundMs) override;
    void pause(int) override {}
    void beginExchange() override;

private:
    std::shared_ptr<LinePeer> peer;
    QByteArray pending;
    qsizetype next = 0; // first unread byte of pending
};
