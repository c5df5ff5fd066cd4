#pragma once
// A real MQTT broker for a test: Debian's mosquitto as a child process on a free port of the
// loopback, and a client that keeps every message it receives.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace mqtt {
class async_client;
}

class Broker {
public:
    Broker();
    ~Broker();
    // Starts mosquitto (on the port of the last start, when there was one); false, with why in
    // problem(), when it does not listen.
    bool start();
    void kill();
    quint16 port() const { return listening; }
    QString url() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(listening); }
    const QString &problem() const { return trouble; }

private:
    QTemporaryDir dir;
    QProcess process;
    quint16 listening = 0;
    QString trouble;
};

struct Message {
    QString topic;
    QByteArray payload;
    bool retained = false;
};

// A client of the broker subscribed to `filter`, keeping what arrives (from the client's thread).
class Listener {
public:
    Listener(const QString &url, const QString &filter);
    ~Listener();
    bool connected() const;
    std::vector<Message> received() const;
    // The payload of the last message on `topic`; empty when none came.
    QByteArray last(const QString &topic) const;
    // Every message on the topic so far.
    std::vector<Message> on(const QString &topic) const;
    void publish(const QString &topic, const QByteArray &payload);
    // Waits until `count` messages have come on the topic, at most `timeout`; false when they
    // did not.
    bool waitFor(const QString &topic, size_t count, std::chrono::milliseconds timeout) const;

private:
    std::unique_ptr<mqtt::async_client> client;
    mutable std::mutex mutex;
    mutable std::condition_variable arrived;
    std::vector<Message> messages;
};
