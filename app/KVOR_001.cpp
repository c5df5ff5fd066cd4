// The program entry: the application, its main window and its windows.

#include "DeviceSettings.h"
#include "Devices.h"
#include "KvorMain.h"
#include "Windows.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Stampline"));
    QApplication::setApplicationVersion(QStringLiteral(STAMPLINE_VERSION));

    // The hub first: every window holds it, and it outlives them all.
    BoxMessages messages;
    Hub hub(messages, DeviceSettings::pathFor(QApplication::applicationFilePath()), devices::open);
    TAutoControl main(hub);
    wireWindows(main);

    QObject::connect(&main, &TAutoControl::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    main.show();
    const int result = app.exec();
    return result ? result : main.exitStatus();
}
