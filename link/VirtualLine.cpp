#include "VirtualLine.h"

bool isVirtualDevice(const QString &device) {
    return device == QLatin1String("virtual") || device.startsWith(QLatin1String("virtual:"));
}

std::unique_ptr<SerialLine> openVirtualLine(const QString &) { return nullptr; }
