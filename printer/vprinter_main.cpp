// stampline-vprinter: the virtual printer on a pseudo-terminal.
//   stampline-vprinter --link PATH [--baud RATE] [--state FILE] [--pace] [--log]
#include "PtyServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("stampline-vprinter"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves the virtual marking printer on a pseudo-terminal."));
    parser.addHelpOption();
    const QCommandLineOption linkOption(QStringLiteral("link"),
                                        QStringLiteral("Make PATH a link to the line."),
                                        QStringLiteral("PATH"));
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
    parser.addOptions({linkOption, baudOption, stateOption, paceOption, logOption});

    // Every usage error ends with status 2 (the parser's own handling would end with 1).
    const auto usage = [](const QString &problem) {
        std::fprintf(stderr,
                     "stampline-vprinter: %s\nusage: stampline-vprinter --link PATH "
                     "[--baud RATE] [--state FILE] [--pace] [--log]\n",
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
    if (!parser.isSet(linkOption) || parser.value(linkOption).isEmpty())
        return usage(QStringLiteral("--link PATH is required"));
    bool ok = false;
    const int baud = parser.value(baudOption).toInt(&ok);
    const QList<int> rates = {1200, 2400, 4800, 9600, 19200, 38400, 57600};
    if (!ok || !rates.contains(baud))
        return usage(QStringLiteral("--baud must be one of 1200 2400 4800 9600 19200 38400 57600"));

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
    printer::PtyServer server(printer, parser.isSet(paceOption));
    if (!server.open(parser.value(linkOption), &error)) {
        std::fprintf(stderr, "stampline-vprinter: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("ready %s\n", qPrintable(parser.value(linkOption)));
    std::fflush(stdout);
    const int status = server.serve();
    if (!printer.save(&error)) {
        std::fprintf(stderr, "stampline-vprinter: cannot save %s: %s\n",
                     qPrintable(printer.stateFile()), qPrintable(error));
        return 1;
    }
    return status;
}
