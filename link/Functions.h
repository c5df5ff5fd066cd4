#pragma once
// The command exchange and the printer's whole command set. Every operation is one exchange: it
// reopens and reconfigures the port (Connect), sends its bytes one at a time, each echoed by the
// printer (SendByte), reads the reply, and returns whether all of it went through. Operations
// never show anything; the caller turns a false result into its message. Outputs are filled as
// far as the exchange got.

#include "LogoImage.h"
#include "MarkImage.h"
#include "StateBlock.h"
#include "com_io.h"

#include <functional>

// Port and rate names: "Com1".."Com4" in any case, "1200".."57600"; trimmed before comparing.
int portIndexOf(const QString &portName);
int baudIndexOf(const QString &baudName);

// How a logo write ended.
enum class LogoWrite {
    Confirmed,     // the printer acknowledged it
    HeldAsWritten, // its acknowledgement was lost, but the slot holds the logo as sent
    Failed,
};

// What ReadFragment returns of a cell: its text, the font byte and the kind byte.
struct FragmentReply {
    QByteArray text;
    quint8 font = 0;
    quint8 kind = 0;
};

class Functions {
public:
    explicit Functions(PortState &state) : io(state) {}

    PortState &state() { return io.state(); }
    ComIo &channel() { return io; }

    // The exchange.
    bool SendByte(quint8 byte);
    std::optional<quint8> ReceiveByte();
    bool Connect();
    // carryOn runs before every probe; when it says no, the search ends as one that found
    // nothing.
    using CarryOn = std::function<bool()>;
    bool FindDevice(const CarryOn &carryOn = {});
    bool SetProbeTimeouts();
    bool DetectBaudRate(const CarryOn &carryOn = {});
    void Pause(int ms);

    // One-byte commands and switches.
    bool Start();
    bool Stop();
    bool PrintStart();
    bool HighVoltageTurn();
    bool Reset();
    bool RunningNumberReset();
    bool RunningNumberForward();
    bool RunningNumberBack();
    bool AutoRunStop();
    bool SetAutoRunPeriod(const QByteArray &text);
    bool MarkDelete();
    bool MarkStorage(int mode, int index);
    bool MarkPrintForward();
    bool MarkPrintBack();
    bool BreakPointCorrectionOn();
    bool BreakPointCorrectionOff();
    bool MarkRotateOn();
    bool MarkRotateOff();
    bool SetTime(const QByteArray &hhmmss);
    bool SetDate(const QByteArray &ddmmyy);
    bool KeyboardSelect();
    bool KeyboardOff();

    // Fragments of the current mark.
    bool SetFont(int fontSize, int row, int column);
    bool WriteTimeDateFragment(int row, int column, const QByteArray &text);
    bool WriteCounterFragment(int row, int column, const QByteArray &text);
    // The fragment's format, then the day count (SetPostDays) in an exchange of its own.
    bool WritePostDateFragment(int row, int column, const QByteArray &offset,
                               const QByteArray &text);
    // The printer's one post-date day count, four digits: 1D 'D', the digits, CR.
    bool SetPostDays(const QByteArray &days);
    bool WriteTextFragment(int row, int column, const QByteArray &text);
    bool PlaceLogo(int logoNumber, int row, int column);
    bool ReadFragment(int row, int column, FragmentReply &cell);
    // Group, initial, finish, step, discrete step, fragment number.
    bool WriteSpecFunc(const QByteArray &g, const QByteArray &n, const QByteArray &e,
                       const QByteArray &s, const QByteArray &p, const QByteArray &q);

    // Reads.
    bool ReadTimeParams(StateBlock &block);
    bool ReadParam(quint8 code, quint8 &value);
    bool IncreaseParam(quint8 code, quint8 &value);
    bool DecreaseParam(quint8 code, quint8 &value);
    bool ReadByteStatus(quint8 &status);
    bool ReadScript(QByteArray &text);
    bool ReadHydroStatus(QByteArray &text);
    bool ReadLogoNamesList(LogoNames &names);
    // progress(position 0..20) runs before and after the picture data and after every padding
    // byte; when it returns false the read stops there and fails.
    bool ReadMarkImage(MarkImage &image, const std::function<bool(int)> &progress = {});

    // Logos.
    bool ReadLogoPreview(int number, LogoImage &image);
    bool WriteLogo(int number, int B, int C, const QByteArray &name, const LogoImage &image);
    // WriteLogo, and when everything went out but the printer's closing acknowledgement did not
    // come back, the slot read back (ReadLogo): the write holds when the slot holds the logo as it
    // was sent; otherwise the cause says what the slot holds.
    LogoWrite WriteLogoChecked(int number, int B, int C, const QByteArray &name,
                               const LogoImage &image);
    bool ReadLogo(int number, LogoImage &image, QByteArray &name);
    bool RenameLogo(int number, const QByteArray &name, LogoImage &image);
    // There is no delete command: a blank column of 4 bytes under an empty name.
    bool DeleteLogo(int number, LogoImage &image);

    // --- Taking turns with other users of the printer within the program (PortState::sharesLine).
    // Takes the printer's turn for several operations at once, waiting at most `waitMs` (-1: as
    // long as it takes); false when another holds it still. giveTurn closes the line and lets
    // the next user in.
    bool takeTurn(int waitMs, const turns::Keeper *self = nullptr);
    void giveTurn();
    // Gives the turn back but keeps the line open, until another user of the printer takes the
    // turn and has `keeper` let go of it (the keeper then calls closeKeptLine on its thread).
    void keepLine(const std::shared_ptr<turns::Keeper> &keeper);
    // Closes a line kept open and tells the printer's turn that nobody keeps it now.
    void closeKeptLine(const turns::Keeper *keeper);
    // Shares the line from now on (each exchange takes its turn and closes the line after it), or
    // keeps it open again; a line kept open until now is closed at once when nothing runs.
    void shareLine(bool on);

private:
    // Runs one operation. While somebody watches, the outermost operation is recorded under its
    // name and told to the watcher; otherwise it costs one test of the watcher.
    template <class Body> auto watched(const char *name, Body body) {
        if (state().eventsLetThrough > 0) {
            refuse(name, "another exchange is under way");
            return decltype(body())();
        }
        const Turn turn(*this);
        if (!turn.taken) {
            refuse(name, "another exchange with the printer is under way");
            return decltype(body())();
        }
        const Running running(state());
        if (!state().watcher || state().exchange)
            return body();
        begin(name);
        auto result = body();
        end(bool(result));
        return result;
    }
    // An operation that changes the printer: run as watched, and the outermost one told to the
    // port's recorder, with its arguments in the operator's words (`words` runs only then) and,
    // for a cell, what the program last read there. `cell` is the cell it writes (0..31),
    // kNoCell, or kWholeMark for one after which no cell is known.
    static constexpr int kNoCell = -1;
    static constexpr int kWholeMark = -2;
    template <class Words, class Body>
    auto changing(const char *name, int cell, const Words &words, Body body) {
        return noted(name, cell, words, [&] { return watched(name, body); });
    }
    // A change whose name says it all (Start, MarkDelete).
    template <class Body> auto plainChange(const char *name, int cell, Body body) {
        return changing(
            name, cell, [] { return QString(); }, body);
    }
    // The same around a body that is not an exchange of its own (a write and its read-back).
    template <class Words, class Body>
    auto noted(const char *name, int cell, const Words &words, Body body) {
        PortState &s = state();
        const bool told = s.recorder && s.changing == 0;
        std::optional<QString> before;
        if (told && cell >= 0) {
            const auto &read = s.cellsRead();
            if (const auto known = read.find(cell); known != read.end())
                before = known->second;
        }
        ++s.changing;
        auto result = body();
        --s.changing;
        forget(cell);
        if (told)
            tellChange(name, words(), before, wentThrough(result));
        return result;
    }
    static bool wentThrough(bool ok) { return ok; }
    static bool wentThrough(LogoWrite write) { return write != LogoWrite::Failed; }
    void forget(int cell);
    void tellChange(const char *name, const QString &arguments,
                    const std::optional<QString> &before, bool ok);
    // Counts an operation under way; the last one to end tells the port state it is idle.
    struct Running {
        explicit Running(PortState &port) : s(port) { ++s.running; }
        ~Running() {
            if (--s.running == 0 && s.idle)
                s.idle();
        }
        Running(const Running &) = delete;
        Running &operator=(const Running &) = delete;
        PortState &s;
    };
    // On a shared line, an outermost operation holds the printer's turn while it runs.
    struct Turn {
        explicit Turn(Functions &functions)
            : f(functions), mine(f.state().sharesLine && !f.state().turn),
              taken(!mine || f.takeTurn(f.state().turnWaitMs)) {}
        ~Turn() {
            if (mine && taken)
                f.giveTurn();
        }
        Turn(const Turn &) = delete;
        Turn &operator=(const Turn &) = delete;
        Functions &f;
        const bool mine;
        const bool taken;
    };
    // The operation is refused before it sends anything, saying why.
    void refuse(const char *name, const char *why);
    void begin(const char *name);
    void end(bool ok);
    void noteEcho(quint8 byte, std::optional<quint8> echo);

    QString where() const;          // the port, its device and rate, for the causes
    bool fail(const QString &what); // notes the cause of a failure; false
    // Whether every text may go: one holding a byte below 20h is refused before anything is
    // sent (a CR inside it would end the command and the printer would run the rest).
    bool sendable(std::initializer_list<QByteArray> texts);
    std::optional<quint8> reply(); // one byte of a reply; a missing one is a failure
    // The first byte of a reply the printer prepares for up to 100 ms: waited for that long and
    // a byte's read time-out more.
    std::optional<quint8> firstReplyByte();
    bool probe(const CarryOn &carryOn);
    bool send(std::initializer_list<quint8> bytes);
    bool send(const QByteArray &bytes);
    bool command(std::initializer_list<quint8> bytes); // Connect, then the bytes
    bool readText(int count, QByteArray &text);
    bool readBytesInto(int count, std::function<void(int, quint8)> store);
    bool drain(int count);
    bool readLogoBody(LogoImage &image, QByteArray &name);
    bool writeLogoFrame(int number, int B, int C, const QByteArray &frame);
    bool readStep(quint8 code, quint8 step, quint8 &value);
    bool readAcknowledged(std::initializer_list<quint8> bytes, quint8 &value);
    LogoWrite writeLogoChecked(int number, int B, int C, const QByteArray &name,
                               const LogoImage &image);

    ComIo io;
    bool logoUnconfirmed = false; // the last logo frame went out without its closing 's'
};
