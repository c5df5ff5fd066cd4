#pragma once
// What an operation changed on a printer, for whoever keeps the trail of changes (the audit
// trail). Every operation that changes a printer is told once, as it ends, whether it went
// through or not; an operation within another that changes (a logo read back within a rename)
// is not told apart. Nothing is built while nobody keeps the trail.

#include <QString>
#include <functional>
#include <optional>

struct FragmentReply;
struct PortState;

struct Change {
    QString printer;   // the printer's name of the line, or the port's ("Com1")
    QString device;    // the device the exchanges went to
    QString operation; // as the line monitor names it: "WriteTextFragment", and "ApplyJob"
    QString arguments; // as an operator reads them: "cell 1,3: text \"LOT 42\""
    std::optional<QString> before; // what a cell held before, when the program had read it
    bool ok = false;
    QString cause; // why it failed; empty when it went through
    // Told as it starts (a job, whose end is told apart): a start without an end is one that
    // was cut off.
    bool starts = false;
    // "done", "started", or "failed: the printer did not answer"
    QString outcome() const;
};

class ChangeRecorder {
public:
    virtual ~ChangeRecorder() = default;
    // Keeps the change; the operation goes on whatever becomes of it.
    virtual void record(const Change &change) = 0;
};

// Tells the port's recorder of a change on the printer it talks to; nothing without one.
void recordChange(const PortState &port, Change change);
// A change made of many operations (a restore, a job), told as it starts and as it ends: done
// when `failure` is empty, else failed with it. `arguments` runs only when somebody records.
void recordStart(const PortState &port, const QString &operation,
                 const std::function<QString()> &arguments);
void recordEnd(const PortState &port, const QString &operation,
               const std::function<QString()> &arguments, const QString &failure);

// A cell as it was read, in the operator's words: "text \"LOT 42\", font 2", "logo 12",
// "counter-up \"0001\", font 1", "empty". The font count tells a logo from a text (0: not known).
QString describeCell(const FragmentReply &reply, int fontCount);
