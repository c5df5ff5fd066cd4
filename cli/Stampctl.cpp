#include "Stampctl.h"

#include "AuditCommands.h"
#include "AuditTrail.h"
#include "DeviceSettings.h"
#include "Functions.h"
#include "LineCommands.h"
#include "Operations.h"

#include <cstdio>
#include <optional>

namespace ctl {
namespace {

struct Options {
    std::optional<QString> device, port, baud, printer;
    bool trace = false;
    bool help = false;
    // The operations in order, each its command and its arguments ("--" between two).
    QList<QStringList> operations;
};

void write(FILE *stream, const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QString noteLines(const Operation &op) {
    return *op.note ? QStringLiteral("      ") + QString::fromUtf8(op.note) + QLatin1Char('\n')
                    : QString();
}

QString generalUsage() {
    QString text = QStringLiteral(
        "usage: stampctl [--device PATH] [--port ComN] [--printer NAME] [--baud RATE] [--trace] "
        "OPERATION [ARG...] [-- OPERATION [ARG...]]...\n"
        "  --device PATH  PATH is the device of the chosen port for this run (a serial port,\n"
        "                 tcp:HOST:PORT for a serial device server, virtual or virtual:FILE)\n"
        "  --printer NAME the printer of that name of the line (section [Line] of the settings)\n"
        "  --port ComN    Com1..Com4 (default: \"Com\" of stampline.dev beside stampctl, com1)\n"
        "  --baud RATE    1200, 2400, 4800, 9600, 19200, 38400 or 57600 (default: \"Speed\", "
        "9600)\n"
        "  --trace        every byte on stderr, \"> 1B\" sent and \"< 1B\" received, each\n"
        "                 operation's bytes after a line \"# OperationName\"\n"
        "Texts are UTF-8 and go out in the printer's code page. Values are printed one a line.\n"
        "Operations separated by \"--\" run one after the other over one opening of the port;\n"
        "all are checked first, each prints as it is done, and the first that fails ends the run.\n"
        "Exit status: 0 done, 1 an operation failed, 2 usage error.\n"
        "Operations:\n");
    for (const Operation &op : operations())
        text += QStringLiteral("  ") + usageLine(op) + QLatin1Char('\n') + noteLines(op);
    text += QStringLiteral("Line commands, each alone on the command line:\n  ") + lineUsage();
    text += QStringLiteral("The audit trail, alone on the command line:\n") + auditUsage();
    return text;
}

// --trace: a line "# ReadFragment" before the bytes of each operation, the name the line monitor
// shows it by.
class TraceNames : public ExchangeWatcher {
public:
    explicit TraceNames(const Console &out) : console(out) {}
    void began(const Exchange &exchange) override {
        console.err((QStringLiteral("# ") + exchange.operation + QLatin1Char('\n')).toUtf8());
    }
    void ended(const Exchange &) override {}

private:
    const Console &console;
};

std::optional<QString> parseOptions(const QStringList &arguments, Options &o) {
    qsizetype i = 0;
    for (; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--trace")) {
            o.trace = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.help = true;
            return std::nullopt;
        } else if (a == QLatin1String("--device") || a == QLatin1String("--port") ||
                   a == QLatin1String("--baud") || a == QLatin1String("--printer")) {
            if (i + 1 >= arguments.size())
                return a + QStringLiteral(" needs a value");
            const QString value = arguments[++i];
            if (a == QLatin1String("--printer")) {
                if (value.trimmed().isEmpty())
                    return QStringLiteral("--printer needs a printer's name");
                o.printer = value.trimmed();
            } else if (a == QLatin1String("--device")) {
                if (value.isEmpty())
                    return QStringLiteral("--device needs a device name");
                o.device = value;
            } else if (a == QLatin1String("--port")) {
                if (portIndexOf(value) < 0)
                    return QStringLiteral("--port must be Com1, Com2, Com3 or Com4, not \"%1\"")
                        .arg(value);
                o.port = value;
            } else {
                if (baudIndexOf(value) < 0)
                    return QStringLiteral("--baud must be 1200, 2400, 4800, 9600, 19200, 38400 "
                                          "or 57600, not \"%1\"")
                        .arg(value);
                o.baud = value;
            }
        } else if (a == QLatin1String("--")) {
            ++i;
            break;
        } else if (a.startsWith(QLatin1String("--"))) {
            return QStringLiteral("unknown option %1").arg(a);
        } else {
            break;
        }
    }
    if (i >= arguments.size())
        return QStringLiteral("no operation given");
    o.operations.append(QStringList());
    for (; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--"))
            o.operations.append(QStringList());
        else
            o.operations.last().append(arguments[i]);
    }
    for (const QStringList &operation : o.operations)
        if (operation.isEmpty())
            return QStringLiteral("no operation given between two \"--\"");
    if (o.printer && (o.device || o.port))
        return QStringLiteral("--printer names its own device and port: give it without --device "
                              "and --port");
    for (const QStringList &operation : o.operations) {
        if (isLineCommand(operation) && o.operations.size() > 1)
            return QStringLiteral("%1 runs alone, not with other operations").arg(operation[0]);
        if (isLineCommand(operation) && (o.device || o.port))
            return QStringLiteral("%1 takes its printers from the line of the settings, not from "
                                  "--device or --port")
                .arg(operation[0]);
        if (isLineCommand(operation) && o.trace)
            return QStringLiteral("--trace follows one printer; %1 talks to several at once")
                .arg(operation[0]);
    }
    return std::nullopt;
}

} // namespace

Console Console::standard() {
    return {[](const QByteArray &b) { write(stdout, b); },
            [](const QByteArray &b) { write(stderr, b); }};
}

int usageError(const Console &console, const QString &reason, const QString &usage) {
    console.err((QStringLiteral("stampctl: ") + reason + QLatin1Char('\n') + usage).toUtf8());
    return Usage;
}

int run(const QStringList &arguments, const QString &settingsPath, LineFactory lines,
        const Console &console) {
    Options o;
    if (const auto reason = parseOptions(arguments, o))
        return usageError(console, *reason, generalUsage());
    if (o.help) {
        console.out(generalUsage().toUtf8());
        return Success;
    }
    const DeviceSettings settings = DeviceSettings::load(settingsPath);
    if (!settings.problem.isEmpty())
        console.err((QStringLiteral("stampctl: ") + settings.problem + QLatin1Char('\n')).toUtf8());
    const line::LineSettings theLine = line::LineSettings::load(settingsPath, settings);
    for (const QString &problem : theLine.problems)
        console.err((QStringLiteral("stampctl: ") + problem + QLatin1Char('\n')).toUtf8());
    std::optional<line::Printer> chosen;
    if (o.printer) {
        const line::Printer *named = theLine.find(*o.printer);
        if (!named) {
            QStringList names;
            for (const line::Printer &p : theLine.printers)
                names << p.name;
            return usageError(console,
                              QStringLiteral("the line has no printer \"%1\" (it has: %2)")
                                  .arg(*o.printer, names.join(QStringLiteral(", "))),
                              generalUsage());
        }
        chosen = *named;
        if (o.baud)
            chosen->speed = *o.baud;
    }
    if (isAuditCommand(o.operations[0]))
        return runAuditCommand(o.operations[0], console);
    if (isLineCommand(o.operations[0]))
        return runLineCommand(o.operations[0], theLine, chosen, lines, console);

    PortState port;
    Functions f(port);
    // Every operation and its arguments are checked before the first one sends anything.
    struct Step {
        const Operation *op;
        std::unique_ptr<Call> call;
    };
    std::vector<Step> steps;
    for (const QStringList &words : o.operations) {
        const Operation *op = findOperation(words[0]);
        if (!op)
            return usageError(console, QStringLiteral("unknown operation \"%1\"").arg(words[0]),
                              generalUsage());
        auto call = std::make_unique<Call>(f);
        if (const auto reason = bindArguments(*op, words.mid(1), *call))
            return usageError(console, *reason,
                              QStringLiteral("usage: stampctl [options] ") + usageLine(*op) +
                                  QLatin1Char('\n') + noteLines(*op));
        steps.push_back({op, std::move(call)});
    }

    port.portName = o.port.value_or(settings.portName);
    port.baudName = o.baud.value_or(settings.baudName);
    port.ports = settings.ports;
    port.openLine = std::move(lines);
    if (chosen)
        line::aimAt(port, *chosen);
    if (o.device) {
        const int index = portIndexOf(port.portName);
        if (index < 0)
            return usageError(console,
                              QStringLiteral("the port \"%1\" of %2 is none of Com1..Com4: give "
                                             "--port with --device")
                                  .arg(port.portName, settingsPath),
                              generalUsage());
        port.ports.devices[size_t(index)] = *o.device;
    }
    // Every change is kept in the station's audit trail; without one, the operations still run.
    port.recorder = audit::stationTrail([&console](const QString &why) {
        console.err((QStringLiteral("stampctl: ") + why + QLatin1Char('\n')).toUtf8());
    });
    TraceNames names(console);
    if (o.trace) {
        port.watcher = &names;
        port.trace = [&console](bool sent, quint8 byte) {
            console.err(QStringLiteral("%1 %2\n")
                            .arg(QLatin1Char(sent ? '>' : '<'))
                            .arg(byte, 2, 16, QLatin1Char('0'))
                            .toUpper()
                            .toLatin1());
        };
    }

    // One opening of the port for all of them; each prints as it is done, and the first that
    // fails ends the run, saying which it was when there are several.
    for (size_t n = 0; n < steps.size(); ++n) {
        const Operation &op = *steps[n].op;
        Call &call = *steps[n].call;
        if (!op.run(call)) {
            QString message = call.failure.isEmpty()
                                  ? QString::fromLatin1(op.name) + QStringLiteral(" failed")
                                  : call.failure;
            // The cause in one line: the last thing that went wrong.
            if (call.failure.isEmpty() && !port.causes.isEmpty()) {
                message += QStringLiteral(": ") + port.causes.last();
                if (port.causes.last().endsWith(QLatin1String("the printer did not answer")))
                    message += QStringLiteral("; try find-device");
            }
            if (steps.size() > 1)
                message = QStringLiteral("operation %1 of %2 (%3): ")
                              .arg(n + 1)
                              .arg(steps.size())
                              .arg(o.operations[qsizetype(n)].join(QLatin1Char(' '))) +
                          message;
            console.err((QStringLiteral("stampctl: ") + message + QLatin1Char('\n')).toUtf8());
            return Failed;
        }
        for (const QString &line : call.out)
            console.out((line + QLatin1Char('\n')).toUtf8());
        for (const QString &line : call.notes)
            console.err((QStringLiteral("stampctl: ") + line + QLatin1Char('\n')).toUtf8());
    }
    return Success;
}

} // namespace ctl
