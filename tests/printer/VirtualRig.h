#pragma once
// The host's command set talking to the in-process virtual printer behind the device "virtual",
// on a clock the test moves by hand.

#include "Devices.h"
#include "Functions.h"
#include "PrinterRegistry.h"

#include <QDateTime>
#include <QTimeZone>

struct VirtualRig {
    // 2024-03-15 10:20:30 on the printer's clock (a Friday, day 75 of the year, ISO week 11).
    qint64 nowMs = QDateTime(QDate(2024, 3, 15), QTime(10, 20, 30), Qt::UTC).toMSecsSinceEpoch();
    std::shared_ptr<printer::VirtualPrinter> printer = printer::sharedPrinter("virtual");
    PortState port;
    Functions f{port};

    VirtualRig() {
        printer->setClock([this] { return nowMs; });
        printer->clearFaults();
        printer->setLineRate(57600);
        printer->state() = printer::firstState(nowMs);
        printer->state().clockOffsetMs = 0;
        printer->endExchange();
        printer->transcript().clear();
        printer->transcript().setLimit(qsizetype(1) << 20);
        port.ports.devices = {"virtual", "absent1", "absent2", "absent3"};
        port.portName = "Com1";
        port.baudName = "57600";
        // Only the virtual printer exists: no system port is ever touched.
        port.openLine = [](const QString &device, QString *why) -> std::unique_ptr<SerialLine> {
            return devices::isVirtual(device) ? devices::open(device, why) : nullptr;
        };
    }
    ~VirtualRig() { printer->setClock({}); }

    printer::PrinterState &state() { return printer->state(); }
    void advanceMs(qint64 ms) { nowMs += ms; }
};
