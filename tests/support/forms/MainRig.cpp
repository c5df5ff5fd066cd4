#include "MainRig.h"

#include "Devices.h"
#include "PrinterRegistry.h"

#include <QFile>

QString hex(const QByteArray &bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QByteArray unhex(const QString &text) {
    return QByteArray::fromHex(text.toLatin1());
}

QStringList commandNamesOf(const Transcript &transcript, qsizetype from) {
    QStringList result;
    for (const auto &command : transcript.commands())
        if (command.first >= from)
            result << command.name;
    return result;
}

QStringList commandBytesOf(const Transcript &transcript, qsizetype from) {
    QStringList result;
    const auto &bytes = transcript.bytes();
    for (const auto &command : transcript.commands()) {
        if (command.first < from)
            continue;
        QByteArray sent;
        for (qsizetype i = command.first; i < command.end; ++i)
            if (bytes[size_t(i)].fromHost)
                sent.append(char(bytes[size_t(i)].value));
        result << hex(sent);
    }
    return result;
}

MainRig::MainRig() {
    settings = path(QStringLiteral("stampline.dev"));
    device = virtualDevice(QStringLiteral("printer.json"));
    printer = printerOf(device);
    QFile file(settings);
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("[PortParams]\nCom=com1\nSpeed=9600\n\n[PortDevices]\nCOM1=%1\n"
                              "COM2=%2\nCOM3=%2\nCOM4=%2\n")
                   .arg(device, path(QStringLiteral("no-such-port")))
                   .toUtf8());
    file.close();
    hub = std::make_unique<Hub>(messages, settings, devices::open);
    main = std::make_unique<TAutoControl>(*hub);
}

MainRig::~MainRig() {
    main.reset(); // the windows go first; the hub they hold outlives them
}

QString MainRig::virtualDevice(const QString &name) const {
    return QStringLiteral("virtual:") + path(name);
}

std::shared_ptr<printer::VirtualPrinter> MainRig::printerOf(const QString &dev) const {
    return printer::sharedPrinter(dev, dev.mid(int(qstrlen("virtual:"))));
}

void MainRig::mark() {
    from = printer->transcript().size();
    messages.clear();
}

QStringList MainRig::commands() const {
    return commandBytesOf(printer->transcript(), from);
}

QStringList MainRig::commandNames() const {
    return commandNamesOf(printer->transcript(), from);
}

QByteArray MainRig::settingsText() const {
    QFile file(settings);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

int lostBytes(const Transcript &transcript, quint8 value) {
    int n = 0;
    for (const auto &b : transcript.bytes())
        n += b.fromHost && b.lost && b.value == value;
    return n;
}
