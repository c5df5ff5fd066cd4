#include "Hub.h"

#include "AuditTrail.h"

#include "DeviceSettings.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QMutex>
#include <QTimer>
#include <QWidget>
#include <map>

QEvent::Type WindowMessage::type() const {
    // Registered once a process, like a window message registered by name.
    static QMutex mutex;
    static std::map<QByteArray, QEvent::Type> types;
    QMutexLocker lock(&mutex);
    auto &registered = types[QByteArray(name)];
    if (registered == QEvent::None)
        registered = QEvent::Type(QEvent::registerEventType());
    return registered;
}

bool WindowMessage::operator==(const WindowMessage &other) const {
    return qstrcmp(name, other.name) == 0;
}

Hub::Hub(Messages &messages, QString settingsPath, LineFactory lines)
    : msgs(messages), settingsFile(std::move(settingsPath)),
      markShare(std::make_unique<MarkShare>()), logoShare(std::make_unique<LogoShare>()) {
    if (!settingsFile.isEmpty()) {
        const DeviceSettings settings = DeviceSettings::load(settingsFile);
        settingsTrouble = settings.problem;
        port.portName = settings.portName;
        port.baudName = settings.baudName;
        port.ports = settings.ports;
    }
    port.openLine = std::move(lines);
    port.idle = [this] { freeAgain(); };
    // Every change made through the hub goes into the station's audit trail; a trail that cannot
    // be used leaves the program working, and says so.
    trail = audit::stationTrail([this](const QString &why) {
        trailTrouble = why;
        qWarning("%s", qPrintable(why));
    });
    port.recorder = trail;
}

std::shared_ptr<ChangeRecorder> Hub::threadRecorder() {
    return audit::stationTrail([](const QString &why) { qWarning("%s", qPrintable(why)); });
}

Hub::~Hub() = default;

void Hub::useDevice(const QString &device) {
    int index = portIndexOf(port.portName);
    if (index < 0) {
        index = 0;
        port.portName = QStringLiteral("Com1");
    }
    port.ports.devices[size_t(index)] = device;
}

bool Hub::choosePrinter(const QString &name, const QString &device, const QString &speed) {
    port.usePrinter(name, device, speed);
    forgetLogoNames(); // another printer, other logos
    return functions.Connect();
}

void Hub::postMessage(const WindowMessage &message) {
    if (messageReceiver)
        QCoreApplication::postEvent(messageReceiver, new QEvent(message.type()));
}

void Hub::sendMessage(const WindowMessage &message) {
    if (!messageReceiver)
        return;
    QEvent event(message.type());
    QCoreApplication::sendEvent(messageReceiver, &event);
}

void Hub::setCellEditorOpener(std::function<void(const CellStart &)> open) {
    cellEditorOpener = std::move(open);
}

void Hub::openCellEditor(const CellStart &start) {
    if (cellEditorOpener)
        cellEditorOpener(start);
}

// --- One exchange at a time --------------------------------------------------------------------

void Hub::whenFree(QWidget *window, std::function<void()> read) {
    if (!busy()) {
        read();
        return;
    }
    for (Waiting &w : waiting)
        if (w.window == window) {
            w.read = std::move(read);
            return;
        }
    waiting.push_back({window, std::move(read)});
}

void Hub::letEventsThrough() {
    ++port.eventsLetThrough;
    QCoreApplication::processEvents();
    --port.eventsLetThrough;
    freeAgain();
}

void Hub::waitEnds() {
    --waits;
    freeAgain();
}

void Hub::freeAgain() {
    if (busy() || waiting.empty() || freeAgainPosted)
        return;
    // From the event loop, once whatever was under way has returned to it.
    freeAgainPosted = true;
    QTimer::singleShot(0, &context, [this] {
        freeAgainPosted = false;
        if (busy())
            return; // the next end of what is under way posts again
        for (Waiting &w : std::exchange(waiting, {}))
            if (w.window && w.window->isVisible() && w.window->isActiveWindow())
                w.read();
    });
}

// --- Long waits and the printer ----------------------------------------------------------------

std::unique_ptr<LongWait> Hub::longWait(QWidget *over, const QString &label, int maximum) {
    return std::make_unique<LongWait>(*this, over, label, maximum);
}

bool Hub::readStateBlock(StateBlock &block) {
    return functions.ReadTimeParams(block);
}

bool Hub::autoRunStop(QWidget *over, int attempts) {
    const auto wait = longWait(over, QStringLiteral("Stopping the auto-run…"), attempts);
    for (int i = 0; i < attempts && wait->carryOn(i); ++i)
        if (functions.AutoRunStop())
            return true;
    return false;
}

bool Hub::readLogoNames() {
    return functions.ReadLogoNamesList(names);
}

bool Hub::choosePort(const QString &portName, const QString &baudName) {
    port.printerName.clear();
    port.printerDevice.clear();
    port.portName = portName;
    port.baudName = baudName;
    DeviceSettings::savePortParams(settingsFile, portName, baudName);
    return functions.Connect();
}
