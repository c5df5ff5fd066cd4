#include "MqttSettings.h"

#include "FileAccess.h"

#include <QFileInfo>
#include <QSettings>
#include <QSysInfo>

namespace agent {

QString topicLevel(const QString &name) {
    QString level = name;
    for (QChar &ch : level)
        if (ch == QLatin1Char('/') || ch == QLatin1Char('+') || ch == QLatin1Char('#') ||
            ch.unicode() == 0)
            ch = QLatin1Char('_');
    return level;
}

MqttSettings MqttSettings::load(const QString &path) {
    MqttSettings m;
    const QString station = QSysInfo::machineHostName();
    m.clientId = QStringLiteral("stampline-agent-") + station;
    m.prefix = QStringLiteral("stampline/") + topicLevel(station);
    if (!QFileInfo::exists(path) || files::unreadable(path, files::kSettingsLimit))
        return m;
    QSettings s(path, QSettings::IniFormat);
    if (s.status() != QSettings::NoError) {
        m.problems
            << QStringLiteral("%1 could not be read; the broker's defaults are used").arg(path);
        return m;
    }
    s.beginGroup(QStringLiteral("Mqtt"));
    const auto text = [&s](const char *key) {
        return s.value(QLatin1String(key)).toString().trimmed();
    };
    if (const QString broker = text("Broker"); !broker.isEmpty()) {
        if (broker.startsWith(QLatin1String("tcp://")) ||
            broker.startsWith(QLatin1String("ssl://")) ||
            broker.startsWith(QLatin1String("mqtt://")) ||
            broker.startsWith(QLatin1String("mqtts://")))
            m.broker = broker;
        else
            m.problems << QStringLiteral("Mqtt/Broker \"%1\" in %2 is not tcp://HOST:PORT or "
                                         "ssl://HOST:PORT; %3 is used")
                              .arg(broker, path, m.broker);
    }
    if (const QString id = text("ClientId"); !id.isEmpty())
        m.clientId = id;
    m.user = text("User");
    m.password = s.value(QStringLiteral("Password")).toString();
    const QString tls = text("Tls").toLower();
    m.tls =
        tls == QLatin1String("true") || tls == QLatin1String("1") || tls == QLatin1String("yes");
    if (const QString prefix = text("Prefix"); !prefix.isEmpty()) {
        if (prefix.contains(QLatin1Char('+')) || prefix.contains(QLatin1Char('#')))
            m.problems << QStringLiteral(
                              "Mqtt/Prefix \"%1\" in %2 holds + or #, which no topic may "
                              "hold; %3 is used")
                              .arg(prefix, path, m.prefix);
        else
            m.prefix = prefix.endsWith(QLatin1Char('/')) ? prefix.chopped(1) : prefix;
    }
    if (m.broker.startsWith(QLatin1String("ssl://")) ||
        m.broker.startsWith(QLatin1String("mqtts://")))
        m.tls = true;
    return m;
}

} // namespace agent
