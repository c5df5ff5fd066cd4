#pragma once
// The virtual printers of this process, one a name. Every line opened on a name reaches the same
// printer, which lives until the program ends.

#include "VirtualPrinter.h"

#include <QString>
#include <memory>

namespace printer {

// The printer of that name, made at first use. With a state file, the printer loads it at first
// use and keeps its state there; nullptr (with the reason) when the file cannot be read.
std::shared_ptr<VirtualPrinter> sharedPrinter(const QString &name, const QString &stateFile = {},
                                              QString *error = nullptr);

} // namespace printer
