#pragma once
// stampline-agent: the printers of the line on the plant's message broker. Each printer has a
// connection of its own to the broker, under <prefix>/<printer>/:
//   state       retained JSON, at every look of the poll and after every command; the
//               connection's last will marks the printer offline when the agent is gone
//   event       each record of the station's audit trail about the printer, as JSON
//   cmd/apply, cmd/verify, cmd/read-cells   commands (JSON with an "id")
//   reply/<id>  the answer to each command
// The printers' ports are held only while the agent works on them (a look, a command), so that
// the program and the agent can share a station. Everything here runs on the thread that made
// the agent; the broker's callbacks and the printers' work are handed to it.

#include "AuditRecord.h"
#include "LineRecord.h"
#include "LineSettings.h"
#include "MqttSettings.h"
#include "Payloads.h"
#include "Poller.h"

#include <QObject>
#include <QSet>
#include <atomic>
#include <map>
#include <memory>
#include <thread>
#include <vector>

namespace audit {
class Trail;
} // namespace audit

namespace agent {

class BrokerLink;

class Agent : public QObject {
    Q_OBJECT

public:
    // settingsPath: the settings file (the port's and the line's printers, "Mqtt"); lines: how
    // the printers' devices open.
    Agent(QString settingsPath, LineFactory lines, QObject *parent = nullptr);
    ~Agent() override; // stops, as stop()
    Agent(const Agent &) = delete;
    Agent &operator=(const Agent &) = delete;

    // Reads the settings, starts connecting every printer to the broker and starts the poll;
    // false, with why, when there is nothing to serve. Problems with single entries are in
    // problems().
    bool start(QString *why);
    // Cancels the commands under way and waits for them, marks every printer offline at the
    // broker and disconnects.
    void stop();

    const MqttSettings &mqtt() const { return broker; }
    const line::LineSettings &line() const { return printers; }
    const QStringList &problems() const { return troubles; }

signals:
    // For the log: what the agent did or met, one line.
    void said(const QString &line);

private:
    friend class BrokerLink;
    void connected(size_t printer);
    void received(size_t printer, const QString &leaf, const QByteArray &payload);
    void run(size_t printer, Command command);
    void answered(int worker, size_t printer, const Command &command,
                  const std::vector<line::PrinterResult> &results, const QByteArray &reply);
    void showLooks(const std::vector<line::Look> &fresh);
    void publishState(size_t printer);
    void publishEvents();
    void eventsLater();
    void publish(size_t printer, const QString &leaf, const QByteArray &payload, bool retained);
    std::optional<audit::Record> unfinished(size_t printer);
    void findCutOff();
    void closeCutOff(size_t printer);

    const QString settingsPath;
    const LineFactory lines;
    MqttSettings broker;
    line::LineSettings printers;
    QStringList troubles;
    std::vector<std::unique_ptr<BrokerLink>> links; // one a printer, in the line's order
    std::vector<line::Look> looks;
    std::vector<QStringList> recentIds; // a redelivered command is not run twice
    // A job or restore of this station that started on the printer and never ended: the program
    // that ran it was stopped. Told as failed once the printer is found free.
    std::vector<std::optional<audit::Record>> cutOff;
    std::unique_ptr<line::Poller> poller;
    std::unique_ptr<audit::Trail> trail; // read for the events
    qint64 lastEvent = 0;
    bool eventsQueued = false;
    std::atomic<bool> cancel{false};
    std::map<int, std::thread> workers;
    int nextWorker = 0;
    bool stopped = true;
};

} // namespace agent
