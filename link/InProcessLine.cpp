#include "InProcessLine.h"

InProcessLine::InProcessLine(std::shared_ptr<LinePeer> p) : peer(std::move(p)) {
    peer->opened();
    peer->setRate(baud_);
}

bool InProcessLine::setLine(int baud) {
    baud_ = baud;
    peer->setRate(baud);
    return true;
}

void InProcessLine::purgeInput() {
    pending.clear();
    next = 0;
}

bool InProcessLine::write(const QByteArray &bytes, int) {
    for (char c : bytes)
        pending += peer->receive(quint8(c));
    return true;
}

std::optional<quint8> InProcessLine::read(int) {
    if (next == pending.size()) {
        purgeInput();
        pending = peer->idle();
        if (pending.isEmpty())
            return std::nullopt;
    }
    return quint8(pending[next++]);
}

void InProcessLine::beginExchange() {
    peer->opened();
}
