#pragma once
// The printer's end of the line as its commands see it: they wait for host bytes with co_await,
// echo the bytes they acknowledge, and send replies. The printer drives it with one host byte
// at a time and collects what the commands sent in answer.

#include "ByteTask.h"
#include "Transcript.h"

#include <QByteArray>
#include <coroutine>
#include <deque>
#include <optional>

namespace printer {

// Thrown into a command that waits for a byte when the exchange has ended (the host reopened
// the line or fell silent): the half-received command is dropped.
struct ExchangeEnded {};

class PrinterLine {
public:
    explicit PrinterLine(Transcript &t) : transcript(t) {}

    // --- For the commands.
    struct NextByte {
        PrinterLine &line;
        bool echoed;
        bool await_ready() const noexcept { return !line.queue.empty(); }
        void await_suspend(std::coroutine_handle<> h) noexcept { line.waiting = h; }
        quint8 await_resume();
    };
    struct NextByteOrEnd {
        PrinterLine &line;
        bool await_ready() const noexcept { return !line.queue.empty(); }
        void await_suspend(std::coroutine_handle<> h) noexcept { line.waiting = h; }
        std::optional<quint8> await_resume();
    };
    // The next host byte, not echoed (a raw byte, or one whose echo depends on its value).
    NextByte raw() { return {*this, false}; }
    // The next host byte, echoed at once.
    NextByte acked() { return {*this, true}; }
    // The next host byte, or nothing when the exchange ended first.
    NextByteOrEnd rawOrEnd() { return {*this}; }

    void echo(quint8 byte);
    void reply(quint8 byte);
    void reply(const QByteArray &bytes);
    // Gives a byte back: it begins the next command.
    void pushBack(quint8 byte);
    // Marks the start of a command at the byte last taken, and names it.
    void beginCommand();
    void nameCommand(const QString &name) { transcript.nameCommand(name); }
    // The command is complete (a short reply fault lasts for one replying command).
    void endCommand();

    // --- For the printer.
    // One host byte (its index in the transcript); returns what the printer sends back.
    QByteArray deliver(quint8 byte, qsizetype index);
    // The exchange ended: a command waiting for more bytes is dropped.
    QByteArray endExchange();
    // Between commands: the session waits for the first byte of the next one.
    bool betweenCommands() const { return idle; }
    void setIdle(bool value) { idle = value; }

    // Faults on what the printer sends.
    void wrongNextEcho() { corruptEcho = true; }
    void cutNextReply(int keep) { replyBudget = keep; }
    void clearFaults() {
        corruptEcho = false;
        replyBudget = -1;
    }

private:
    struct Item {
        int value; // a byte, or kEnd
        qsizetype index;
    };
    static constexpr int kEnd = -1;

    QByteArray run(Item item);
    std::optional<quint8> take();

    Transcript &transcript;
    std::deque<Item> queue;
    std::coroutine_handle<> waiting;
    QByteArray out;
    qsizetype lastIndex = 0;
    bool idle = true;
    bool corruptEcho = false;
    int replyBudget = -1; // reply bytes still sent in full; -1 no limit
    bool replied = false; // the current command sent a reply
};

} // namespace printer
