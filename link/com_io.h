#pragma once
// The serial port channel: one of four ports, the printer's fixed line format, time-outs, and
// single bytes (and, for the logo transfer, one block) moved with short bounded waits.

#include "Exchange.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QSettings;
class ChangeRecorder;
namespace turns {
class Keeper;
class Turn;
} // namespace turns

// The port's time-outs in milliseconds, in the shape the printer's documentation uses:
// a read of n bytes gives up after readTotalMultiplier * n + readTotalConstant.
struct CommTimeouts {
    quint32 readIntervalTimeout = 0;
    quint32 readTotalTimeoutMultiplier = 0;
    quint32 readTotalTimeoutConstant = 0;
    quint32 writeTotalTimeoutMultiplier = 0;
    quint32 writeTotalTimeoutConstant = 0;
    bool operator==(const CommTimeouts &) const = default;
};

inline constexpr CommTimeouts kStandardTimeouts{5, 100, 500, 100, 100};

// One open serial line. Implementations: the system serial port and an in-process line.
// Every wait is bounded and blocks; nothing spins.
class SerialLine {
public:
    virtual ~SerialLine() = default;
    // 8 data bits, no parity, one stop bit at the given rate; other settings stay as they are.
    virtual bool setLine(int baud) = 0;
    virtual void purgeInput() = 0;
    // Writes all bytes, waiting at most boundMs for them to leave; true when all went out.
    virtual bool write(const QByteArray &bytes, int boundMs) = 0;
    // One byte, waiting at most boundMs for it.
    virtual std::optional<quint8> read(int boundMs) = 0;
    // A pause between steps of an exchange. An in-process line has no line time and skips it.
    virtual void pause(int ms) = 0;
    // The device went away (an adapter unplugged): the line is closed, every read and write on
    // it fails at once, and only opening the device afresh can bring it back.
    virtual bool gone() const { return false; }
    // An exchange begins on the line, which stays open from one exchange to the next.
    virtual void beginExchange() {}
    // The device the line was opened on, as the port table names it.
    QString device;

    int baud() const { return baud_; }
    // A stand-in for a printer (the virtual printer), not a real line.
    bool isStandIn() const { return standIn; }
    void setStandIn(bool on) { standIn = on; }
    // Something the device has to tell the operator once, when it first opens (empty: nothing).
    QString notice;
    // What the line holds on its device beyond itself (the device's owner lock): kept while the
    // same device is opened again, so that no other program gets in between.
    std::shared_ptr<const void> ownership;
    const CommTimeouts &timeouts() const { return timeouts_; }
    bool setTimeouts(const CommTimeouts &t) {
        timeouts_ = t;
        return true;
    }

protected:
    int baud_ = 9600;
    CommTimeouts timeouts_{};

private:
    bool standIn = false;
};

// Opens a line to the device; nullptr when it cannot, with the reason in `why` (when given).
using LineFactory = std::function<std::unique_ptr<SerialLine>(const QString &device, QString *why)>;

// The line the system gives a device: a serial port, or a serial device server's raw TCP socket
// for "tcp:HOST:PORT"; nullptr with the reason in `why`.
std::unique_ptr<SerialLine> openSystemLine(const QString &device, QString *why = nullptr);

// Port index 0..3 ("Com1".."Com4") to the device name the system opens.
struct PortTable {
    std::array<QString, 4> devices = defaults();

    static std::array<QString, 4> defaults();
    // Section "PortDevices", keys COM1..COM4 (not used on Windows, where the names are fixed).
    static PortTable fromSettings(QSettings &settings);
    QString device(int index) const;
};

inline constexpr std::array<int, 7> kBaudTable{1200, 2400, 4800, 9600, 19200, 38400, 57600};

// The port state: one record, owned by the main window (or by stampctl), shared by every
// exchange.
struct PortState {
    PortState();
    ~PortState(); // gives back the printer's turn when it still holds it
    PortState(const PortState &) = delete;
    PortState &operator=(const PortState &) = delete;

    std::unique_ptr<SerialLine> handle;
    CommTimeouts savedTimeouts{};
    CommTimeouts probeTimeouts{};
    QString portName = QStringLiteral("com1");
    QString baudName = QStringLiteral("9600");

    PortTable ports;
    // A printer of the line chosen by its name: its device takes the place of the port's in every
    // exchange (empty: the port's device).
    QString printerName;
    QString printerDevice;
    LineFactory openLine;                              // empty: system serial ports only
    std::function<void(bool sent, quint8 byte)> trace; // every byte on the wire
    // Told of every printer operation; nullptr: nobody watches and nothing is recorded.
    ExchangeWatcher *watcher = nullptr;
    // The operation under way while somebody watches, its bytes as they cross.
    std::optional<Exchange> exchange;
    // Told of every port opened or refused and of every answer the printer gave or did not give:
    // the connection indicator.
    std::function<void(bool good)> lineState;

    // Why the last search or exchange failed, in the operator's words: each device that did not
    // open with the system's reason, or what the printer did not do. Cleared as each begins.
    QStringList causes;

    // One exchange at a time. `running` counts the operations under way (an operation's own
    // parts included); while `eventsLetThrough` is above 0 the program is handling events in the
    // middle of an exchange or a long wait, and an operation they start is refused before it
    // sends anything ("another exchange is under way"). `idle` is told each time the last
    // operation under way ends.
    int running = 0;
    int eventsLetThrough = 0;
    std::function<void()> idle;
    bool busy() const { return running > 0 || eventsLetThrough > 0; }

    // One exchange at a time per printer, whoever in the program asks. While `sharesLine` is
    // set, an outermost operation (or a turn taken around several, Functions::takeTurn) first
    // takes the device's turn, waiting for it at most `turnWaitMs` (0: only a free one; -1: as
    // long as it takes), and closes its line when it ends, so that another thread of the program
    // may open the printer next. Unset, the line stays open from one exchange to the next.
    bool sharesLine = false;
    int turnWaitMs = 2000;
    std::shared_ptr<turns::Turn> turn; // the device's turn while this state holds it, else null

    // Told of every change made to the printer (the audit trail); nullptr: nothing is kept.
    std::shared_ptr<ChangeRecorder> recorder;
    int changing = 0; // changing operations under way, the outermost one's parts included
    // Each cell of the printer in force as this program last read it (row by row, 0..31), for a
    // change's "before"; forgotten when the mark changes as a whole, and when the exchanges go to
    // another device (another printer chosen, another port).
    std::map<int, QString> &cellsRead();
    // The font count of the last whole state block read (0: none yet): the windows tell a logo's
    // cell from a text's by it.
    int fontCount = 0;

    // "Com1 (/dev/ttyS0)": the port and its device, for the causes.
    QString portLabel(int index) const;
    // The device the exchanges go to: the chosen printer's, or the port's (empty: none).
    QString deviceInForce() const;
    // "North (tcp:10.0.0.5:4001)" for a chosen printer, the port's label, or "the port held".
    QString label() const;
    // Talks to a printer chosen by its name from now on: its device in place of the port's, at
    // its rate.
    void usePrinter(const QString &name, const QString &device, const QString &speed) {
        printerName = name;
        printerDevice = device;
        baudName = speed;
    }
    void tell(bool good) const {
        if (lineState)
            lineState(good);
    }
    // Why something failed: into the causes, and into the operation under way.
    void note(const QString &cause) {
        causes << cause;
        if (exchange)
            exchange->cause = cause;
    }
    // A byte crossed the line: to the trace, and into the operation under way.
    void traced(bool sent, quint8 byte) {
        if (trace)
            trace(sent, byte);
        if (exchange)
            (sent ? exchange->sent : exchange->received).append(char(byte));
    }

private:
    std::map<int, QString> cells;
    QString cellsDevice; // the device `cells` were read from
};

class ComIo {
public:
    explicit ComIo(PortState &state) : s(state) {}

    bool OpenPort(int index);
    // Opens the device, `label` naming it in the causes when it does not open.
    bool OpenDevice(const QString &device, const QString &label);
    bool SetLine(int baudIndex);
    bool SetStandardTimeouts();
    void PurgeInput();
    bool WriteByte(quint8 byte);
    std::optional<quint8> ReadByte();
    // One byte within an explicit bound instead of the port's time-outs.
    std::optional<quint8> ReadByteWithin(int ms);
    // Writes the whole block; waits as long as the block needs at the line rate plus a margin,
    // so that no write is ever left pending. Returns the number written (all or 0).
    int WriteBlock(const QByteArray &bytes);
    void Wait(int ms);

    PortState &state() { return s; }
    const PortState &state() const { return s; }

private:
    PortState &s;
};
