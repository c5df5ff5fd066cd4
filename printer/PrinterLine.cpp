#include "PrinterLine.h"

#include <utility>

namespace printer {

std::optional<quint8> PrinterLine::take() {
    const Item item = queue.front();
    queue.pop_front();
    if (item.value == kEnd)
        return std::nullopt;
    lastIndex = item.index;
    return quint8(item.value);
}

quint8 PrinterLine::NextByte::await_resume() {
    const auto byte = line.take();
    if (!byte)
        throw ExchangeEnded{};
    if (echoed)
        line.echo(*byte);
    return *byte;
}

std::optional<quint8> PrinterLine::NextByteOrEnd::await_resume() {
    return line.take();
}

void PrinterLine::echo(quint8 byte) {
    if (corruptEcho) {
        corruptEcho = false;
        byte = quint8(byte ^ 0x5A);
    }
    out.append(char(byte));
}

void PrinterLine::reply(quint8 byte) {
    reply(QByteArray(1, char(byte)));
}

void PrinterLine::reply(const QByteArray &bytes) {
    replied = true;
    if (replyBudget < 0) {
        out += bytes;
        return;
    }
    const int sent = int(qMin<qsizetype>(replyBudget, bytes.size()));
    out += bytes.left(sent);
    replyBudget -= sent;
}

void PrinterLine::pushBack(quint8 byte) {
    queue.push_front({byte, lastIndex});
}

void PrinterLine::beginCommand() {
    transcript.beginCommand(lastIndex);
    replied = false;
}

void PrinterLine::endCommand() {
    if (replied && replyBudget >= 0)
        replyBudget = -1;
    replied = false;
}

QByteArray PrinterLine::run(Item item) {
    queue.push_back(item);
    out.clear();
    // Every command waits on this line, so the waiting one is the innermost command; it runs
    // until it needs a byte that has not come yet.
    while (waiting && !queue.empty())
        std::exchange(waiting, {}).resume();
    queue.clear();
    return std::exchange(out, {});
}

QByteArray PrinterLine::deliver(quint8 byte, qsizetype index) {
    return run({byte, index});
}

QByteArray PrinterLine::endExchange() {
    return run({kEnd, lastIndex});
}

} // namespace printer
