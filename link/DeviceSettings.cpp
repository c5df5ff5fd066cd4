#include "DeviceSettings.h"

#include "WireText.h"

#include <QFileInfo>
#include <QSettings>

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

DeviceSettings DeviceSettings::load(const QString &path) {
    DeviceSettings result;
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
    return result;
}

bool DeviceSettings::savePortParams(const QString &path, const QString &portName,
                                    const QString &baudName) {
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("PortParams"));
    setKey(settings, QStringLiteral("com"), portName);
    setKey(settings, QStringLiteral("Speed"), baudName);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}
