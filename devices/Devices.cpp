#include "Devices.h"

#include "InProcessLine.h"
#include "PrinterRegistry.h"

namespace devices {
namespace {

// The host's end of the virtual printer: bytes sent at a rate other than the printer's own are
// lost on the way, as on a real line.
class VirtualPrinterPeer : public LinePeer {
public:
    explicit VirtualPrinterPeer(std::shared_ptr<printer::VirtualPrinter> p)
        : printer(std::move(p)) {}

    // Every exchange reopens the line: whatever the printer was still waiting for is over.
    void opened() override { printer->endExchange(); }
    void setRate(int baud) override { rate = baud; }
    QByteArray receive(quint8 byte) override {
        if (rate != printer->lineRate()) {
            printer->lose(byte);
            return {};
        }
        return printer->feed(byte);
    }

private:
    std::shared_ptr<printer::VirtualPrinter> printer;
    int rate = 0;
};

} // namespace

bool isVirtual(const QString &device) {
    return device == QLatin1String("virtual") || device.startsWith(QLatin1String("virtual:"));
}

std::unique_ptr<SerialLine> open(const QString &device, QString *why) {
    if (!isVirtual(device))
        return openSystemLine(device, why);
    QString notice;
    const QString stateFile = device.mid(int(qstrlen("virtual:")));
    auto printer = printer::sharedPrinter(device, stateFile, &notice, why);
    if (!printer)
        return nullptr;
    auto line = std::make_unique<InProcessLine>(std::make_shared<VirtualPrinterPeer>(printer));
    line->setStandIn(true);
    line->notice = notice;
    return line;
}

void install(PortState &port) {
    port.openLine = open;
}

} // namespace devices
