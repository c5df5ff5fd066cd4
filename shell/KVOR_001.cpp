// The program entry: the application, its main window and the dialogs made at start, in order.

#include "About.h"
#include "DeviceSettings.h"
#include "KvorMain.h"
#include "PortParams.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Stampline"));
    QApplication::setApplicationDisplayName(QStringLiteral("Stampline"));
    QApplication::setApplicationVersion(QStringLiteral(STAMPLINE_VERSION));

    BoxMessages messages;
    TAutoControl main(messages, DeviceSettings::pathFor(QApplication::applicationFilePath()));
    TAboutBox about(&main);
    TPortForms portForms(main, &main);

    main.setWindowOpener(Window::About, [&] { about.exec(); });
    main.setWindowOpener(Window::PortForms, [&] { portForms.show(); });

    QObject::connect(&main, &TAutoControl::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    main.show();
    return app.exec();
}
