#pragma once
// The printer's state file: what it keeps across restarts (mark, logos, store places, parameters,
// clock, switches, script), as JSON marked as a state file ("format" and "version"). The run state
// (started, high voltage) is not kept: a printer comes back stopped. Every number read is brought
// within what the printer can hold.

#include "PrinterState.h"

#include <QString>

namespace printer {

// What a file given as a state file turned out to be.
enum class StateLoad {
    Loaded,  // a state file, read into the state (an empty file is a printer in its first state)
    Refused, // no state file at all (not a regular file, too large, or without the state file's
             // mark): it must be left as it is
    Damaged, // a state file (it carries the mark) that cannot be read
};

bool saveState(const QString &path, const PrinterState &state, QString *error = nullptr);
// Fills `state` from the file when it is a state file; otherwise says why in `error`.
StateLoad loadState(const QString &path, PrinterState &state, QString *error = nullptr);
// The same from the file's bytes (the fuzz target's way in).
StateLoad parseState(const QByteArray &bytes, PrinterState &state, QString *error = nullptr);

} // namespace printer
