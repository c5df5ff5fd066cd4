#include "FormRig.h"

#include "Devices.h"
#include "MainRig.h"
#include "PrinterRegistry.h"

FormRig::FormRig() : Hub(messages, QString()) {
    const QString device = QStringLiteral("virtual:") + dir.filePath(QStringLiteral("p.json"));
    printer = printer::sharedPrinter(device, dir.filePath(QStringLiteral("p.json")));
    PortState &line = portState();
    line.ports.devices = {device, dir.filePath(QStringLiteral("none")),
                          dir.filePath(QStringLiteral("none")),
                          dir.filePath(QStringLiteral("none"))};
    line.portName = QStringLiteral("Com1");
    line.baudName = QStringLiteral("57600");
    line.openLine = devices::open;
    StateBlock block;
    readStateBlock(block);
}

FormRig::~FormRig() = default;

void FormRig::mark() {
    from = printer->transcript().size();
    messages.clear();
    posted.clear();
    sent.clear();
}

QStringList FormRig::commandNames() const {
    return commandNamesOf(printer->transcript(), from);
}

QStringList FormRig::commands() const {
    return commandBytesOf(printer->transcript(), from);
}

void FormRig::clockSteps(qint64 stepMs) {
    setClock([this, stepMs] { return now += stepMs; });
}
