#pragma once
// The system serial port, on QSerialPort.

#include "com_io.h"

#include <QSerialPort>

class SystemLine : public SerialLine {
public:
    // Opens the device for reading and writing, unshared; nullptr when the system refuses, with
    // its reason and what to do about it in `why` (when given).
    static std::unique_ptr<SystemLine> open(const QString &device, QString *why = nullptr);

    bool setLine(int baud) override;
    void purgeInput() override;
    bool write(const QByteArray &bytes, int boundMs) override;
    std::optional<quint8> read(int boundMs) override;
    void pause(int ms) override;
    bool gone() const override { return vanished; }

private:
    // Closes the line when the system says the device is no longer there.
    void closeIfGone();

    QSerialPort port;
    bool vanished = false;
};
