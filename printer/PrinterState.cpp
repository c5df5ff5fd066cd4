#include "PrinterState.h"

#include <algorithm>

namespace printer {

namespace {

bool allDigits(const QByteArray &text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

qint64 power10(int n) {
    qint64 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

qint64 positiveModulo(qint64 a, qint64 m) {
    return ((a % m) + m) % m;
}

// Two digits of a text as a number, or -1.
int twoDigits(const QByteArray &text, int at) {
    const QByteArray part = text.mid(at, 2);
    return allDigits(part) && part.size() == 2 ? part.toInt() : -1;
}

quint8 bcd(int value) {
    return quint8(((value / 10) % 10) << 4 | (value % 10));
}

// A script value as a number; an empty one counts as `empty`.
// A value of the script: up to 18 digits (a script keeps up to 38 characters a value, which no
// number of ours can hold: those count as absent).
qint64 scriptNumber(const QByteArray &digits, qint64 empty) {
    if (digits.isEmpty() || digits.size() > 18 || !allDigits(digits))
        return empty;
    return digits.toLongLong();
}

} // namespace

int parameterIndex(quint8 letter) {
    const auto it = std::find(kParameterLetters.begin(), kParameterLetters.end(), char(letter));
    return it == kParameterLetters.end() ? -1 : int(it - kParameterLetters.begin());
}

// --- Fragment, Logo, Script ---------------------------------------------------------------------

bool Fragment::steps() const {
    return allDigits(text) && text.size() <= 18;
}

QByteArray Fragment::counterText() const {
    if (!steps())
        return text;
    return QByteArray::number(value).rightJustified(text.size(), '0');
}

bool Logo::dot(int c, int y) const {
    const int height = 8 * bytesPerColumn;
    if (c < 0 || c >= columns || y < 0 || y >= height)
        return false;
    const int fromBottom = height - 1 - y;
    const quint8 byte = quint8(data[c * bytesPerColumn + fromBottom / 8]);
    return !(byte & (1 << (fromBottom % 8)));
}

QByteArray Script::text() const {
    QByteArray out;
    if (hasCounter)
        out += 'Q' + fragment + 'N' + initial + 'E' + finish + 'S' + step + 'P' + discrete;
    if (hasGroup)
        out += 'G' + QByteArray(1, char(group));
    return out;
}

int Script::row() const {
    return fragment.size() >= 1 ? fragment[0] - '0' : 0;
}
int Script::column() const {
    return fragment.size() >= 2 ? fragment[1] - '0' : 0;
}

int Script::groupSize() const {
    const int n = hasGroup ? int(group) - '0' : 1;
    return qMax(1, n);
}

// --- The clock ----------------------------------------------------------------------------------

QDateTime PrinterState::clock(qint64 nowMs) const {
    return QDateTime::fromMSecsSinceEpoch(nowMs + clockOffsetMs, Qt::UTC);
}

bool PrinterState::setTime(const QByteArray &hhmmss, qint64 nowMs) {
    const int h = twoDigits(hhmmss, 0), m = twoDigits(hhmmss, 2), s = twoDigits(hhmmss, 4);
    // Hour 24 is midnight at the end of the day.
    if (hhmmss.size() != 6 || h < 0 || h > 24 || m < 0 || m > 59 || s < 0 || s > 59)
        return false;
    const QDateTime midnight(clock(nowMs).date(), QTime(0, 0), Qt::UTC);
    clockOffsetMs = midnight.addSecs(h * 3600 + m * 60 + s).toMSecsSinceEpoch() - nowMs;
    return true;
}

bool PrinterState::setDate(const QByteArray &ddmmyy, qint64 nowMs) {
    const int d = twoDigits(ddmmyy, 0), m = twoDigits(ddmmyy, 2), y = twoDigits(ddmmyy, 4);
    const QDate date(2000 + y, m, d);
    if (ddmmyy.size() != 6 || y < 0 || !date.isValid())
        return false;
    const QTime time = clock(nowMs).time();
    clockOffsetMs = QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch() - nowMs;
    return true;
}

// --- Fragments ----------------------------------------------------------------------------------

bool PrinterState::isSpecialCell(int row, int column) const {
    return script.hasCounter && script.row() == row && script.column() == column &&
           cell(row, column).kind == Fragment::Kind::Counter;
}

quint8 PrinterState::kindByte(int row, int column) const {
    if (isSpecialCell(row, column))
        return kind::SpecialFunction;
    const Fragment &f = cell(row, column);
    switch (f.kind) {
    case Fragment::Kind::TimeDate:
        return kind::TimeDate;
    case Fragment::Kind::PostDate:
        return kind::PostDate;
    case Fragment::Kind::Counter:
        return f.countsUp ? kind::CounterUp : kind::CounterDown;
    case Fragment::Kind::Text:
    case Fragment::Kind::Graphic:
        break;
    }
    return kind::TextOrGraphic;
}

quint8 PrinterState::fontByte(int row, int column) const {
    const Fragment &f = cell(row, column);
    return f.kind == Fragment::Kind::Graphic ? quint8(kFontCount) : f.font;
}

QByteArray PrinterState::fragmentText(int row, int column) const {
    const Fragment &f = cell(row, column);
    switch (f.kind) {
    case Fragment::Kind::Graphic:
        return QByteArray(1, char(f.logo)); // the logo's slot
    case Fragment::Kind::Counter:
        return f.counterText();
    default:
        return f.text;
    }
}

void PrinterState::writeCounter(int row, int column, const QByteArray &text) {
    Fragment &f = cell(row, column);
    const quint8 font = f.kind == Fragment::Kind::Graphic ? 0 : f.font;
    f = Fragment{};
    f.kind = Fragment::Kind::Counter;
    f.font = font;
    f.text = text;
    f.countsUp = countUp;
    f.value = f.steps() ? text.toLongLong() : 0;
}

void PrinterState::writeScript(const Script &newScript) {
    script = newScript;
    specialValue = scriptNumber(script.initial, 0);
    specialPrints = 0;
}

// --- Printing -----------------------------------------------------------------------------------

void PrinterState::start(qint64 nowMs) {
    if (!started)
        lastPrintMs = nowMs;
    started = true;
    highVoltage = true;
}

void PrinterState::runUntil(qint64 nowMs) {
    if (!started || autoRunPeriod == 0) {
        lastPrintMs = nowMs;
        return;
    }
    const qint64 period = qint64(autoRunPeriod) * kPeriodUnitMs;
    if (nowMs - lastPrintMs < period)
        return;
    const qint64 prints = (nowMs - lastPrintMs) / period;
    lastPrintMs += prints * period;
    printMarks(prints * script.groupSize());
}

void PrinterState::printMarks(qint64 count) {
    if (count <= 0)
        return;
    for (auto &row : mark)
        for (Fragment &f : row) {
            if (f.kind != Fragment::Kind::Counter || !f.steps())
                continue;
            const qint64 modulus = power10(int(f.text.size()));
            const qint64 step = positiveModulo(count, modulus);
            const qint64 value = positiveModulo(f.value, modulus);
            f.value = positiveModulo(f.countsUp ? value + step : value - step, modulus);
        }
    if (!script.hasCounter)
        return;
    // The expanding counter moves by its step every `discrete` marks from the initial value
    // towards the finish value, and starts again at the initial value after the finish.
    const qint64 first = scriptNumber(script.initial, 0);
    const qint64 last = scriptNumber(script.finish, first);
    const qint64 stride = qAbs(scriptNumber(script.step, 1));
    const qint64 every = qMax<qint64>(1, scriptNumber(script.discrete, 1));
    if (stride == 0)
        return;
    const qint64 direction = last >= first ? 1 : -1;
    const qint64 positions = qAbs(last - first) / stride + 1;
    const qint64 prints = specialPrints + count;
    const qint64 moves = prints / every;
    specialPrints = prints % every;
    const qint64 at = qBound<qint64>(
        0,
        (qBound(qMin(first, last), specialValue, qMax(first, last)) - first) * direction / stride,
        positions - 1);
    specialValue = first + direction * stride * ((at + moves % positions) % positions);
}

void PrinterState::resetCounters() {
    for (auto &row : mark)
        for (Fragment &f : row)
            if (f.kind == Fragment::Kind::Counter && f.steps())
                f.value = f.text.toLongLong();
    specialValue = scriptNumber(script.initial, 0);
    specialPrints = 0;
}

// --- Replies ------------------------------------------------------------------------------------

QByteArray PrinterState::stateBlock(qint64 nowMs) const {
    const QDateTime now = clock(nowMs);
    const QDate date = now.date();
    const QTime time = now.time();
    QByteArray block;
    block += char(switches);
    block += char(postDays & 0xFF);
    block += char((postDays >> 8) & 0xFF);
    block += char(bcd(time.second()));
    block += char(bcd(time.minute()));
    block += char(bcd(time.hour()));
    block += char(bcd(date.dayOfWeek())); // 1 Monday .. 7 Sunday
    block += char(bcd(date.day()));
    block += char(bcd(date.month()));
    block += char(bcd(date.year() % 100));
    block += char(autoRunPeriod);
    block += char(axl >> 8);
    block += char(axl & 0xFF);
    block += char(kFontCount);
    return block;
}

quint8 PrinterState::statusByte() const {
    // Phase (bits 7-6): 10 red with the high voltage off, 11 yellow ready with it on, 01 green
    // while a run is started. Process (bits 5-4): 01 green with the ink system under the
    // printer's own control, 11 yellow while the keyboard is selected for it.
    const quint8 phase = !highVoltage ? 0b10 : started ? 0b01 : 0b11;
    const quint8 process = keyboardSelected ? 0b11 : 0b01;
    quint8 status = quint8(phase << 6 | process << 4);
    status |= 0x08; // the high-voltage unit is sound
    if (highVoltage)
        status |= 0x04;
    status |= 0x02; // the head cover is closed
    if (started && autoRunPeriod > 0)
        status |= 0x01;
    return status;
}

QByteArray PrinterState::hydroStatus() const {
    QByteArray text = QByteArrayLiteral("INK OK P=3.2 VISC=4.1 LVL=78% ");
    text += keyboardSelected ? QByteArrayLiteral("KBD SEL") : QByteArrayLiteral("KBD OFF");
    return text.leftJustified(kHydroStatusLength, ' ', true);
}

QByteArray PrinterState::namesList() const {
    QByteArray records;
    int count = 0;
    for (int slot = 0; slot < kLogoSlots && count < 255; ++slot) {
        const Logo &logo = logos[size_t(slot)];
        if (logo.isEmpty())
            continue;
        records += char(slot);
        records += logo.name.leftJustified(8, ' ', true);
        records += char(logo.bytesPerColumn);
        ++count;
    }
    return records;
}

int PrinterState::namesListCount() const {
    return int(namesList().size() / 10);
}

} // namespace printer
