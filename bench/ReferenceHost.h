#pragma once
// The reference host: the program's exchanges done again with nothing but POSIX calls, so that
// the program's own cost can be told from the line's and the stand-in's.
//
// A run of the program on a line made by recordingLines() records every opening of the line,
// every purge, write, read and pause it made. replay() then does the same on a serial device with
// open(2) (O_RDWR | O_NOCTTY), raw termios at the rate, tcflush(2) of the input where the program
// purged it, write(2) of what the program wrote in one write, poll(2) and read(2) of one byte for
// every byte the program read (an acknowledged byte is written and its echo waited for, a reply
// read byte by byte, raw bytes written without an echo), and the program's pauses slept: the same
// bytes in the same order, by the plainest host there can be.

#include "com_io.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace bench {

struct LineStep {
    enum Kind {
        Open,   // the device opened and set to the rate
        Clock,  // the timed part begins here
        Purge,  // the input thrown away
        Write,  // `bytes` written, waited for until they left
        Read,   // one byte read
        Missed, // a read that got nothing within its bound: the run is no clean one
        Pause,  // `ms` slept
    };
    Kind kind = Write;
    QByteArray bytes;
    int ms = 0;
};
using LineScript = QList<LineStep>;

// The system serial port, as the program opens it, recording into `script`.
LineFactory recordingLines(LineScript &script);

// What a script holds: the bytes written and read, the reads that got nothing, the pauses.
struct ScriptCount {
    qint64 written = 0;
    qint64 read = 0;
    int missed = 0;
    int pauses = 0;
    double pausedMs = 0;
    qint64 bytes() const { return written + read; }
};
ScriptCount countOf(const LineScript &script);

struct HostRun {
    bool ok = false;
    double ms = 0;    // wall time from the Clock step (or the first step) to the last step
    qint64 bytes = 0; // bytes written and read
    QString failure;  // what went wrong, when it did
};
HostRun replay(const LineScript &script, const QString &device, int baud);

} // namespace bench
