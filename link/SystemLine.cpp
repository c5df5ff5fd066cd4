#include "SystemLine.h"

#include <QDeadlineTimer>
#include <QThread>

std::unique_ptr<SystemLine> SystemLine::open(const QString &device) {
    auto line = std::make_unique<SystemLine>();
    line->port.setPortName(device);
    if (!line->port.open(QIODevice::ReadWrite))
        return nullptr;
    line->baud_ = int(line->port.baudRate());
    return line;
}

bool SystemLine::setLine(int baud) {
    const bool ok = port.setBaudRate(baud) && port.setDataBits(QSerialPort::Data8) &&
                    port.setParity(QSerialPort::NoParity) && port.setStopBits(QSerialPort::OneStop);
    if (ok)
        baud_ = baud;
    return ok;
}

void SystemLine::purgeInput() {
    port.clear(QSerialPort::Input);
}

bool SystemLine::write(const QByteArray &bytes, int boundMs) {
    if (port.write(bytes) != bytes.size())
        return false;
    const QDeadlineTimer deadline(boundMs);
    while (port.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !port.waitForBytesWritten(int(deadline.remainingTime())))
            break;
    }
    if (port.bytesToWrite() == 0)
        return true;
    // Never leave a write pending into the next transfer.
    port.clear(QSerialPort::Output);
    return false;
}

std::optional<quint8> SystemLine::read(int boundMs) {
    const QDeadlineTimer deadline(boundMs);
    // The event loop may already have moved the byte into Qt's buffer.
    while (port.bytesAvailable() == 0) {
        if (deadline.hasExpired())
            return std::nullopt;
        port.clearError();
        if (!port.waitForReadyRead(int(deadline.remainingTime())) && port.bytesAvailable() == 0 &&
            port.error() != QSerialPort::TimeoutError && port.error() != QSerialPort::NoError)
            return std::nullopt; // a broken port answers at once: do not spin on it
    }
    char c = 0;
    if (!port.getChar(&c))
        return std::nullopt;
    return quint8(c);
}

void SystemLine::pause(int ms) {
    QThread::msleep(ulong(qMax(ms, 0)));
}
