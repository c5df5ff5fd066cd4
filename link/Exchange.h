#pragma once
// One printer operation as it crossed the line, and whoever watches the operations (the line
// monitor, stampctl --trace). Nothing is recorded while nobody watches: an operation then costs
// one test of an empty pointer more.

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <optional>

// How the printer acknowledged the bytes sent with an echo.
enum class EchoFault {
    None,    // every byte sent with an echo came back as it went
    Missing, // the printer did not answer a byte
    Wrong,   // the printer echoed another byte
};

struct Exchange {
    QString operation; // the operation's own name: "ReadFragment"
    QDateTime started;
    QByteArray sent;                   // every byte the program put on the line, in order
    QByteArray received;               // every byte it took from the line, in order
    int echoed = 0;                    // bytes whose echo came back right
    int unanswered = 0;                // bytes whose echo did not (a search goes on after them)
    EchoFault fault = EchoFault::None; // the last fault met
    quint8 faultByte = 0;              // the byte whose echo failed
    quint8 faultEcho = 0;              // what came back instead (EchoFault::Wrong)
    qint64 durationUs = 0;
    bool ok = false;
    QString cause; // why it failed, in the operator's words; empty when it went through

    QElapsedTimer clock; // runs from the operation's start

    // "5 echoed"; a failed one's fault, "no echo for 1B" or "3F for 1B"; "1 echoed, 3 not" when
    // it went through after faults; "none asked" when no byte needed an echo.
    QString echoVerdict() const;
};

// The watcher of a port's operations. Only the outermost operation is told: a RenameLogo is one
// exchange, not its ReadLogo beside it.
class ExchangeWatcher {
public:
    virtual ~ExchangeWatcher() = default;
    // The operation has begun (its name and start are known); its bytes follow.
    virtual void began(const Exchange &exchange) { Q_UNUSED(exchange); }
    // The operation is over: its whole record.
    virtual void ended(const Exchange &exchange) = 0;
};

// Two hex digits a byte, blank between: "0C 41 05".
QString hexBytes(const QByteArray &bytes);
