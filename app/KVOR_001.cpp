// The program entry: the application, its main window and its windows.

#include "DeviceSettings.h"
#include "Devices.h"
#include "KvorMain.h"
#include "Windows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Stampline"));
    QApplication::setApplicationVersion(QStringLiteral(STAMPLINE_VERSION));

    // stampline [--device DEVICE]: DEVICE ("virtual" for the built-in virtual printer) is the
    // device of the settings' port for this run; nothing is written to the settings.
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The operator's program for the marking "
                                                    "printer."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption deviceOption(
        QStringLiteral("device"),
        QStringLiteral("DEVICE is the port's device for this run (virtual: the built-in virtual "
                       "printer)."),
        QStringLiteral("DEVICE"));
    parser.addOption(deviceOption);
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "stampline: %s\n%s", qPrintable(parser.errorText()),
                     qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp();
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    // The hub first: every window holds it, and it outlives them all.
    BoxMessages messages;
    Hub hub(messages, DeviceSettings::locate(QApplication::applicationFilePath()), devices::open);
    if (parser.isSet(deviceOption))
        hub.useDevice(parser.value(deviceOption));
    TAutoControl main(hub);
    wireWindows(main);

    QObject::connect(&main, &TAutoControl::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    main.show();
    const int result = app.exec();
    return result ? result : main.exitStatus();
}
