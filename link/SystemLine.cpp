#include "SystemLine.h"

#include "OwnerLock.h"

#include <QFileInfo>

#include <QDeadlineTimer>
#include <QThread>

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace {
// Whether this user may read and write the device: when so, a refusal comes from another
// program that holds it (its lock file, or the port opened in exclusive mode).
bool mayUse(const QString &device) {
    const QFileInfo info(device);
    return info.exists() && info.isReadable() && info.isWritable();
}

QString reasonOf(const QSerialPort &port, const QString &device) {
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("no such device; name the right one for this port in the section "
                              "[PortDevices] of the settings file");
    case QSerialPort::PermissionError:
        if (mayUse(device))
            return files::inUseMessage(QStringLiteral("the port"), files::flockHolder(device)) +
                   QStringLiteral("; close it and try again");
        return QStringLiteral("permission denied; add yourself to the dialout group "
                              "(sudo usermod -aG dialout $USER) and log in again");
    case QSerialPort::OpenError:
        return QStringLiteral("the port is held by another program; close it and try again");
    default:
        return port.errorString() +
               QStringLiteral("; this is not a serial port, name the right device in the section "
                              "[PortDevices] of the settings file");
    }
}

// Asks the driver to hand every received byte on at once: a USB serial adapter otherwise holds
// each echo until its latency timer runs out. A pty or a driver without the setting refuses,
// which is no fault of the port.
void askForLowLatency([[maybe_unused]] QSerialPort &port) {
#ifdef Q_OS_LINUX
    const int fd = int(port.handle());
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY))
        return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ioctl(fd, TIOCSSERIAL, &serial);
#endif
}
} // namespace

std::unique_ptr<SystemLine> SystemLine::open(const QString &device, QString *why) {
    // One program a printer, whatever name of the device each uses.
    QString held;
    auto owner = files::OwnerLock::onDevice(device, &held);
    if (!owner && !held.isEmpty()) {
        if (why)
            *why = held;
        return nullptr;
    }
    auto line = std::make_unique<SystemLine>();
    line->ownership = std::move(owner);
    line->port.setPortName(device);
    if (!line->port.open(QIODevice::ReadWrite)) {
        if (why)
            *why = reasonOf(line->port, device);
        return nullptr;
    }
    askForLowLatency(line->port);
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
    if (!vanished)
        port.clear(QSerialPort::Input);
}

void SystemLine::closeIfGone() {
    if (port.error() != QSerialPort::ResourceError)
        return;
    vanished = true;
    port.close();
}

bool SystemLine::write(const QByteArray &bytes, int boundMs) {
    if (vanished)
        return false;
    if (port.write(bytes) != bytes.size()) {
        closeIfGone();
        return false;
    }
    const QDeadlineTimer deadline(boundMs);
    while (port.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !port.waitForBytesWritten(int(deadline.remainingTime())))
            break;
    }
    if (port.bytesToWrite() == 0)
        return true;
    closeIfGone();
    // Never leave a write pending into the next transfer.
    if (!vanished)
        port.clear(QSerialPort::Output);
    return false;
}

std::optional<quint8> SystemLine::read(int boundMs) {
    if (vanished)
        return std::nullopt;
    const QDeadlineTimer deadline(boundMs);
    // The event loop may already have moved the byte into Qt's buffer.
    while (port.bytesAvailable() == 0) {
        if (deadline.hasExpired())
            return std::nullopt;
        port.clearError();
        if (!port.waitForReadyRead(int(deadline.remainingTime())) && port.bytesAvailable() == 0 &&
            port.error() != QSerialPort::TimeoutError && port.error() != QSerialPort::NoError) {
            closeIfGone();
            return std::nullopt; // a broken port answers at once: do not spin on it
        }
    }
    char c = 0;
    if (!port.getChar(&c))
        return std::nullopt;
    return quint8(c);
}

void SystemLine::pause(int ms) {
    QThread::msleep(ulong(qMax(ms, 0)));
}
