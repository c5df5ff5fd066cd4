// stampline-vprinter: the virtual printer on a pseudo-terminal or a raw TCP socket.
//   stampline-vprinter (--link PATH | --tcp PORT) [--baud RATE] [--state FILE] [--pace] [--log]
//                      [--lateness FILE]
#include "PtyServer.h"
#include "TcpServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <memory>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("stampline-vprinter"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves the virtual marking printer on a pseudo-terminal or a raw TCP socket."));
    parser.addHelpOption();
    const QCommandLineOption linkOption(QStringLiteral("link"),
                                        QStringLiteral("Make PATH a link to the line."),
                                        QStringLiteral("PATH"));
    const QCommandLineOption tcpOption(
        QStringLiteral("tcp"),
        QStringLiteral("Serve the line on TCP at 127.0.0.1:PORT (0: a free port)."),
        QStringLiteral("PORT"));
    const QCommandLineOption baudOption(QStringLiteral("baud"),
                                        QStringLiteral("The printer's line rate (57600)."),
                                        QStringLiteral("RATE"), QStringLiteral("57600"));
    const QCommandLineOption stateOption(QStringLiteral("state"),
                                         QStringLiteral("Keep the printer's state in FILE."),
                                         QStringLiteral("FILE"));
    const QCommandLineOption paceOption(QStringLiteral("pace"),
                                        QStringLiteral("Every byte takes its line time."));
    const QCommandLineOption logOption(
        QStringLiteral("log"), QStringLiteral("Print the name of every command as it arrives."));
    const QCommandLineOption latenessOption(
        QStringLiteral("lateness"),
        QStringLiteral("At the end, write to FILE how late the paced bytes were."),
        QStringLiteral("FILE"));
    parser.addOptions(
        {linkOption, tcpOption, baudOption, stateOption, paceOption, logOption, latenessOption});

    // Every usage error ends with status 2 (the parser's own handling would end with 1).
    const auto usage = [](const QString &problem) {
        std::fprintf(stderr,
                     "stampline-vprinter: %s\nusage: stampline-vprinter (--link PATH | --tcp PORT) "
                     "[--baud RATE] [--state FILE] [--pace] [--log] [--lateness FILE]\n",
                     qPrintable(problem));
        return 2;
    };
    if (!parser.parse(QCoreApplication::arguments()))
        return usage(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usage(QStringLiteral("unexpected argument ") + parser.positionalArguments()[0]);
    const bool onTcp = parser.isSet(tcpOption);
    if (onTcp == parser.isSet(linkOption))
        return usage(QStringLiteral("exactly one of --link PATH and --tcp PORT is required"));
    if (!onTcp && parser.value(linkOption).isEmpty())
        return usage(QStringLiteral("--link PATH is required"));
    bool ok = false;
    const uint port = parser.value(tcpOption).toUInt(&ok);
    if (onTcp && (!ok || port > 65535))
        return usage(QStringLiteral("--tcp must be a port number from 0 to 65535"));
    const int baud = parser.value(baudOption).toInt(&ok);
    const QList<int> rates = {1200, 2400, 4800, 9600, 19200, 38400, 57600};
    if (!ok || !rates.contains(baud))
        return usage(QStringLiteral("--baud must be one of 1200 2400 4800 9600 19200 38400 57600"));
    if (parser.isSet(latenessOption) && parser.value(latenessOption).isEmpty())
        return usage(QStringLiteral("--lateness needs a file name"));

    printer::VirtualPrinter printer;
    printer.setLineRate(baud);
    QString error;
    if (parser.isSet(stateOption) &&
        printer.useStateFile(parser.value(stateOption), &error) != printer::StateLoad::Loaded) {
        std::fprintf(stderr, "stampline-vprinter: cannot read %s: %s\n",
                     qPrintable(parser.value(stateOption)), qPrintable(error));
        return 1;
    }
    if (parser.isSet(logOption))
        printer.transcript().onCommand = [](const QString &name) {
            std::printf("command %s\n", qPrintable(name));
            std::fflush(stdout);
        };

    const bool pace = parser.isSet(paceOption);
    std::unique_ptr<printer::PtyServer> pty;
    std::unique_ptr<printer::TcpServer> tcp;
    QString ready;
    if (onTcp) {
        tcp = std::make_unique<printer::TcpServer>(printer, pace);
        if (!tcp->listen(quint16(port), &error)) {
            std::fprintf(stderr, "stampline-vprinter: %s\n", qPrintable(error));
            return 1;
        }
        ready = QStringLiteral("tcp:127.0.0.1:%1").arg(tcp->port());
    } else {
        pty = std::make_unique<printer::PtyServer>(printer, pace);
        if (!pty->open(parser.value(linkOption), &error)) {
            std::fprintf(stderr, "stampline-vprinter: %s\n", qPrintable(error));
            return 1;
        }
        ready = parser.value(linkOption);
    }
    std::printf("ready %s\n", qPrintable(ready));
    std::fflush(stdout);
    int status = tcp ? tcp->serve() : pty->serve();

    if (!printer.save(&error)) {
        std::fprintf(stderr, "stampline-vprinter: cannot save %s: %s\n",
                     qPrintable(printer.stateFile()), qPrintable(error));
        status = 1;
    }
    const QString latenessFile = parser.value(latenessOption);
    const printer::Lateness &lateness = tcp ? tcp->lateness() : pty->lateness();
    if (!latenessFile.isEmpty() && !lateness.write(latenessFile, &error)) {
        std::fprintf(stderr, "stampline-vprinter: cannot write %s: %s\n", qPrintable(latenessFile),
                     qPrintable(error));
        status = 1;
    }
    return status;
}
