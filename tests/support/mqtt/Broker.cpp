#include "Broker.h"

#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <mqtt/async_client.h>

namespace {

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool answers(quint16 port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(200);
}

} // namespace

Broker::Broker() = default;

Broker::~Broker() {
    kill();
}

bool Broker::start() {
    const QString program = QStandardPaths::findExecutable(
        QStringLiteral("mosquitto"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
    if (program.isEmpty()) {
        trouble = QStringLiteral("mosquitto is not installed (Debian package mosquitto)");
        return false;
    }
    if (!listening)
        listening = freePort();
    QFile config(dir.filePath(QStringLiteral("mosquitto.conf")));
    if (!config.open(QIODevice::WriteOnly)) {
        trouble = config.errorString();
        return false;
    }
    config.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n")
                     .arg(listening)
                     .toUtf8());
    config.close();
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, {QStringLiteral("-c"), config.fileName()});
    if (!process.waitForStarted()) {
        trouble = process.errorString();
        return false;
    }
    // Listening once it says it runs (each wait ends at its next line of output, or when it
    // ends) and a connection is taken; a broker that ended says why.
    QByteArray said;
    while (!said.contains("running")) {
        if (!process.waitForReadyRead(10000)) {
            trouble = QStringLiteral("mosquitto did not start: %1")
                          .arg(QString::fromUtf8(said + process.readAll()));
            return false;
        }
        said += process.readAll();
    }
    if (answers(listening))
        return true;
    trouble = QStringLiteral("mosquitto does not listen on %1: %2")
                  .arg(listening)
                  .arg(QString::fromUtf8(said));
    return false;
}

void Broker::kill() {
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished();
}

Listener::Listener(const QString &url, const QString &filter) {
    static int made = 0;
    client = std::make_unique<mqtt::async_client>(url.toStdString(),
                                                  "listener-" + std::to_string(++made), nullptr);
    client->set_message_callback([this](mqtt::const_message_ptr m) {
        const std::string payload = m->get_payload_str();
        const std::lock_guard<std::mutex> lock(mutex);
        messages.push_back({QString::fromStdString(m->get_topic()),
                            QByteArray(payload.data(), qsizetype(payload.size())),
                            m->is_retained()});
        arrived.notify_all();
    });
    mqtt::connect_options options;
    options.set_clean_session(true);
    try {
        client->connect(options)->wait_for(std::chrono::seconds(5));
        client->subscribe(filter.toStdString(), 1)->wait_for(std::chrono::seconds(5));
    } catch (const mqtt::exception &) {
    }
}

Listener::~Listener() {
    try {
        client->disable_callbacks();
        if (client->is_connected())
            client->disconnect()->wait_for(std::chrono::seconds(2));
    } catch (const mqtt::exception &) {
    }
}

bool Listener::connected() const {
    return client->is_connected();
}

std::vector<Message> Listener::received() const {
    const std::lock_guard<std::mutex> lock(mutex);
    return messages;
}

QByteArray Listener::last(const QString &topic) const {
    const std::lock_guard<std::mutex> lock(mutex);
    for (auto m = messages.rbegin(); m != messages.rend(); ++m)
        if (m->topic == topic)
            return m->payload;
    return {};
}

std::vector<Message> Listener::on(const QString &topic) const {
    std::vector<Message> found;
    const std::lock_guard<std::mutex> lock(mutex);
    for (const Message &m : messages)
        if (m.topic == topic)
            found.push_back(m);
    return found;
}

void Listener::publish(const QString &topic, const QByteArray &payload) {
    client->publish(topic.toStdString(), payload.constData(), size_t(payload.size()), 1, false)
        ->wait_for(std::chrono::seconds(5));
}

bool Listener::waitFor(const QString &topic, size_t count,
                       std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(mutex);
    return arrived.wait_for(lock, timeout, [&] {
        return size_t(std::count_if(messages.begin(), messages.end(),
                                    [&](const Message &m) { return m.topic == topic; })) >= count;
    });
}
