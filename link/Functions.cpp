#include "Functions.h"

#include "Change.h"
#include "FragmentKind.h"
#include "PrintParameters.h"
#include "Turns.h"
#include "WireText.h"

namespace {
constexpr quint8 CR = 0x0D;

QString hexByte(quint8 byte) {
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

quint8 digit(int n) {
    return quint8(0x30 + n);
}

QByteArray leftPadded(const QByteArray &text, int width) {
    return text.size() >= width ? text : QByteArray(width - text.size(), '0') + text;
}

// --- Changes in the operator's words ----------------------------------------------------------

// The cell at row and column (from 1), 0..31 row by row; kNoCell when there is none.
int cellIndex(int row, int column) {
    if (row < 1 || row > kMarkRows || column < 1 || column > kMarkColumns)
        return -1;
    return (row - 1) * kMarkColumns + column - 1;
}

QString cellWords(int row, int column) {
    return QStringLiteral("cell %1,%2: ").arg(row).arg(column);
}

QString quoted(const char *what, const QByteArray &text) {
    return QStringLiteral("%1 \"%2\"").arg(QLatin1String(what), fromWire(text));
}

QString dayWords(const QByteArray &days) {
    bool number = false;
    const int count = trimBlanks(days).toInt(&number); // "0030" goes out; 30 days it is
    return QStringLiteral(", %1 days")
        .arg(number ? QString::number(count) : fromWire(trimBlanks(days)));
}

QString storageWords(int mode, int index) {
    switch (mode) {
    case 1:
        return QStringLiteral("the current mark from stored mark %1").arg(index + 1);
    case 2:
        return QStringLiteral("the current mark into stored mark %1").arg(index + 1);
    default:
        return QStringLiteral("mode %1, stored mark %2").arg(mode).arg(index + 1);
    }
}

// "12:34:56" from "123456", "01.02.26" from "010226"; as sent otherwise.
QString clockWords(const QByteArray &digits, char16_t separator) {
    QString text = fromWire(digits);
    if (text.size() == 6)
        text = text.left(2) + separator + text.mid(2, 2) + separator + text.mid(4);
    return text;
}

QString specWords(const QByteArray &g, const QByteArray &n, const QByteArray &e,
                  const QByteArray &s, const QByteArray &p, const QByteArray &q) {
    QStringList parts;
    const auto add = [&parts](const char *what, const QByteArray &value) {
        if (const QByteArray v = trimBlanks(value); !v.isEmpty())
            parts << QStringLiteral("%1 %2").arg(QLatin1String(what), fromWire(v));
    };
    add("fragment", q);
    add("initial", n);
    add("finish", e);
    add("step", s);
    add("discrete step", p);
    add("group", g);
    return parts.isEmpty() ? QStringLiteral("no counter") : parts.join(QStringLiteral(", "));
}

QString parameterWords(quint8 code, const char *way) {
    for (const PrintParameter &p : kPrintParameters)
        if (quint8(p.letter) == code)
            return QStringLiteral("%1 (%2) one step %3")
                .arg(QString::fromLatin1(p.name), QChar(p.letter), QLatin1String(way));
    return QStringLiteral("parameter %1h one step %2").arg(hexByte(code), QLatin1String(way));
}

QString logoWords(int number, const QByteArray &name) {
    return QStringLiteral("logo %1 \"%2\"").arg(number).arg(fromWire(trimBlanks(name)));
}
} // namespace

int portIndexOf(const QString &portName) {
    const QString name = trimBlanks(portName);
    for (int i = 0; i < 4; ++i)
        if (name.compare(QStringLiteral("Com%1").arg(i + 1), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int baudIndexOf(const QString &baudName) {
    const QString name = trimBlanks(baudName);
    for (size_t i = 0; i < kBaudTable.size(); ++i)
        if (name == QString::number(kBaudTable[i]))
            return int(i);
    return -1;
}

// --- The record of an operation ---------------------------------------------------------------

void Functions::forget(int cell) {
    PortState &s = state();
    if (cell == kWholeMark)
        s.cellsRead().clear();
    else if (cell >= 0)
        s.cellsRead().erase(cell);
}

void Functions::tellChange(const char *name, const QString &arguments,
                           const std::optional<QString> &before, bool ok) {
    Change change;
    change.operation = QString::fromLatin1(name);
    change.arguments = arguments;
    change.before = before;
    change.ok = ok;
    if (!ok)
        change.cause = state().causes.isEmpty() ? QString() : state().causes.last();
    recordChange(state(), std::move(change));
}

void Functions::begin(const char *name) {
    PortState &s = state();
    s.exchange.emplace();
    s.exchange->operation = QString::fromLatin1(name);
    s.exchange->started = QDateTime::currentDateTime();
    s.exchange->clock.start();
    s.watcher->began(*s.exchange);
}

void Functions::end(bool ok) {
    PortState &s = state();
    Exchange done = std::move(*s.exchange);
    s.exchange.reset();
    done.durationUs = done.clock.nsecsElapsed() / 1000;
    done.ok = ok;
    if (ok) // causes met on the way (a port of the search that did not answer) are not its own
        done.cause.clear();
    if (s.watcher)
        s.watcher->ended(done);
}

void Functions::noteEcho(quint8 byte, std::optional<quint8> echo) {
    // The last fault is the one that ended the operation (a search tries on after one).
    Exchange *x = state().exchange ? &*state().exchange : nullptr;
    if (!x)
        return;
    if (echo && *echo == byte) {
        ++x->echoed;
        return;
    }
    ++x->unanswered;
    x->fault = echo ? EchoFault::Wrong : EchoFault::Missing;
    x->faultByte = byte;
    x->faultEcho = echo.value_or(0);
}

// --- The exchange -------------------------------------------------------------------------

QString Functions::where() const {
    const PortState &s = io.state();
    return s.handle ? s.label() + QStringLiteral(" at %1 baud").arg(s.handle->baud()) : s.label();
}

bool Functions::fail(const QString &what) {
    io.state().note(where() + QStringLiteral(": ") + what);
    io.state().tell(false);
    return false;
}

bool Functions::sendable(std::initializer_list<QByteArray> texts) {
    for (const QByteArray &text : texts)
        if (const qsizetype at = controlByteAt(text); at >= 0) {
            state().note(QStringLiteral("the text holds a control byte (%1h) at position %2; "
                                        "nothing was sent")
                             .arg(hexByte(quint8(text[at])))
                             .arg(at + 1));
            return false;
        }
    return true;
}

bool Functions::takeTurn(int waitMs, const turns::Keeper *self) {
    PortState &s = state();
    if (s.turn)
        return true;
    const QString device = s.deviceInForce();
    if (device.isEmpty())
        return true; // nothing to share: the exchange fails on its own
    std::shared_ptr<turns::Turn> turn = turns::of(device);
    if (!turn->take(waitMs, self))
        return false;
    s.turn = std::move(turn);
    return true;
}

void Functions::giveTurn() {
    PortState &s = state();
    if (!s.turn)
        return;
    s.handle.reset(); // the next user opens the printer afresh, from its own thread
    s.turn->give();
    s.turn.reset();
}

void Functions::keepLine(const std::shared_ptr<turns::Keeper> &keeper) {
    PortState &s = state();
    if (!s.turn)
        return;
    s.turn->give(s.handle ? keeper : nullptr);
    s.turn.reset();
}

void Functions::closeKeptLine(const turns::Keeper *keeper) {
    PortState &s = state();
    if (!s.handle)
        return;
    const QString device = s.handle->device;
    s.handle.reset();
    turns::of(device)->forget(keeper);
}

void Functions::shareLine(bool on) {
    PortState &s = state();
    s.sharesLine = on;
    if (on && s.running == 0 && !s.turn)
        s.handle.reset();
}

void Functions::refuse(const char *name, const char *why) {
    // Not into the record of the exchange under way: that one is not what failed.
    state().causes
        << QStringLiteral("%1 was not started: %2").arg(QLatin1String(name), QLatin1String(why));
}

bool Functions::SendByte(quint8 byte) {
    return watched(__func__, [&] {
        io.PurgeInput();
        if (!io.WriteByte(byte))
            return fail(QStringLiteral("the byte %1 could not be sent").arg(hexByte(byte)));
        const auto echo = io.ReadByte();
        noteEcho(byte, echo);
        if (!echo)
            return fail(QStringLiteral("the printer did not answer"));
        if (*echo != byte)
            return fail(
                QStringLiteral("the printer echoed %1 for %2").arg(hexByte(*echo), hexByte(byte)));
        io.state().tell(true);
        return true;
    });
}

std::optional<quint8> Functions::ReceiveByte() {
    return watched(__func__, [&]() -> std::optional<quint8> {
        std::optional<quint8> byte;
        for (int attempt = 0; attempt < 10 && !byte; ++attempt) {
            byte = io.ReadByte();
            if (!byte)
                io.Wait(10);
        }
        if (!byte) {
            fail(QStringLiteral("the printer did not acknowledge"));
            return std::nullopt;
        }
        if (!io.WriteByte(*byte)) {
            fail(QStringLiteral("the acknowledgement could not be sent back"));
            return std::nullopt;
        }
        return byte;
    });
}

std::optional<quint8> Functions::firstReplyByte() {
    const int bound =
        100 + (state().handle ? int(state().handle->timeouts().readTotalTimeoutConstant +
                                    state().handle->timeouts().readTotalTimeoutMultiplier)
                              : 0);
    const auto byte = io.ReadByteWithin(bound);
    if (!byte)
        fail(QStringLiteral("the printer's reply stopped short"));
    return byte;
}

std::optional<quint8> Functions::reply() {
    const auto byte = io.ReadByte();
    if (!byte)
        fail(QStringLiteral("the printer's reply stopped short"));
    return byte;
}

bool Functions::Connect() {
    return watched(__func__, [&] {
        PortState &s = state();
        s.causes.clear();
        const int port = portIndexOf(s.portName);
        // A printer chosen by name, or one of the four ports.
        const bool named = !s.printerDevice.isEmpty() || port >= 0;
        const QString device = s.deviceInForce();
        // The line stays open from one exchange to the next while it is the same device and the
        // device is there; it is opened afresh on another port or device, or once the device
        // went away.
        const bool keep = named && s.handle && !s.handle->gone() && s.handle->device == device;
        if (keep) {
            s.handle->beginExchange();
            s.tell(true);
        } else if (named && !io.OpenDevice(device, s.label())) {
            return false;
        }
        // A port name that is none of the four keeps the port already held; with none held there
        // is nothing to talk to.
        if (!named && !s.handle) {
            s.note(QStringLiteral("the port \"%1\" is none of Com1..Com4, and no port is open")
                       .arg(s.portName));
            return false;
        }
        const int baud = baudIndexOf(s.baudName);
        const bool sameRate = keep && baud >= 0 && s.handle->baud() == kBaudTable[size_t(baud)];
        if (baud >= 0 && !sameRate && !io.SetLine(baud))
            return fail(QStringLiteral("the line could not be set to %1 baud").arg(s.baudName));
        io.SetStandardTimeouts();
        io.PurgeInput();
        return s.handle != nullptr;
    });
}

bool Functions::SetProbeTimeouts() {
    PortState &s = state();
    if (!s.handle)
        return false;
    s.savedTimeouts = s.handle->timeouts();
    s.probeTimeouts = s.savedTimeouts;
    s.probeTimeouts.readIntervalTimeout = 2;
    s.probeTimeouts.readTotalTimeoutMultiplier = 5;
    s.probeTimeouts.readTotalTimeoutConstant = 400;
    return s.handle->setTimeouts(s.probeTimeouts);
}

bool Functions::DetectBaudRate(const CarryOn &carryOn) {
    return watched(__func__, [&] {
        for (int index = int(kBaudTable.size()) - 1; index >= 3; --index) { // 57600 down to 9600
            if (carryOn && !carryOn()) {
                state().note(QStringLiteral("the search was cancelled"));
                return false;
            }
            if (io.SetLine(index) && SendByte(CR)) {
                state().baudName = QString::number(kBaudTable[size_t(index)]);
                return true;
            }
        }
        return false;
    });
}

bool Functions::probe(const CarryOn &carryOn) {
    // One line for the port, not one a rate.
    const qsizetype before = state().causes.size();
    const QString label = where().section(QStringLiteral(" at "), 0, 0);
    if (DetectBaudRate(carryOn))
        return true;
    state().causes.resize(before);
    state().note(label + QStringLiteral(": no answer at 57600, 38400, 19200 or 9600 baud; is the "
                                        "printer on and its cable in this port?"));
    return false;
}

bool Functions::FindDevice(const CarryOn &carryOn) {
    return watched(__func__, [&] {
        PortState &s = state();
        s.causes.clear();
        // A printer chosen by name is looked for on its own device only.
        if (!s.printerDevice.isEmpty())
            return io.OpenDevice(s.printerDevice, s.label()) && SetProbeTimeouts() &&
                   probe(carryOn);
        const int named = portIndexOf(s.portName);
        const bool namedUnusable = named >= 0 && !io.OpenPort(named);
        if (!namedUnusable && SetProbeTimeouts() && probe(carryOn))
            return true;

        for (int port = 0; port < 4; ++port) {
            if (carryOn && !carryOn())
                return false;
            if (port == named && namedUnusable)
                continue; // its reason is told already
            if (!io.OpenPort(port))
                continue;
            SetProbeTimeouts();
            const bool found = probe(carryOn);
            if (s.handle)
                s.handle->setTimeouts(s.savedTimeouts);
            if (found) {
                s.portName = QStringLiteral("Com%1").arg(port + 1);
                return true;
            }
        }
        return false;
    });
}

void Functions::Pause(int ms) {
    io.Wait(ms);
}

// --- Helpers ---------------------------------------------------------------------------------

bool Functions::send(std::initializer_list<quint8> bytes) {
    for (quint8 b : bytes)
        if (!SendByte(b))
            return false;
    return true;
}

bool Functions::send(const QByteArray &bytes) {
    for (char c : bytes)
        if (!SendByte(quint8(c)))
            return false;
    return true;
}

bool Functions::command(std::initializer_list<quint8> bytes) {
    return Connect() && send(bytes);
}

bool Functions::readBytesInto(int count, std::function<void(int, quint8)> store) {
    for (int i = 0; i < count; ++i) {
        const auto b = reply();
        if (!b)
            return false;
        store(i, *b);
    }
    return true;
}

bool Functions::readText(int count, QByteArray &text) {
    return readBytesInto(count, [&](int, quint8 b) { text.append(char(b)); });
}

bool Functions::drain(int count) {
    return readBytesInto(count, [](int, quint8) {});
}

// --- Commands ---------------------------------------------------------------------------------

bool Functions::Start() {
    return plainChange(__func__, kNoCell, [&] { return command({0x17}); });
}
bool Functions::Stop() {
    return plainChange(__func__, kNoCell, [&] { return command({0x02}); });
}
bool Functions::PrintStart() {
    return plainChange(__func__, kNoCell, [&] { return command({0x17}); });
}
bool Functions::HighVoltageTurn() {
    return plainChange(__func__, kNoCell, [&] { return command({0x02}); });
}
bool Functions::Reset() {
    return plainChange(__func__, kWholeMark, [&] { return command({0x12}); });
}
bool Functions::RunningNumberReset() {
    return plainChange(__func__, kNoCell, [&] { return command({0x1F}); });
}
bool Functions::RunningNumberForward() {
    return plainChange(__func__, kNoCell, [&] {
        return command({0x0C, 'N'}) && io.WriteByte(0x14);
    });
}
bool Functions::RunningNumberBack() {
    return plainChange(__func__, kNoCell, [&] {
        return command({0x0C, 'N'}) && io.WriteByte(0x13);
    });
}
bool Functions::AutoRunStop() {
    return plainChange(__func__, kNoCell, [&] { return command({0x0B, 'A'}); });
}
bool Functions::MarkDelete() {
    return plainChange(__func__, kWholeMark, [&] { return command({0x0B, 'M'}); });
}
bool Functions::MarkPrintForward() {
    return plainChange(__func__, kWholeMark, [&] { return command({0x1E, 0x14, CR}); });
}
bool Functions::MarkPrintBack() {
    return plainChange(__func__, kWholeMark, [&] { return command({0x1E, 0x13, CR}); });
}
bool Functions::BreakPointCorrectionOn() {
    return plainChange(__func__, kNoCell, [&] { return command({0x1E, 0x15, CR}); });
}
bool Functions::BreakPointCorrectionOff() {
    return plainChange(__func__, kNoCell, [&] { return command({0x1E, 0x16, CR}); });
}
bool Functions::MarkRotateOn() {
    return plainChange(__func__, kNoCell, [&] { return command({0x1E, 'D', CR}); });
}
bool Functions::MarkRotateOff() {
    return plainChange(__func__, kNoCell, [&] { return command({0x1E, 'U', CR}); });
}
bool Functions::KeyboardSelect() {
    return plainChange(__func__, kNoCell, [&] { return command({0x07, 'A'}); });
}
bool Functions::KeyboardOff() {
    return plainChange(__func__, kNoCell, [&] { return command({0x12, '*', 'U', 'O'}); });
}

bool Functions::SetAutoRunPeriod(const QByteArray &text) {
    return changing(
        __func__, kNoCell,
        [&] { return QStringLiteral("every %1").arg(fromWire(trimBlanks(text))); },
        [&] {
            const QByteArray period = leftPadded(trimBlanks(text), 3);
            return sendable({period}) && command({0x0C, 'A'}) && send(period) && send({CR});
        });
}

bool Functions::MarkStorage(int mode, int index) {
    return changing(
        __func__, mode == 2 ? kNoCell : kWholeMark, [&] { return storageWords(mode, index); },
        [&] {
            if (!command({0x0C}))
                return false;
            static constexpr quint8 letters[] = {'M', 'R', 'W'};
            if (mode >= 0 && mode <= 2 && !SendByte(letters[mode]))
                return false;
            return send({digit(index), CR});
        });
}

bool Functions::SetTime(const QByteArray &hhmmss) {
    return changing(
        __func__, kNoCell, [&] { return clockWords(hhmmss, u':'); },
        [&] {
            return sendable({hhmmss}) && command({0x1A, 'T'}) && send(hhmmss) && send({CR});
        });
}

bool Functions::SetDate(const QByteArray &ddmmyy) {
    return changing(
        __func__, kNoCell, [&] { return clockWords(ddmmyy, u'.'); },
        [&] {
            return sendable({ddmmyy}) && command({0x1A, 'D'}) && send(ddmmyy) && send({CR});
        });
}

bool Functions::SetFont(int fontSize, int row, int column) {
    return changing(
        __func__, cellIndex(row, column),
        [&] { return cellWords(row, column) + QStringLiteral("font %1").arg(fontSize); },
        [&] {
            return command({0x1B, digit(row), digit(column), digit(fontSize), CR});
        });
}

bool Functions::WriteTimeDateFragment(int row, int column, const QByteArray &text) {
    return changing(
        __func__, cellIndex(row, column),
        [&] { return cellWords(row, column) + quoted("date/time", text); },
        [&] {
            return sendable({text}) && command({0x1A, digit(row), digit(column)}) && send(text) &&
                   send({CR});
        });
}

bool Functions::WriteCounterFragment(int row, int column, const QByteArray &text) {
    return changing(
        __func__, cellIndex(row, column),
        [&] { return cellWords(row, column) + quoted("counter", text); },
        [&] {
            return sendable({text}) && command({0x19, digit(row), digit(column)}) && send(text) &&
                   send({CR});
        });
}

bool Functions::WritePostDateFragment(int row, int column, const QByteArray &offset,
                                      const QByteArray &text) {
    return changing(
        __func__, cellIndex(row, column),
        [&] { return cellWords(row, column) + quoted("post-date", text) + dayWords(offset); },
        [&] {
            return sendable({text, offset}) && command({0x1D, digit(row), digit(column)}) &&
                   send(text) && send({CR}) && SetPostDays(offset);
        });
}

bool Functions::SetPostDays(const QByteArray &days) {
    return changing(
        __func__, kNoCell, [&] { return dayWords(days).mid(2); },
        [&] {
            return sendable({days}) && command({0x1D, 'D'}) && send(days) && send({CR});
        });
}

bool Functions::WriteTextFragment(int row, int column, const QByteArray &text) {
    return changing(
        __func__, cellIndex(row, column),
        [&] { return cellWords(row, column) + quoted("text", text.left(38)); },
        [&] {
            return sendable({text}) && command({0x18, digit(row), digit(column)}) &&
                   send(text.left(38)) && send({CR});
        });
}

bool Functions::PlaceLogo(int logoNumber, int row, int column) {
    return changing(
        __func__, cellIndex(row, column),
        [&] { return cellWords(row, column) + QStringLiteral("logo %1").arg(logoNumber); },
        [&] {
            return command({0x1C, digit(row), digit(column), quint8(logoNumber), CR});
        });
}

bool Functions::ReadFragment(int row, int column, FragmentReply &cell) {
    return watched(__func__, [&] {
        cell.text.clear();
        if (!command({0x11, digit(row), digit(column)}))
            return false;
        const auto count = reply();
        if (!count || !readText(*count, cell.text))
            return false;
        const auto font = reply();
        if (!font)
            return false;
        cell.font = *font;
        const auto kind = reply();
        if (!kind)
            return false;
        cell.kind = *kind;
        if (const int index = cellIndex(row, column); state().recorder && index >= 0)
            state().cellsRead()[index] = describeCell(cell, state().fontCount);
        return true;
    });
}

bool Functions::WriteSpecFunc(const QByteArray &g, const QByteArray &n, const QByteArray &e,
                              const QByteArray &s, const QByteArray &p, const QByteArray &q) {
    return changing(
        __func__, kNoCell, [&] { return specWords(g, n, e, s, p, q); },
        [&] {
            const QByteArray group = trimBlanks(g), init = trimBlanks(n), finish = trimBlanks(e),
                             step = trimBlanks(s), discrete = trimBlanks(p),
                             fragment = trimBlanks(q);
            if (!sendable({group, init, finish, step, discrete, fragment}))
                return false;
            const qsizetype counterLength =
                init.size() + finish.size() + step.size() + discrete.size();
            const bool hasGroup = !group.isEmpty();
            bool groupOk = true;
            const int groupValue = hasGroup ? group.toInt(&groupOk) : 0;
            // The group goes out as one digit byte: refuse what no byte can carry before sending
            // anything.
            if (!groupOk || groupValue < 0 || groupValue > 0xFF - 0x30)
                return false;

            if (counterLength > 0) {
                if (!command({0x01, 'Q', 'I', 'Q'}) || !send(leftPadded(fragment, 2)) ||
                    !send({'N'}) || !send(leftPadded(init, 8)) || !send({'E'}) ||
                    !send(leftPadded(finish, 8)) || !send({'S'}) || !send(leftPadded(step, 4)) ||
                    !send({'P'}) || !send(leftPadded(discrete, 4)))
                    return false;
                if (!hasGroup)
                    return send({CR});
            }
            if (hasGroup) {
                if (counterLength == 0 && !command({0x01, 'Q'}))
                    return false;
                return send({'I', 'G', digit(groupValue), CR});
            }
            return command({0x01, 'Q', 'I', CR});
        });
}

bool Functions::ReadTimeParams(StateBlock &block) {
    return watched(__func__, [&] {
        block.received = 0;
        if (!command({0x08}))
            return false;
        const auto count = reply();
        if (!count)
            return false;
        // The first 14 bytes fill the block; any further ones are read and dropped so the exchange
        // ends on the reply's last byte.
        const bool ok = readBytesInto(*count, [&](int i, quint8 b) {
            if (i < int(block.bytes.size())) {
                block.bytes[size_t(i)] = b;
                block.received = i + 1;
            }
        });
        if (ok && block.received == int(block.bytes.size()))
            state().fontCount = block.fontCount();
        return ok;
    });
}

// A command answered by one byte, which the host acknowledges with 12h.
bool Functions::readAcknowledged(std::initializer_list<quint8> bytes, quint8 &value) {
    if (!command(bytes))
        return false;
    const auto b = reply();
    if (!b)
        return false;
    value = *b;
    return io.WriteByte(0x12);
}

bool Functions::ReadParam(quint8 code, quint8 &value) {
    return watched(__func__, [&] { return readAcknowledged({0x0C, code, 0x05}, value); });
}

bool Functions::readStep(quint8 code, quint8 step, quint8 &value) {
    if (!command({0x0C, code, step, 0x05}))
        return false;
    const auto b = reply();
    if (!b)
        return false;
    value = *b;
    return send({0x00, CR});
}

bool Functions::IncreaseParam(quint8 code, quint8 &value) {
    return changing(
        __func__, kNoCell, [&] { return parameterWords(code, "up"); },
        [&] { return readStep(code, 0x15, value); });
}
bool Functions::DecreaseParam(quint8 code, quint8 &value) {
    return changing(
        __func__, kNoCell, [&] { return parameterWords(code, "down"); },
        [&] { return readStep(code, 0x16, value); });
}

bool Functions::ReadByteStatus(quint8 &status) {
    return watched(__func__, [&] { return readAcknowledged({0x0C, 0x09}, status); });
}

bool Functions::ReadScript(QByteArray &text) {
    return watched(__func__, [&] {
        text.clear();
        if (!command({0x01, 0x05}))
            return false;
        const auto count = reply();
        return count && readText(*count, text);
    });
}

bool Functions::ReadHydroStatus(QByteArray &text) {
    return watched(__func__, [&] {
        text.clear();
        // The ink-system read goes out on the port as it stands, without reopening it, unless
        // its device went away since: then it is opened afresh.
        const auto &line = state().handle;
        if (line && line->gone() && !Connect())
            return false;
        if (!send({0x12, '*', 'L', 'l'}))
            return false;
        // The reply's first byte is waited for as long as the printer may take (its 100 ms and a
        // byte's read time-out), not a fixed 100 ms before the read.
        const auto first = firstReplyByte();
        if (!first)
            return false;
        text.append(char(*first));
        return readText(37, text);
    });
}

bool Functions::ReadLogoNamesList(LogoNames &names) {
    return watched(__func__, [&] {
        names.count = 0;
        names.records.clear();
        if (!command({0x01, 0x03}))
            return false;
        const auto count = firstReplyByte();
        if (!count)
            return false;
        names.count = *count;
        return readText(*count * 10, names.records);
    });
}

bool Functions::ReadMarkImage(MarkImage &image, const std::function<bool(int)> &progress) {
    return watched(__func__, [&] {
        const auto goOn = [&progress](int position) { return !progress || progress(position); };
        for (auto &column : image.dots)
            column.fill(0xFF);
        if (!command({0x07, 0x08, 0x08}))
            return false;
        if (const auto h = io.ReadByteWithin(1000))
            image.height = *h;
        const auto low = reply();
        if (!low)
            return false;
        const auto high = reply();
        if (!high)
            return false;
        const int length = *low + 255 * *high;
        const int height = image.height;
        // A picture that does not fit the store is refused before anything is written into it, and
        // the image is left describing no mark rather than a size it cannot hold.
        if (height < 0 || height > 4 || height * length > MarkImage::kImageBytes) {
            image.height = image.length = 0;
            return fail(QStringLiteral("the printer sent a mark larger than any mark can be"));
        }
        image.length = length;
        const int bytes = height * length;
        if (bytes > 0) {
            if (!goOn(0))
                return false;
            if (!readBytesInto(bytes, [&](int i, quint8 b) {
                    image.dots[size_t(i / height)][size_t(i % height)] = quint8(255 - b);
                }))
                return false;
        }
        int position = bytes / 256;
        int counter = position;
        if (!goOn(position))
            return false;
        for (int i = bytes; i < MarkImage::kImageBytes; ++i) {
            if (++counter > 256) {
                counter = 0;
                ++position;
            }
            if (!reply() || !goOn(position))
                return false;
        }
        return goOn(20);
    });
}

// --- Logos --------------------------------------------------------------------------------------

bool Functions::ReadLogoPreview(int number, LogoImage &image) {
    return watched(__func__, [&] {
        image.fill(0xFF);
        if (!command({0x07, 0x00, quint8(number)}))
            return false;
        if (const auto b = io.ReadByteWithin(1000)) {
            if (*b > 4) // the image holds 4 bytes a column: keep it within what it can hold
                return fail(QStringLiteral("the printer sent a logo taller than any logo can be"));
            image.bytesPerColumn = *b;
        }
        const auto c = reply();
        if (!c)
            return false;
        int B = image.bytesPerColumn, C = *c;
        if (B < 0 || B > 4) // kept from an earlier read of an empty slot (32)
            return false;
        int skip = 0;
        while (C * B > LogoImage::kDataBytes) {
            --C;
            skip += B;
        }
        image.columnCount = C;
        if (B == 0 && C == 0) {
            // An empty slot: no dots (the fill above would show every dot set), a 32 x 32 size.
            image.fill(0x00);
            image.bytesPerColumn = image.columnCount = 32;
        } else if (!readBytesInto(C * B, [&](int i, quint8 v) {
                       image.dots[size_t(i / B)][size_t(i % B)] = quint8(0xFF - v);
                   })) {
            return false;
        }
        return drain(skip) && SendByte('s');
    });
}

bool Functions::readLogoBody(LogoImage &image, QByteArray &name) {
    const auto b = reply();
    if (!b)
        return false;
    const auto c = reply();
    if (!c)
        return false;
    int B = *b, C = *c;
    if (B > 4) // the image holds 4 bytes a column: refused before its size is taken
        return fail(QStringLiteral("the printer sent a logo taller than any logo can be"));
    while (B * C > LogoImage::kDataBytes)
        --C;
    image.bytesPerColumn = B;
    image.columnCount = C;
    if (B == 0 && C == 0) {
        // An empty slot: no dots (the fill above would show every dot set), a 32 x 32 size.
        image.fill(0x00);
        B = C = image.bytesPerColumn = image.columnCount = 32;
    } else if (!readBytesInto(B * C, [&](int i, quint8 v) {
                   image.dots[size_t(i / B)][size_t(i % B)] = quint8(0xFF - v);
               })) {
        return false;
    }
    name.clear();
    if (!drain(qMax(0, 501 - B * C)))
        return false;
    QByteArray tail;
    if (!readText(9, tail))
        return false;
    name = nameFromTail(tail);
    return true;
}

bool Functions::ReadLogo(int number, LogoImage &image, QByteArray &name) {
    return watched(__func__, [&] {
        image.fill(0xFF);
        return command({0x07, 0x01, quint8(number)}) && readLogoBody(image, name) && SendByte('s');
    });
}

bool Functions::writeLogoFrame(int number, int B, int C, const QByteArray &frame) {
    if (!command({0x07, 0x89, quint8(number)}))
        return false;
    Pause(9);
    if (!io.WriteByte(quint8(B)))
        return false;
    Pause(9);
    if (!io.WriteByte(quint8(C)))
        return false;
    if (io.WriteBlock(frame) != frame.size())
        return false;
    const auto ack = ReceiveByte();
    if (ack && *ack != 's')
        return fail(QStringLiteral("the printer refused the logo"));
    logoUnconfirmed = !ack;
    return ack.has_value();
}

bool Functions::WriteLogo(int number, int B, int C, const QByteArray &name,
                          const LogoImage &image) {
    return changing(
        __func__, kNoCell,
        [&] {
            return logoWords(number, name) + QStringLiteral(", %1 x %2 dots").arg(C).arg(B * 8);
        },
        [&] {
            if (B < 0 || B > 4 || C < 0 || !sendable({name}))
                return false;
            C = qMin(C, 255); // the column count travels as one byte
            while (B * C > LogoImage::kDataBytes)
                --C;
            return writeLogoFrame(number, B, C, logoFrame(image.dots, B, C, name, true));
        });
}

LogoWrite Functions::WriteLogoChecked(int number, int B, int C, const QByteArray &name,
                                      const LogoImage &image) {
    // Told as the write it is, with the read-back's verdict as its outcome.
    return noted(
        "WriteLogo", kNoCell,
        [&] {
            return logoWords(number, name) + QStringLiteral(", %1 x %2 dots").arg(C).arg(B * 8);
        },
        [&] { return writeLogoChecked(number, B, C, name, image); });
}

LogoWrite Functions::writeLogoChecked(int number, int B, int C, const QByteArray &name,
                                      const LogoImage &image) {
    logoUnconfirmed = false;
    if (WriteLogo(number, B, C, name, image))
        return LogoWrite::Confirmed;
    if (!logoUnconfirmed)
        return LogoWrite::Failed;
    // The whole frame went out, but the printer's closing 's' never came: the slot says whether
    // the printer took the logo.
    C = qMin(C, 255);
    while (B * C > LogoImage::kDataBytes)
        --C;
    LogoImage held;
    QByteArray heldName;
    if (!ReadLogo(number, held, heldName)) {
        state().note(QStringLiteral("the printer did not confirm logo %1, and the slot could not "
                                    "be read back: what it holds is unknown")
                         .arg(number));
        return LogoWrite::Failed;
    }
    if (held.bytesPerColumn == B && held.columnCount == C &&
        logoFrame(held.dots, B, C, heldName, false) == logoFrame(image.dots, B, C, name, true))
        return LogoWrite::HeldAsWritten;
    state().note(
        held.bytesPerColumn > 4
            ? QStringLiteral("the printer did not confirm logo %1; read back, the slot is empty")
                  .arg(number)
            : QStringLiteral("the printer did not confirm logo %1; read back, the slot holds "
                             "another logo (%2 x %3, \"%4\")")
                  .arg(number)
                  .arg(held.bytesPerColumn)
                  .arg(held.columnCount)
                  .arg(QString::fromLatin1(trimBlanks(heldName))));
    return LogoWrite::Failed;
}

bool Functions::RenameLogo(int number, const QByteArray &name, LogoImage &image) {
    return changing(
        __func__, kNoCell, [&] { return logoWords(number, name); },
        [&] {
            QByteArray oldName;
            if (!sendable({name}) || !ReadLogo(number, image, oldName))
                return false;
            // A slot that answers no size has nothing that would fit a frame: write nothing back.
            if (image.bytesPerColumn > 4)
                return false;
            Pause(10);
            const int B = image.bytesPerColumn, C = image.columnCount;
            return writeLogoFrame(number, B, C, logoFrame(image.dots, B, C, name, false));
        });
}

bool Functions::DeleteLogo(int number, LogoImage &image) {
    return changing(
        __func__, kNoCell, [&] { return QStringLiteral("logo %1").arg(number); },
        [&] {
            image.fill(0x00);
            image.bytesPerColumn = 4;
            image.columnCount = 1;
            return WriteLogo(number, 4, 1, QByteArray(), image);
        });
}
