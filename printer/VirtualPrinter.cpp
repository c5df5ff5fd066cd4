#include "VirtualPrinter.h"

#include "FileAccess.h"
#include "OwnerLock.h"
#include "StateFile.h"

#include <QDateTime>
#include <QFileInfo>

namespace printer {

namespace {
qint64 systemClock() {
    return QDateTime::currentMSecsSinceEpoch();
}
} // namespace

VirtualPrinter::VirtualPrinter() : VirtualPrinter(firstState(systemClock())) {}

VirtualPrinter::VirtualPrinter(PrinterState initial, Clock clock)
    : state_(std::move(initial)), clock_(clock ? std::move(clock) : Clock(systemClock)) {
    state_.lastPrintMs = now();
    restart();
}

VirtualPrinter::~VirtualPrinter() = default;

void VirtualPrinter::restart() {
    session.reset();
    commands.reset();
    line = std::make_unique<PrinterLine>(transcript_);
    commands = std::make_unique<CommandSet>(*line, state_, replyFaults, [this] { return now(); });
    session.emplace(commands->session());
    session->start();
}

void VirtualPrinter::setClock(Clock clock) {
    clock_ = clock ? std::move(clock) : Clock(systemClock);
    state_.lastPrintMs = now();
}

QByteArray VirtualPrinter::feed(quint8 hostByte) {
    state_.runUntil(now());
    const bool wrongEcho = wrongEchoIn == 0;
    if (wrongEchoIn >= 0)
        --wrongEchoIn;
    if (silenceIn == 0)
        silent = true;
    if (silenceIn >= 0)
        --silenceIn;
    if (silent || cutCount > 0) {
        if (cutCount > 0)
            --cutCount;
        lose(hostByte);
        return {};
    }
    transcript_.hostByte(hostByte);
    if (wrongEcho)
        line->wrongNextEcho();
    const QByteArray out = line->deliver(hostByte, transcript_.size() - 1);
    transcript_.printerBytes(out);
    if (commands->takeChanged() && !file.isEmpty())
        save();
    return out;
}

void VirtualPrinter::lose(quint8 hostByte) {
    transcript_.hostByte(hostByte, true);
}

QByteArray VirtualPrinter::endExchange() {
    silent = false; // a silence that has begun lasts to the end of its exchange
    const QByteArray out = line->endExchange();
    transcript_.printerBytes(out);
    if (commands->takeChanged() && !file.isEmpty())
        save();
    return out;
}

StateLoad VirtualPrinter::useStateFile(const QString &path, QString *error) {
    // Nothing but a regular file (or nothing yet) is ever locked, read or written over.
    if (const QString kind = files::otherKind(path); !kind.isEmpty()) {
        if (error)
            *error = QStringLiteral("%1 is %2, not a state file").arg(path, kind);
        return StateLoad::Refused;
    }
    auto lock = files::OwnerLock::onFile(path, error);
    if (!lock)
        return StateLoad::Refused;
    PrinterState loaded;
    const StateLoad how =
        QFileInfo::exists(path) ? loadState(path, loaded, error) : StateLoad::Loaded;
    if (how == StateLoad::Refused)
        return how;
    owner = std::move(lock);
    file = path;
    if (how == StateLoad::Loaded && QFileInfo::exists(path)) {
        state_ = std::move(loaded);
        state_.lastPrintMs = now();
    }
    return how;
}

bool VirtualPrinter::save(QString *error) const {
    return file.isEmpty() || saveState(file, state_, error);
}

void VirtualPrinter::silenceFrom(int n) {
    silenceIn = qMax(0, n);
}
void VirtualPrinter::wrongEchoAt(int n) {
    wrongEchoIn = qMax(0, n);
}
void VirtualPrinter::cutLine(int count) {
    cutCount = qMax(0, count);
}
void VirtualPrinter::shortReply(int keep) {
    line->cutNextReply(qMax(0, keep));
}
void VirtualPrinter::dropTextWrite() {
    replyFaults.dropTextWrite = true;
}

void VirtualPrinter::badNameChecksum() {
    replyFaults.badNameChecksum = true;
}
void VirtualPrinter::oversizeMark(OversizeMark kind) {
    replyFaults.oversizeMark = kind;
}

void VirtualPrinter::clearFaults() {
    silenceIn = wrongEchoIn = -1;
    silent = false;
    cutCount = 0;
    replyFaults = ReplyFaults{};
    line->clearFaults();
}

} // namespace printer
