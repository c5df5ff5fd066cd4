#include "LineSettings.h"

#include "FileAccess.h"
#include "Functions.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <optional>

namespace line {

namespace {
// Whether the section "Line" names printers (a section with only the poll interval or the job
// folder leaves the line the port's printer).
bool hasPrinters(QSettings &settings) {
    return settings.contains(QStringLiteral("Line/Printers/size"));
}
} // namespace

const Printer *LineSettings::find(const QString &name) const {
    for (const Printer &p : printers)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

LineSettings LineSettings::load(const QString &path, const DeviceSettings &port) {
    LineSettings line;
    // The port's printer: the line of one, when the file names no line (or cannot be read).
    const Printer ofPort{port.portName, port.ports.device(portIndexOf(port.portName)),
                         port.baudName};
    // A FIFO, a device or a huge file is never handed to the INI reader.
    const bool readable =
        QFileInfo::exists(path) && !files::unreadable(path, files::kSettingsLimit);
    std::optional<QSettings> settings;
    if (readable)
        settings.emplace(path, QSettings::IniFormat);
    line.jobFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                     QStringLiteral("/stampline/jobs");
    if (settings && settings->status() == QSettings::NoError) {
        bool ok = false;
        const int seconds = settings->value(QStringLiteral("Line/PollSeconds")).toInt(&ok);
        if (ok && seconds >= 1 && seconds <= 3600)
            line.pollSeconds = seconds;
        const QString folder =
            settings->value(QStringLiteral("Line/JobFolder")).toString().trimmed();
        if (!folder.isEmpty())
            line.jobFolder = folder;
    }
    if (!settings || settings->status() != QSettings::NoError || !hasPrinters(*settings)) {
        if (!ofPort.device.isEmpty())
            line.printers.push_back(ofPort);
        return line;
    }
    line.ofOne = false;
    settings->beginGroup(QStringLiteral("Line"));
    const int size = settings->beginReadArray(QStringLiteral("Printers"));
    for (int i = 0; i < size; ++i) {
        settings->setArrayIndex(i);
        Printer p{settings->value(QStringLiteral("Name")).toString().trimmed(),
                  settings->value(QStringLiteral("Device")).toString().trimmed(),
                  settings->value(QStringLiteral("Speed"), port.baudName).toString().trimmed()};
        const QString entry = QStringLiteral("Printers\\%1 in %2").arg(i + 1).arg(path);
        if (p.name.isEmpty() || p.device.isEmpty())
            line.problems << entry + QStringLiteral(" names no %1; it is left out")
                                         .arg(p.name.isEmpty() ? QStringLiteral("Name")
                                                               : QStringLiteral("Device"));
        else if (line.find(p.name))
            line.problems << entry + QStringLiteral(": a second printer named \"%1\"; it is left "
                                                    "out")
                                         .arg(p.name);
        else if (baudIndexOf(p.speed) < 0)
            line.problems << entry + QStringLiteral(": Speed \"%1\" is not a rate of the printer "
                                                    "(1200, 2400, 4800, 9600, 19200, 38400 or "
                                                    "57600); it is left out")
                                         .arg(p.speed);
        else
            line.printers.push_back(p);
    }
    settings->endArray();
    settings->endGroup();
    return line;
}

bool LineSettings::savePollSeconds(const QString &path, int seconds) {
    // Only a regular file (or none yet) is read and written as the settings.
    if (files::unwritable(path) ||
        (QFileInfo::exists(path) && files::unreadable(path, files::kSettingsLimit)))
        return false;
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Line/PollSeconds"), seconds);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

void aimAt(PortState &state, const Printer &printer) {
    state.usePrinter(printer.name, printer.device, printer.speed);
}

} // namespace line
