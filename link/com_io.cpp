#include "com_io.h"

#include "Functions.h"
#include "SystemLine.h"
#include "TcpLine.h"
#include "Turns.h"

#include <QSettings>
#include <QThread>

std::array<QString, 4> PortTable::defaults() {
#ifdef Q_OS_WIN
    return {"COM1", "COM2", "COM3", "COM4"};
#else
    return {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
#endif
}

PortTable PortTable::fromSettings(QSettings &settings) {
    PortTable table;
#ifndef Q_OS_WIN
    settings.beginGroup(QStringLiteral("PortDevices"));
    for (int i = 0; i < 4; ++i) {
        const QString key = QStringLiteral("COM%1").arg(i + 1);
        const QString value = settings.value(key).toString().trimmed();
        if (!value.isEmpty())
            table.devices[size_t(i)] = value;
    }
    settings.endGroup();
#else
    Q_UNUSED(settings);
#endif
    return table;
}

std::unique_ptr<SerialLine> openSystemLine(const QString &device, QString *why) {
    if (TcpLine::names(device))
        return TcpLine::open(device, why);
    return SystemLine::open(device, why);
}

QString PortTable::device(int index) const {
    return index >= 0 && index < 4 ? devices[size_t(index)] : QString();
}

QString PortState::portLabel(int index) const {
    return QStringLiteral("Com%1 (%2)").arg(index + 1).arg(ports.device(index));
}

PortState::PortState() = default;

PortState::~PortState() {
    handle.reset();
    if (turn)
        turn->give();
}

QString PortState::deviceInForce() const {
    if (!printerDevice.isEmpty())
        return printerDevice;
    return ports.device(portIndexOf(portName));
}

std::map<int, QString> &PortState::cellsRead() {
    if (const QString device = deviceInForce(); device != cellsDevice) {
        cells.clear();
        cellsDevice = device;
    }
    return cells;
}

QString PortState::label() const {
    if (!printerDevice.isEmpty())
        return QStringLiteral("%1 (%2)").arg(printerName, printerDevice);
    const int port = portIndexOf(portName);
    return port >= 0 ? portLabel(port) : QStringLiteral("the port held");
}

bool ComIo::OpenPort(int index) {
    return OpenDevice(s.ports.device(index), s.portLabel(index));
}

bool ComIo::OpenDevice(const QString &device, const QString &label) {
    // The port is opened unshared: the old handle goes first, its owner lock only after the new
    // line has taken the lock again.
    const std::shared_ptr<const void> kept = s.handle ? s.handle->ownership : nullptr;
    s.handle.reset();
    QString why = QStringLiteral("no device is named for this port");
    if (!device.isEmpty())
        s.handle = s.openLine ? s.openLine(device, &why) : openSystemLine(device, &why);
    if (s.handle)
        s.handle->device = device;
    if (!s.handle)
        s.note(label + QStringLiteral(": ") + why);
    s.tell(s.handle != nullptr);
    return s.handle != nullptr;
}

bool ComIo::SetLine(int baudIndex) {
    if (!s.handle || baudIndex < 0 || baudIndex >= int(kBaudTable.size()))
        return false;
    return s.handle->setLine(kBaudTable[size_t(baudIndex)]);
}

bool ComIo::SetStandardTimeouts() {
    return s.handle && s.handle->setTimeouts(kStandardTimeouts);
}

void ComIo::PurgeInput() {
    if (s.handle)
        s.handle->purgeInput();
}

bool ComIo::WriteByte(quint8 byte) {
    if (!s.handle)
        return false;
    s.traced(true, byte);
    return s.handle->write(QByteArray(1, char(byte)), 100);
}

std::optional<quint8> ComIo::ReadByte() {
    if (!s.handle)
        return std::nullopt;
    const CommTimeouts &t = s.handle->timeouts();
    return ReadByteWithin(int(t.readTotalTimeoutMultiplier + t.readTotalTimeoutConstant));
}

std::optional<quint8> ComIo::ReadByteWithin(int ms) {
    if (!s.handle)
        return std::nullopt;
    const auto byte = s.handle->read(ms);
    if (byte)
        s.traced(false, *byte);
    return byte;
}

int ComIo::WriteBlock(const QByteArray &bytes) {
    if (!s.handle)
        return 0;
    if (s.trace || s.exchange)
        for (char c : bytes)
            s.traced(true, quint8(c));
    // Ten bit times a byte (start, eight data, stop) at the line rate, plus a margin.
    const int baud = qMax(s.handle->baud(), 1);
    const int bound = int(qint64(bytes.size()) * 10 * 1000 / baud) + 100;
    return s.handle->write(bytes, bound) ? int(bytes.size()) : 0;
}

void ComIo::Wait(int ms) {
    if (s.handle)
        s.handle->pause(ms);
    else if (ms > 0)
        QThread::msleep(ulong(ms));
}
