#pragma once
// The printer's side of every command: one coroutine a command, reading the host's bytes in the
// order the host sends them and answering with exactly the bytes the host reads. Commands that
// share a first byte are told apart by the bytes that follow.

#include "ByteTask.h"
#include "PrinterLine.h"
#include "PrinterState.h"

#include <functional>
#include <optional>
#include <utility>

namespace printer {

// A mark read that does not fit the host's picture store.
enum class OversizeMark {
    Height5,      // five 8-dot bands
    TooManyBytes, // four bands and 1281 columns: more than 5120 picture bytes
};

// Faults in the contents of a reply, each used up by the next command it applies to.
struct ReplyFaults {
    bool badNameChecksum = false;             // next ReadLogo
    std::optional<OversizeMark> oversizeMark; // next ReadMarkImage
    bool dropTextWrite = false;               // next WriteTextFragment: echoed, not kept
};

class CommandSet {
public:
    using Clock = std::function<qint64()>; // milliseconds since the epoch

    CommandSet(PrinterLine &line, PrinterState &state, ReplyFaults &faults, Clock now);

    // The printer's endless loop: take the first byte of a command, echo it, and run the command
    // it begins; an unknown byte is echoed and ignored.
    ByteTask session();

    // Whether a command changed what the printer keeps since the last call.
    bool takeChanged() { return std::exchange(changed, false); }

private:
    using Handler = ByteTask (CommandSet::*)();
    static Handler handlerFor(quint8 firstByte);

    // Pieces shared by several commands.
    ByteTask text(QByteArray &out);              // acknowledged bytes up to CR (kept: at most 38)
    ByteTask cellAddress(int &row, int &column); // two acknowledged digits; 0 when out of range
    ByteTask swallow(quint8 expected); // a byte the host sends without waiting for an echo
    ByteTask sendAndTakeAck(const QByteArray &reply); // a reply, then the host's acknowledged 's'
    void name(const char *commandName) { line.nameCommand(QString::fromLatin1(commandName)); }
    void touched() { changed = true; }

    // Commands by their first byte.
    ByteTask prefix01();
    ByteTask stopOrHighVoltage();
    ByteTask prefix07();
    ByteTask readTimeParams();
    ByteTask prefix0B();
    ByteTask prefix0C();
    ByteTask probe();
    ByteTask readFragment();
    ByteTask resetOrInkSystem();
    ByteTask start();
    ByteTask writeTextFragment();
    ByteTask writeCounterFragment();
    ByteTask prefix1A();
    ByteTask setFont();
    ByteTask placeLogo();
    ByteTask prefix1D();
    ByteTask markSwitch();
    ByteTask runningNumberReset();

    // Commands behind a shared first byte.
    ByteTask readLogoNamesList();
    ByteTask readScript();
    ByteTask writeSpecFunc();
    ByteTask readLogoPreview();
    ByteTask readLogo();
    ByteTask readMarkImage();
    ByteTask writeLogo();
    ByteTask runningNumberDirection();
    ByteTask setAutoRunPeriod();
    ByteTask markStorage(quint8 mode);
    ByteTask parameter(quint8 letter);
    ByteTask readByteStatus();
    ByteTask modelessMarkStorage(quint8 indexByte);
    ByteTask setClock(bool time);
    ByteTask writeTimeDateFragment(quint8 rowByte);
    ByteTask writePostDateFragment(quint8 rowByte);
    ByteTask setPostDays();
    ByteTask inkSystem();

    qint64 now() const { return clockMs(); }

    PrinterLine &line;
    PrinterState &state;
    ReplyFaults &faults;
    Clock clockMs;
    bool changed = false;
};

} // namespace printer
