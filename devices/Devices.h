#pragma once
// The devices a port can name: a system serial port, a serial device server on the network
// ("tcp:HOST:PORT"), or the built-in virtual printer behind the names "virtual" and
// "virtual:FILE" (keeping its state in FILE). Each program installs this as its ports' line
// factory; the printer link itself knows only system serial ports and device servers.

#include "com_io.h"

namespace devices {

bool isVirtual(const QString &device);
// A line to the device: the virtual printer of that name (every line opened on the same name
// reaches the same printer, which lives until the program ends), or the system serial port; the
// reason in `why` when it cannot open.
std::unique_ptr<SerialLine> open(const QString &device, QString *why = nullptr);
// Makes `open` the line factory of the port state.
void install(PortState &port);

} // namespace devices
