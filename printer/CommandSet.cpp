#include "CommandSet.h"

#include <map>

namespace printer {

namespace {

constexpr quint8 CR = 0x0D;

int rowOf(quint8 digit) {
    return digit >= '1' && digit <= '0' + kRows ? digit - '0' : 0;
}
int columnOf(quint8 digit) {
    return digit >= '1' && digit <= '0' + kColumns ? digit - '0' : 0;
}

// A fragment of a new kind in a cell keeps the cell's font (a graphic had none).
void putFragment(PrinterState &state, int row, int column, Fragment::Kind kind,
                 const QByteArray &text) {
    Fragment &f = state.cell(row, column);
    const quint8 font = f.kind == Fragment::Kind::Graphic ? 0 : f.font;
    f = Fragment{};
    f.kind = kind;
    f.font = font;
    f.text = text;
}

} // namespace

CommandSet::CommandSet(PrinterLine &printerLine, PrinterState &printerState,
                       ReplyFaults &replyFaults, Clock now)
    : line(printerLine), state(printerState), faults(replyFaults), clockMs(std::move(now)) {}

CommandSet::Handler CommandSet::handlerFor(quint8 firstByte) {
    static const std::map<quint8, Handler> table{
        {0x01, &CommandSet::prefix01},
        {0x02, &CommandSet::stopOrHighVoltage},
        {0x07, &CommandSet::prefix07},
        {0x08, &CommandSet::readTimeParams},
        {0x0B, &CommandSet::prefix0B},
        {0x0C, &CommandSet::prefix0C},
        {0x0D, &CommandSet::probe},
        {0x11, &CommandSet::readFragment},
        {0x12, &CommandSet::resetOrInkSystem},
        {0x17, &CommandSet::start},
        {0x18, &CommandSet::writeTextFragment},
        {0x19, &CommandSet::writeCounterFragment},
        {0x1A, &CommandSet::prefix1A},
        {0x1B, &CommandSet::setFont},
        {0x1C, &CommandSet::placeLogo},
        {0x1D, &CommandSet::prefix1D},
        {0x1E, &CommandSet::markSwitch},
        {0x1F, &CommandSet::runningNumberReset},
    };
    const auto it = table.find(firstByte);
    return it == table.end() ? nullptr : it->second;
}

ByteTask CommandSet::session() {
    for (;;) {
        try {
            line.setIdle(true);
            const quint8 first = co_await line.acked();
            line.setIdle(false);
            line.beginCommand();
            if (const Handler handler = handlerFor(first))
                co_await (this->*handler)();
        } catch (const ExchangeEnded &) {
            // The host gave up in the middle of a command; the next byte starts a new one.
        }
        line.endCommand();
    }
}

// --- Shared pieces ------------------------------------------------------------------------------

ByteTask CommandSet::text(QByteArray &out) {
    out.clear();
    for (;;) {
        const quint8 b = co_await line.acked();
        if (b == CR)
            co_return;
        if (out.size() < kMaxFragmentText)
            out.append(char(b));
    }
}

ByteTask CommandSet::cellAddress(int &row, int &column) {
    row = rowOf(co_await line.acked());
    column = columnOf(co_await line.acked());
}

ByteTask CommandSet::swallow(quint8 expected) {
    const auto b = co_await line.rawOrEnd();
    if (b && *b != expected)
        line.pushBack(*b);
}

ByteTask CommandSet::sendAndTakeAck(const QByteArray &reply) {
    line.reply(reply);
    const auto b = co_await line.rawOrEnd();
    if (b && *b == 's')
        line.echo(*b);
    else if (b)
        line.pushBack(*b);
}

// --- One-byte commands --------------------------------------------------------------------------

ByteTask CommandSet::probe() {
    name("Probe"); // the printer search sends a lone CR at each rate
    co_return;
}

ByteTask CommandSet::start() {
    name("Start");
    state.start(now());
    co_return;
}

ByteTask CommandSet::stopOrHighVoltage() {
    // Stop and HighVoltageTurn share the byte: it stops a run, and turns the high voltage over
    // when no run is going.
    if (state.started) {
        name("Stop");
        state.started = false;
    } else {
        name("HighVoltageTurn");
        state.highVoltage = !state.highVoltage;
    }
    co_return;
}

ByteTask CommandSet::runningNumberReset() {
    name("RunningNumberReset");
    state.resetCounters();
    touched();
    co_return;
}

ByteTask CommandSet::resetOrInkSystem() {
    // A lone 12 is Reset; 12 '*' begins an ink-system command. Which one it was shows only with
    // the next byte (or the end of the exchange).
    name("Reset");
    const auto next = co_await line.rawOrEnd();
    if (next && *next == '*') {
        line.echo(*next);
        co_await inkSystem();
        co_return;
    }
    state.started = false;
    state.highVoltage = false;
    state.keyboardSelected = false;
    if (next)
        line.pushBack(*next);
}

ByteTask CommandSet::inkSystem() {
    const quint8 a = co_await line.acked();
    const quint8 b = co_await line.acked();
    if (a == 'U' && b == 'O') {
        name("KeyboardOff");
        state.keyboardSelected = false;
    } else if (a == 'L' && b == 'l') {
        name("ReadHydroStatus");
        line.reply(state.hydroStatus());
    } else {
        name("Unknown");
    }
}

ByteTask CommandSet::readTimeParams() {
    name("ReadTimeParams");
    const QByteArray block = state.stateBlock(now());
    line.reply(char(block.size()) + block);
    co_return;
}

// --- 01: names list, script, special functions --------------------------------------------------

ByteTask CommandSet::prefix01() {
    const quint8 second = co_await line.acked();
    if (second == 0x03)
        co_await readLogoNamesList();
    else if (second == 0x05)
        co_await readScript();
    else if (second == 'Q')
        co_await writeSpecFunc();
}

ByteTask CommandSet::readScript() {
    name("ReadScript");
    const QByteArray script = state.script.text().left(255);
    line.reply(char(script.size()) + script);
    co_return;
}

ByteTask CommandSet::writeSpecFunc() {
    // The whole script in one transfer, which replaces the one held:
    //   I Q <fragment> N <initial> E <finish> S <step> P <discrete> [I G <group>] CR
    //   I G <group> CR        (only the group)
    //   I CR                  (no special function)
    name("WriteSpecFunc");
    Script next;
    quint8 b = co_await line.acked();
    if (b != 'I')
        co_return;
    b = co_await line.acked();
    if (b == 'Q') {
        QByteArray *fields[] = {&next.fragment, &next.initial, &next.finish, &next.step,
                                &next.discrete};
        const quint8 letters[] = {'N', 'E', 'S', 'P'};
        for (int i = 0; i < 5; ++i) {
            for (;;) {
                b = co_await line.acked();
                const bool last = i == 4;
                if (!last && b == letters[i])
                    break;
                if (last && (b == CR || b == 'I'))
                    break;
                if (b == CR)
                    co_return; // cut short: not a script
                if (fields[i]->size() < kMaxFragmentText)
                    fields[i]->append(char(b));
            }
        }
        next.hasCounter = true;
        if (b == 'I')
            b = co_await line.acked();
    }
    if (b == 'G') {
        const quint8 group = co_await line.acked();
        if (co_await line.acked() != CR)
            co_return;
        next.hasGroup = true;
        next.group = group;
    } else if (b != CR) {
        co_return;
    }
    state.writeScript(next);
    touched();
}

// --- 0B: auto-run stop, mark delete -------------------------------------------------------------

ByteTask CommandSet::prefix0B() {
    const quint8 second = co_await line.acked();
    if (second == 'A') {
        name("AutoRunStop");
        state.started = false;
    } else if (second == 'M') {
        name("MarkDelete");
        state.mark = Mark{};
        touched();
    }
}

// --- 0C: running-number direction, auto-run period, mark storage, parameters, status ------------

ByteTask CommandSet::prefix0C() {
    const quint8 second = co_await line.acked();
    if (second == 'N')
        co_await runningNumberDirection();
    else if (second == 'A')
        co_await setAutoRunPeriod();
    else if (second == 'M' || second == 'R' || second == 'W')
        co_await markStorage(second);
    else if (second == 0x09)
        co_await readByteStatus();
    else if (parameterIndex(second) >= 0)
        co_await parameter(second);
    else if (second >= '0' && second < '0' + kStorePlaces)
        co_await modelessMarkStorage(second);
}

ByteTask CommandSet::runningNumberDirection() {
    // The host writes the direction byte without waiting for an echo; a CR instead means the
    // 'N' was a store place without a mode.
    const quint8 b = co_await line.raw();
    if (b == 0x14 || b == 0x13) {
        name(b == 0x14 ? "RunningNumberForward" : "RunningNumberBack");
        state.countUp = b == 0x14;
        touched();
    } else if (b == CR) {
        line.echo(b);
        name("MarkStorage");
    } else {
        line.pushBack(b);
    }
}

ByteTask CommandSet::setAutoRunPeriod() {
    QByteArray digits;
    co_await text(digits);
    if (digits.isEmpty()) { // 0C 'A' CR: a store place without a mode
        name("MarkStorage");
        co_return;
    }
    name("SetAutoRunPeriod");
    bool ok = false;
    const int period = digits.toInt(&ok);
    if (ok && period >= 0 && period <= 255) {
        state.runUntil(now()); // what fell due under the old period
        state.autoRunPeriod = quint8(period);
        touched();
    }
}

ByteTask CommandSet::markStorage(quint8 mode) {
    name("MarkStorage");
    const quint8 index = co_await line.acked();
    if (index == CR) // the letter was a store place without a mode
        co_return;
    const quint8 end = co_await line.acked();
    if (end != CR || index < '0' || index >= '0' + kStorePlaces)
        co_return;
    std::optional<Mark> &place = state.store[size_t(index - '0')];
    if (mode == 'W')
        place = state.mark;
    else // 'R' restores the place, and so does 'M'; a place never stored holds an empty mark
        state.mark = place.value_or(Mark{});
    touched();
}

ByteTask CommandSet::modelessMarkStorage(quint8) {
    // A store place without a mode says neither store nor restore: acknowledged, nothing done.
    name("MarkStorage");
    co_await line.acked();
}

ByteTask CommandSet::parameter(quint8 letter) {
    quint8 &value = state.parameters[size_t(parameterIndex(letter))];
    const quint8 third = co_await line.acked();
    if (third == 0x05) {
        name("ReadParam");
        line.reply(value);
        co_await swallow(0x12); // the host closes with a raw 12
    } else if (third == 0x15 || third == 0x16) {
        const bool up = third == 0x15;
        name(up ? "IncreaseParam" : "DecreaseParam");
        if (co_await line.acked() != 0x05)
            co_return;
        if (up && value < 255)
            ++value;
        else if (!up && value > 0)
            --value;
        touched();
        line.reply(value);
        co_await line.acked(); // 00
        co_await line.acked(); // CR
    } else if (third == CR) {
        name("MarkStorage"); // the letter was a store place without a mode
    }
}

ByteTask CommandSet::readByteStatus() {
    name("ReadByteStatus");
    line.reply(state.statusByte());
    co_await swallow(0x12); // the host closes with a raw 12
}

// --- Fragments ----------------------------------------------------------------------------------

ByteTask CommandSet::readFragment() {
    name("ReadFragment");
    int row = 0, column = 0;
    co_await cellAddress(row, column);
    if (!row || !column) { // no such cell: it answers as an empty one
        line.reply(QByteArray("\x00\x00\xFF", 3));
        co_return;
    }
    const QByteArray text = state.fragmentText(row, column);
    line.reply(char(text.size()) + text + char(state.fontByte(row, column)) +
               char(state.kindByte(row, column)));
}

ByteTask CommandSet::writeTextFragment() {
    name("WriteTextFragment");
    int row = 0, column = 0;
    QByteArray value;
    co_await cellAddress(row, column);
    co_await text(value);
    if (std::exchange(faults.dropTextWrite, false))
        co_return;
    if (row && column) {
        putFragment(state, row, column, Fragment::Kind::Text, value);
        touched();
    }
}

ByteTask CommandSet::writeCounterFragment() {
    name("WriteCounterFragment");
    int row = 0, column = 0;
    QByteArray value;
    co_await cellAddress(row, column);
    co_await text(value);
    if (row && column) {
        state.writeCounter(row, column, value);
        touched();
    }
}

ByteTask CommandSet::prefix1A() {
    const quint8 second = co_await line.acked();
    if (second == 'T' || second == 'D')
        co_await setClock(second == 'T');
    else
        co_await writeTimeDateFragment(second);
}

ByteTask CommandSet::setClock(bool time) {
    name(time ? "SetTime" : "SetDate");
    QByteArray digits;
    co_await text(digits);
    if (time ? state.setTime(digits, now()) : state.setDate(digits, now()))
        touched();
}

ByteTask CommandSet::writeTimeDateFragment(quint8 rowByte) {
    name("WriteTimeDateFragment");
    const int row = rowOf(rowByte);
    const int column = columnOf(co_await line.acked());
    QByteArray format;
    co_await text(format);
    if (row && column) {
        putFragment(state, row, column, Fragment::Kind::TimeDate, format);
        touched();
    }
}

ByteTask CommandSet::prefix1D() {
    const quint8 second = co_await line.acked();
    if (second == 'D')
        co_await setPostDays();
    else
        co_await writePostDateFragment(second);
}

ByteTask CommandSet::writePostDateFragment(quint8 rowByte) {
    name("WritePostDateFragment");
    const int row = rowOf(rowByte);
    const int column = columnOf(co_await line.acked());
    QByteArray format;
    co_await text(format);
    if (row && column) {
        putFragment(state, row, column, Fragment::Kind::PostDate, format);
        touched();
    }
}

ByteTask CommandSet::setPostDays() {
    name("SetPostDays");
    QByteArray digits;
    co_await text(digits);
    bool ok = false;
    const int days = digits.toInt(&ok);
    if (ok && days >= 0 && days <= 0xFFFF) {
        state.postDays = days;
        touched();
    }
}

ByteTask CommandSet::setFont() {
    name("SetFont");
    int row = 0, column = 0;
    co_await cellAddress(row, column);
    const quint8 font = co_await line.acked();
    const quint8 end = co_await line.acked();
    if (!row || !column || end != CR || font < '0' || font >= '0' + kFontCount)
        co_return;
    Fragment &f = state.cell(row, column);
    if (f.kind == Fragment::Kind::Graphic) // a logo is drawn at its own size
        co_return;
    f.font = quint8(font - '0');
    touched();
}

ByteTask CommandSet::placeLogo() {
    name("PlaceLogo");
    int row = 0, column = 0;
    co_await cellAddress(row, column);
    const quint8 logo = co_await line.acked(); // a binary byte: may well be 0D
    const quint8 end = co_await line.acked();
    if (!row || !column || end != CR)
        co_return;
    Fragment &f = state.cell(row, column);
    f = Fragment{};
    f.kind = Fragment::Kind::Graphic;
    f.logo = logo;
    touched();
}

ByteTask CommandSet::markSwitch() {
    struct Switch {
        const char *name;
        quint8 bit;
        bool on;
    };
    // A set bit is the normal way of printing: forward, no break-point correction, no rotation.
    // The host's menus grey out "Off" when the bit is set, so the entry in force is the grey one.
    static const std::map<quint8, Switch> switches{
        {0x14, {"MarkPrintForward", 0x01, true}},
        {0x13, {"MarkPrintBack", 0x01, false}},
        {0x15, {"BreakPointCorrectionOn", 0x02, false}},
        {0x16, {"BreakPointCorrectionOff", 0x02, true}},
        {'D', {"MarkRotateOn", 0x04, false}},
        {'U', {"MarkRotateOff", 0x04, true}},
    };
    const quint8 which = co_await line.acked();
    const auto it = switches.find(which);
    if (it == switches.end())
        co_return;
    name(it->second.name);
    if (co_await line.acked() != CR)
        co_return;
    if (it->second.on)
        state.switches |= it->second.bit;
    else
        state.switches &= quint8(~it->second.bit);
    touched();
}

} // namespace printer
