#pragma once
// The printer's state file: what it keeps across restarts (mark, logos, store places, parameters,
// clock, switches, script), as JSON. The run state (started, high voltage) is not kept: a printer
// comes back stopped.

#include "PrinterState.h"

#include <QString>

namespace printer {

bool saveState(const QString &path, const PrinterState &state, QString *error = nullptr);
// Fills `state` from the file; false (with the reason) when it cannot be read or is not a state.
bool loadState(const QString &path, PrinterState &state, QString *error = nullptr);

} // namespace printer
