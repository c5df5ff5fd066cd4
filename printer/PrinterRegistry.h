#pragma once
// The virtual printers of this process, one a state file. Every line opened on a name reaches the
// same printer, which lives (and holds its state file) until the program ends.

#include "VirtualPrinter.h"

#include <QString>
#include <memory>

namespace printer {

// The printer of that name, made at first use. With a state file, the printer takes the file's
// owner lock and loads it at first use, and keeps its state there. nullptr, with the reason in
// `why`, when another program holds the file or the file is no state file (it is then left as it
// is). A state file that cannot be read is kept aside as FILE.damaged and the printer starts from
// its first state; `notice` then says so (only at that first use), as does standard error.
std::shared_ptr<VirtualPrinter> sharedPrinter(const QString &name, const QString &stateFile = {},
                                              QString *notice = nullptr, QString *why = nullptr);

} // namespace printer
