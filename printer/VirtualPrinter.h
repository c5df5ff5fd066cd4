#pragma once
// The virtual printer: a byte machine that takes the host's bytes one at a time and answers as
// the printer does, keeping the printer's state (optionally in a state file), a transcript of the
// line, and faults that tests inject on purpose.

#include "CommandSet.h"
#include "PrinterLine.h"
#include "PrinterState.h"
#include "StateFile.h"
#include "Transcript.h"

#include <QString>

namespace files {
class OwnerLock;
}
#include <functional>
#include <memory>
#include <optional>

namespace printer {

class VirtualPrinter {
public:
    using Clock = std::function<qint64()>; // milliseconds since the epoch

    // A printer in its first state, on the system clock.
    VirtualPrinter();
    explicit VirtualPrinter(PrinterState initial, Clock clock = {});
    ~VirtualPrinter();
    VirtualPrinter(const VirtualPrinter &) = delete;
    VirtualPrinter &operator=(const VirtualPrinter &) = delete;

    // One host byte; the result is what the printer sends back (echo and reply).
    QByteArray feed(quint8 hostByte);
    // A host byte that never reached the printer (sent at another line rate): only recorded.
    void lose(quint8 hostByte);
    // The exchange is over (the host reopened the line, or fell silent): a half-received
    // command is dropped, and a lone 12 counts as Reset. Returns what the printer sent.
    QByteArray endExchange();

    // The line rate the printer answers at; bytes at any other rate are lost.
    int lineRate() const { return rate; }
    void setLineRate(int baud) { rate = baud; }

    PrinterState &state() { return state_; }
    const PrinterState &state() const { return state_; }
    Transcript &transcript() { return transcript_; }
    void setClock(Clock clock);
    qint64 now() const { return clock_(); }

    // Keeps the state in `path` and holds the file's owner lock for as long as the printer lives:
    // loads the file now when it exists, and saves after every command that changed the state.
    // Refused (with the reason, nothing used or changed) when another program holds the file or
    // it is no state file; Damaged when it is a state file that cannot be read: the printer then
    // keeps its first state and will save over the file, so the caller sets it aside first (or
    // calls forgetStateFile).
    StateLoad useStateFile(const QString &path, QString *error = nullptr);
    void forgetStateFile() { file.clear(); }
    QString stateFile() const { return file; }
    bool save(QString *error = nullptr) const;

    // --- Faults, counting host bytes from the call (byte 0 is the next one).
    void silenceFrom(int n);   // from byte n on the printer hears nothing until endExchange
    void wrongEchoAt(int n);   // the echo of byte n is another byte
    void cutLine(int count);   // the next `count` host bytes are lost
    void shortReply(int keep); // the next reply stops after `keep` bytes
    void badNameChecksum();    // the next ReadLogo sends a wrong name checksum
    void dropTextWrite();      // the next WriteTextFragment is echoed whole but not kept
    void oversizeMark(OversizeMark kind); // the next ReadMarkImage does not fit the host's store
    void clearFaults();

private:
    void restart();

    PrinterState state_;
    Transcript transcript_;
    ReplyFaults replyFaults;
    Clock clock_;
    std::unique_ptr<PrinterLine> line;
    std::unique_ptr<CommandSet> commands;
    std::optional<ByteTask> session;
    int rate = 57600;
    QString file;
    std::unique_ptr<files::OwnerLock> owner;

    int silenceIn = -1; // host bytes until the silence starts; -1 none
    bool silent = false;
    int wrongEchoIn = -1; // host bytes until the wrong echo; -1 none
    int cutCount = 0;
};

} // namespace printer
