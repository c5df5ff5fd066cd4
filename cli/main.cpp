#include "DeviceSettings.h"
#include "Devices.h"
#include "Stampctl.h"

#include <QCoreApplication>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    // stampline.dev beside stampctl, or, installed, the user's own (shared with the program).
    const QString settings = DeviceSettings::locate(QCoreApplication::applicationDirPath() +
                                                    QStringLiteral("/stampline"));
    return ctl::run(QCoreApplication::arguments().mid(1), settings, devices::open);
}
