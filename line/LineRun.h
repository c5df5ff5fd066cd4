#pragma once
// A job put onto several printers at once, or compared with them: each printer's transfer runs on
// a thread of its own over its own line, all at the same time; a printer that fails does not stop
// the others. After writing, each printer is read back and compared with the job, and nothing is
// reported as applied unless its read-back matches.

#include "Change.h"
#include "Job.h"
#include "LineSettings.h"

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace line {

struct PrinterResult {
    enum class End {
        Verified,  // written (or, verifying only, found) and read back equal to the job
        Different, // read back, and it differs from the job
        Failed,    // refused, failed or cancelled before it could be compared
    };
    QString printer;
    End end = End::Failed;
    bool applying = false;   // written and compared, not only compared
    bool wrote = false;      // the job was written whole
    backup::Outcome outcome; // the write (applying), or the read-back where it failed
    QStringList differences; // where the printer differs, when it was read back
    // What came of it in a word or two: "verified", "matches", "written but different",
    // "differs", "failed", "refused", "cancelled".
    QString word() const;
    // One line for the operator: "verified", "matches", "written but different: …",
    // "failed at logo 12: the printer did not answer (5 of 40 steps written)".
    QString describe() const;
};

struct Watch {
    // Each printer's progress, from its own thread: index into the printers, steps done of all.
    std::function<void(size_t printer, int done, int total)> progress;
    // Set from anywhere: every transfer stops at its next step.
    const std::atomic<bool> *cancel = nullptr;
    // Makes, on each printer's thread, the recorder its changes are told to (the audit trail);
    // empty: nothing is recorded. A job applied is told as "ApplyJob" under `jobName` as it
    // starts and once it is read back.
    std::function<std::shared_ptr<ChangeRecorder>()> recorders;
    QString jobName;
};

// How a printer is: connected or not (and why not), its auto-run period and its status byte.
struct Look {
    QString printer;
    bool busy = false;   // not looked at: another exchange with it was under way
    bool opened = false; // its line opened: no other program held the printer
    bool connected = false;
    QString why;            // not connected (or busy): the cause
    int autoRunPeriod = -1; // 0: auto-run off; -1: not read
    std::optional<quint8> status;
    // "connected, auto-run off, status 5E: …", "not connected: …" or "busy: …"
    QString describe() const;
};
// The status byte in words: "fase green, process green, high voltage unit ok and on, head cover
// closed, not printing".
QString statusWords(quint8 status);
// Reads the status byte and the state block of the printer whose turn `f` holds.
void readLook(Functions &f, Look &look);
// Every printer looked at, all at once.
std::vector<Look> lookAt(const std::vector<Printer> &printers, const LineFactory &lines);

// Writes the job into every printer, then reads each back and compares.
std::vector<PrinterResult> applyJob(const std::vector<Printer> &printers, const backup::Job &job,
                                    const LineFactory &lines, const Watch &watch = {});
// Reads every printer as far as the job reaches and compares, writing nothing.
std::vector<PrinterResult> verifyJob(const std::vector<Printer> &printers, const backup::Job &job,
                                     const LineFactory &lines, const Watch &watch = {});

} // namespace line
