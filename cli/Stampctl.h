#pragma once
// stampctl: every printer operation from the command line.
//   stampctl [--device PATH] [--port ComN] [--baud RATE] [--trace] OPERATION [ARG...]
//            [-- OPERATION [ARG...]]...
// Exit status 0 on success, 1 when the operation failed (one line on stderr), 2 on a usage error.

#include "com_io.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace ctl {

enum Exit { Success = 0, Failed = 1, Usage = 2 };

// Where stampctl writes: standard output and standard error, or a test's buffers.
struct Console {
    std::function<void(const QByteArray &)> out;
    std::function<void(const QByteArray &)> err;
    static Console standard();
    // One line, to standard output or to standard error.
    void say(const QString &line, bool toOut = true) const {
        (toOut ? out : err)((line + QLatin1Char('\n')).toUtf8());
    }
};

// "stampctl: REASON" and the usage on standard error; the usage error's exit status.
int usageError(const Console &console, const QString &reason, const QString &usage);

// Runs one command line (without the program name). The port and the rate come from the
// settings file at settingsPath unless the options name them; `lines` opens the ports' devices.
// Values go to stdout, one a line; messages and the trace to stderr.
int run(const QStringList &arguments, const QString &settingsPath, LineFactory lines,
        const Console &console = Console::standard());

} // namespace ctl
