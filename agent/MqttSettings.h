#pragma once
// How the agent reaches the plant's message broker: section "Mqtt" of the settings file.
//   Broker    tcp://HOST:PORT or ssl://HOST:PORT (default tcp://127.0.0.1:1883)
//   ClientId  the agent's name at the broker (default stampline-agent-<station>); each printer's
//             connection adds "-<printer>"
//   User, Password   when the broker asks for them
//   Tls       true: the connection is encrypted (an ssl:// broker is anyway)
//   Prefix    the topics' start (default stampline/<station>)

#include <QString>
#include <QStringList>

namespace agent {

struct MqttSettings {
    QString broker = QStringLiteral("tcp://127.0.0.1:1883");
    QString clientId;
    QString user;
    QString password;
    bool tls = false;
    QString prefix;
    QStringList problems; // entries not taken, and why

    static MqttSettings load(const QString &path);
};

// A printer's name as one level of a topic: '/', '+' and '#' (which MQTT reserves) become '_'.
QString topicLevel(const QString &name);

} // namespace agent
