#pragma once
// A scripted printer for byte-exact link tests. It is the far end of an in-process line: it
// expects exact host bytes, echoes them (or takes them raw), answers exact bytes, and keeps a
// transcript of every byte in both directions. Faults are injected by the position of a byte the
// printer sends: it can fall silent from any of them or send one of them wrong.
//
//     auto p = std::make_shared<ScriptedPrinter>();
//     p->expect(bytes("11 31 32")).reply(bytes("02 41 42 03 FF"));

#include "Functions.h"
#include "InProcessLine.h"

#include <QList>
#include <QString>
#include <array>
#include <memory>

// "0C 41 30" -> the three bytes; blanks between the pairs are optional.
QByteArray bytes(const char *hex);
// A logo name of 8 bytes followed by the byte that makes the nine sum to 0, as a logo read ends.
QByteArray nameWithChecksum(const QByteArray &name8);
// The 510-byte logo frame: the data, FF filler up to 501 bytes, the name padded with blanks to 8
// and its checksum.
QByteArray logoFrameBytes(const QByteArray &data, const QByteArray &name = {});

struct WireByte {
    bool fromHost = false;
    quint8 value = 0;
    int rate = 0;      // the line rate the byte crossed at
    bool echo = false; // a printer byte that acknowledges the host byte before it
    int open = 0;      // how many times the line had been opened when the byte crossed
};

class ScriptedPrinter : public LinePeer {
public:
    // The printer hears and answers only at this rate; bytes at any other rate are lost.
    explicit ScriptedPrinter(int rate = 9600) : printerRate(rate) {}

    // The script, played in order: host bytes each echoed, host bytes taken without an echo,
    // printer bytes sent as soon as the step before is done.
    ScriptedPrinter &expect(const QByteArray &host) { return add(Kind::Echoed, host); }
    ScriptedPrinter &expectRaw(const QByteArray &host) { return add(Kind::Raw, host); }
    ScriptedPrinter &reply(const QByteArray &data) { return add(Kind::Reply, data); }
    // Sent only after the host has waited for a byte in vain `waits` times.
    ScriptedPrinter &replyAfterWaits(const QByteArray &data, int waits) {
        return add(Kind::Late, data, waits);
    }
    // A logo write: the command echoed, B and C and the frame raw, then the printer's 's' that
    // the host echoes back.
    ScriptedPrinter &expectLogoWrite(const QByteArray &command, const QByteArray &sizes,
                                     const QByteArray &frame) {
        return expect(command).expectRaw(sizes).expectRaw(frame).reply("s").expectRaw("s");
    }

    // Faults, by the index of a byte the printer sends (0 the first): every byte from that one
    // on is withheld, or that one byte is sent complemented.
    void silentFrom(int printerByte) { silenceAt = printerByte; }
    void wrongAt(int printerByte) { wrongByteAt = printerByte; }

    void opened() override { ++openCount; }
    void setRate(int baud) override { lineRate = baud; }
    QByteArray receive(quint8 byte) override;
    QByteArray idle() override;

    int opens() const { return openCount; }
    int rate() const { return lineRate; } // the rate the host set last
    const QList<WireByte> &transcript() const { return wire; }
    QByteArray hostBytes() const { return bytesFrom(true); } // every byte, at any rate
    QByteArray printerBytes() const { return bytesFrom(false); }
    // The whole script was played and the host sent nothing it did not expect.
    bool done() const { return step == steps.size() && deviation.isEmpty(); }
    // What went wrong first, or what was still expected; for failure messages.
    QString problem() const;

private:
    enum class Kind { Echoed, Raw, Reply, Late };
    struct Step {
        Kind kind;
        QByteArray data;
        int waits = 0;
    };

    ScriptedPrinter &add(Kind kind, const QByteArray &data, int waits = 0);
    QByteArray bytesFrom(bool host) const;
    void playReplies(QByteArray &out);
    QByteArray sendOut(const QByteArray &out, int echoes);

    int printerRate;
    int lineRate = 0;
    int openCount = 0;
    QList<Step> steps;
    qsizetype step = 0;
    qsizetype at = 0;  // next byte of the current expect step
    int waited = 0;    // vain waits in the current late reply
    int sent = 0;      // printer bytes produced so far, withheld ones included
    int hostCount = 0; // host bytes received so far
    int silenceAt = -1;
    int wrongByteAt = -1;
    QString deviation;
    QList<WireByte> wire;
};

// Makes the ports COM1..COM4 of the state the given peers; a null peer is a device that does not
// exist, so opening that port fails.
void attachPorts(PortState &state, const std::array<std::shared_ptr<LinePeer>, 4> &peers);

// One scripted printer on Com1 at its rate, and the link over it. `hostRead` holds every byte the
// host took from the line, in order (what the printer sent but the host purged is not in it).
struct PrinterRig {
    explicit PrinterRig(int rate = 9600);
    PrinterRig(const PrinterRig &) = delete;
    PrinterRig &operator=(const PrinterRig &) = delete;

    std::shared_ptr<ScriptedPrinter> printer;
    PortState state;
    Functions f{state};
    QByteArray hostRead;
};

// Plays the script on the rig's printer and runs the operation: it must go through with the whole
// script played. Fails the running test otherwise.
void checkGoesThrough(PrinterRig &rig, const std::function<void(ScriptedPrinter &)> &script,
                      const std::function<bool(Functions &)> &run);

// Failure at every point where the printer can fail: the script is played once to see the
// operation go through, then again with the printer falling silent from each byte it sends, and
// with each of its echoes sent wrong. The operation must fail every time, and the host must send
// nothing after the byte that went unanswered. Fails the running test otherwise.
void checkFailureAtEveryByte(const std::function<void(ScriptedPrinter &)> &script,
                             const std::function<bool(Functions &)> &run);
