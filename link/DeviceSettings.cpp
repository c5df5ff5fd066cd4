#include "DeviceSettings.h"

#include "FileAccess.h"
#include "Functions.h"
#include "WireText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
// The stored key that matches name in any letter case, or name itself.
QString keyLike(QSettings &settings, const QString &name) {
    const QStringList keys = settings.childKeys();
    for (const QString &key : keys)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return key;
    return name;
}

void setKey(QSettings &settings, const QString &name, const QString &value) {
    const QStringList keys = settings.childKeys();
    for (const QString &key : keys)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            settings.remove(key);
    settings.setValue(name, value);
}
} // namespace

QString DeviceSettings::pathFor(const QString &programPath) {
    const QFileInfo info(programPath);
    const QString base =
        info.suffix().isEmpty() ? info.filePath() : info.path() + '/' + info.completeBaseName();
    return base + QStringLiteral(".dev");
}

QString DeviceSettings::locate(const QString &programPath) {
    const QString beside = pathFor(programPath);
    if (QFileInfo(QFileInfo(programPath).absolutePath()).isWritable())
        return beside;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QStringLiteral("/stampline");
    const QString own = folder + QStringLiteral("/stampline.dev");
    if (!QFileInfo::exists(own) && QDir().mkpath(folder) && QFileInfo(beside).isFile() &&
        !files::unreadable(beside, files::kSettingsLimit))
        QFile::copy(beside, own);
    return own;
}

DeviceSettings DeviceSettings::load(const QString &path) {
    DeviceSettings result;
    // A FIFO, a device or a huge file is never handed to the INI reader.
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        if (const auto why = files::unreadable(path, files::kSettingsLimit)) {
            result.problem = *why + QStringLiteral("; the defaults (com1, 9600 baud, "
                                                   "/dev/ttyS0..3) are used");
            return result;
        }
    }
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        result.problem = QStringLiteral("the settings file %1 is not a readable INI file; the "
                                        "defaults (com1, 9600 baud, /dev/ttyS0..3) are used")
                             .arg(path);
        return result;
    }
    settings.beginGroup(QStringLiteral("PortParams"));
    result.portName = trimBlanks(
        settings.value(keyLike(settings, QStringLiteral("Com")), result.portName).toString());
    result.baudName = trimBlanks(
        settings.value(keyLike(settings, QStringLiteral("Speed")), result.baudName).toString());
    settings.endGroup();
    result.ports = PortTable::fromSettings(settings);
    if (portIndexOf(result.portName) < 0)
        result.problem = QStringLiteral("Com \"%1\" in %2 is none of com1..com4: no port is "
                                        "opened until one is chosen")
                             .arg(result.portName, path);
    if (baudIndexOf(result.baudName) < 0) {
        result.problem = QStringLiteral("Speed \"%1\" in %2 is not a rate of the printer (1200, "
                                        "2400, 4800, 9600, 19200, 38400 or 57600): 9600 is used")
                             .arg(result.baudName, path);
        result.baudName = QStringLiteral("9600");
    }
    return result;
}

bool DeviceSettings::savePortParams(const QString &path, const QString &portName,
                                    const QString &baudName) {
    // Only a regular file (or none yet) is read and written as the settings.
    if (files::unwritable(path) ||
        (QFileInfo::exists(path) && files::unreadable(path, files::kSettingsLimit)))
        return false;
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("PortParams"));
    setKey(settings, QStringLiteral("com"), portName);
    setKey(settings, QStringLiteral("Speed"), baudName);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}
