#include "Devices.h"
#include "Stampctl.h"

#include <QCoreApplication>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QString settings =
        QCoreApplication::applicationDirPath() + QStringLiteral("/stampline.dev");
    return ctl::run(QCoreApplication::arguments().mid(1), settings, devices::open);
}
