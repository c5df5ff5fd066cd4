#pragma once
// stampctl: every printer operation from the command line.
//   stampctl [--device PATH] [--port ComN] [--baud RATE] [--trace] OPERATION [ARG...]
// Exit status 0 on success, 1 when the operation failed (one line on stderr), 2 on a usage error.

#include <QString>
#include <QStringList>

namespace ctl {

enum Exit { Success = 0, Failed = 1, Usage = 2 };

// Runs one command line (without the program name). The port and the rate come from the
// settings file at settingsPath unless the options name them. Values go to stdout, one a line;
// messages and the trace to stderr.
int run(const QStringList &arguments, const QString &settingsPath);

} // namespace ctl
