#pragma once
// Everything the printer keeps: the current mark, the logos, the store places, the print
// parameters, the clock and the switches, the script and the run state. Times are milliseconds
// since the epoch, taken from the caller, so nothing here reads a clock of its own.

#include <QByteArray>
#include <QDateTime>
#include <array>
#include <optional>

namespace printer {

inline constexpr int kRows = 4;
inline constexpr int kColumns = 8;
inline constexpr int kFontCount = 7;
inline constexpr int kLogoSlots = 256;
inline constexpr int kLogoDataBytes = 500;
inline constexpr int kStorePlaces = 64;
inline constexpr int kMaxFragmentText = 38; // longer texts are cut to this
inline constexpr int kHydroStatusLength = 38;
// The auto-run period counts tenths of a second: period 10 prints one mark a second.
inline constexpr int kPeriodUnitMs = 100;

// The print parameters, each addressed by its letter.
inline constexpr std::array<char, 13> kParameterLetters{'C', 'D', 'F', 'H', 'J', 'K', 'L',
                                                        'Q', 'S', 'T', 'U', 'Y', 'Z'};
int parameterIndex(quint8 letter); // -1 for a letter that names no parameter

// Fragment kind bytes as ReadFragment reports them.
namespace kind {
inline constexpr quint8 TimeDate = 0;
inline constexpr quint8 PostDate = 2;
inline constexpr quint8 CounterDown = 5;
inline constexpr quint8 CounterUp = 6;
inline constexpr quint8 SpecialFunction = 7;
inline constexpr quint8 TextOrGraphic = 255;
} // namespace kind

struct Fragment {
    enum class Kind { Text, Graphic, TimeDate, PostDate, Counter };
    Kind kind = Kind::Text;
    quint8 font = 0;      // 0..6 (a graphic fragment reports the font count instead)
    QByteArray text;      // in the wire code page: the text, format, or a counter's starting value
    int logo = 0;         // Graphic: the logo slot
    bool countsUp = true; // Counter: the running-number direction when it was written
    qint64 value = 0;     // Counter: its current value

    bool operator==(const Fragment &) const = default;
    bool isEmpty() const { return kind == Kind::Text && text.isEmpty(); }
    // A counter steps only when its text is a number of at most 18 digits; it then keeps that
    // many digits and wraps around like an odometer.
    bool steps() const;
    QByteArray counterText() const; // the current value with the width of the starting text
};

using Mark = std::array<std::array<Fragment, kColumns>, kRows>;

struct Logo {
    int bytesPerColumn = 0; // B, 1..4; 0 for an empty slot
    int columns = 0;        // C
    QByteArray data;        // B x C bytes as on the wire: column by column, byte 0 the bottom
                            // 8 dots, bit 0 the lowest, a 0 bit a printed dot
    QByteArray name = QByteArray(8, ' '); // 8 bytes, padded with spaces

    bool operator==(const Logo &) const = default;
    bool isEmpty() const { return bytesPerColumn == 0; }
    // Dot y rows from the top of column c.
    bool dot(int c, int y) const;
};

// The special functions: an expanding counter in one cell and the group size.
struct Script {
    bool hasCounter = false;
    QByteArray fragment, initial, finish, step, discrete; // the digits as written
    bool hasGroup = false;
    quint8 group = '0'; // the byte that followed G

    bool operator==(const Script &) const = default;
    // "Q12N00000001E00000500S0001P0001G3": the counter item, then the group item.
    QByteArray text() const;
    int row() const; // the cell of the counter, from the fragment number
    int column() const;
    int groupSize() const; // marks printed a print; at least 1
};

struct PrinterState {
    Mark mark{};
    std::array<Logo, kLogoSlots> logos{};
    std::array<std::optional<Mark>, kStorePlaces> store{};
    std::array<quint8, kParameterLetters.size()> parameters{};
    qint64 clockOffsetMs = 0; // the printer's clock minus the time given by the caller
    int postDays = 0;
    quint8 autoRunPeriod = 0;
    quint16 axl = 0;
    // Set bits are the normal way: bit 0 forward print, bit 1 no break-point correction, bit 2
    // no rotation.
    quint8 switches = 0x07;
    bool countUp = true; // the running-number direction for counters written from now on
    Script script;
    qint64 specialValue = 0;  // the expanding counter's current value
    qint64 specialPrints = 0; // marks printed since it last stepped

    // Run state; a printer starts stopped with the high voltage off.
    bool highVoltage = false;
    bool started = false;
    bool keyboardSelected = false;
    qint64 lastPrintMs = 0;

    bool operator==(const PrinterState &) const = default;

    // --- The clock: a calendar without time zone, running from the last setting.
    QDateTime clock(qint64 nowMs) const;
    bool setTime(const QByteArray &hhmmss, qint64 nowMs); // false: not a time, nothing changed
    bool setDate(const QByteArray &ddmmyy, qint64 nowMs);

    // --- Fragments.
    quint8 kindByte(int row, int column) const; // rows and columns from 1
    quint8 fontByte(int row, int column) const;
    QByteArray fragmentText(int row, int column) const; // as ReadFragment sends it
    bool isSpecialCell(int row, int column) const;
    Fragment &cell(int row, int column) { return mark[size_t(row - 1)][size_t(column - 1)]; }
    const Fragment &cell(int row, int column) const {
        return mark[size_t(row - 1)][size_t(column - 1)];
    }
    void writeCounter(int row, int column, const QByteArray &text);
    void writeScript(const Script &newScript);

    // --- Printing.
    void start(qint64 nowMs);
    // Prints the marks that fell due since the last call while started with a period.
    void runUntil(qint64 nowMs);
    void printMarks(qint64 count); // steps every counter once a printed mark
    void resetCounters();          // every counter back to its starting value

    // --- Replies.
    QByteArray stateBlock(qint64 nowMs) const; // the 14 bytes after the count
    quint8 statusByte() const;
    QByteArray hydroStatus() const; // exactly kHydroStatusLength bytes
    QByteArray namesList() const;   // 10-byte records of the stored logos, by slot
    int namesListCount() const;     // records in namesList(), at most 255
};

// The state a new printer shows: a text, a date and a counter, and a few small logos.
PrinterState firstState(qint64 nowMs);

} // namespace printer
