#include "Agent.h"

#include "AuditTrail.h"
#include "DeviceSettings.h"
#include "Functions.h"

#include <QPointer>
#include <QSysInfo>
#include <QTimer>
#include <mqtt/async_client.h>

namespace agent {

namespace {

constexpr int kQos = 1;
constexpr int kFirstRetryMs = 500;
constexpr int kLastRetryMs = 5000;
constexpr int kRecentIds = 64;

std::string utf8(const QString &text) {
    return text.toStdString();
}

} // namespace

// One printer's connection to the broker: its last will, its subscription to its commands, and
// a connection made again whenever it is lost. The broker's callbacks come on the client's own
// thread and are handed to the agent's.
class BrokerLink : public mqtt::iaction_listener {
public:
    BrokerLink(Agent &owner, size_t index, const MqttSettings &m, const QString &base,
               const QString &clientId, const QByteArray &will)
        : agent(&owner), printer(index), root(base) {
        mqtt::create_options create(MQTTVERSION_3_1_1);
        // What is published while the broker is away waits for it (a reply above all).
        create.set_send_while_disconnected(true, true);
        create.set_max_buffered_messages(1000);
        client =
            std::make_unique<mqtt::async_client>(utf8(m.broker), utf8(clientId), create, nullptr);
        options.set_clean_session(true);
        options.set_keep_alive_interval(10);
        options.set_connect_timeout(5);
        options.set_will(mqtt::will_options(utf8(base + QStringLiteral("/state")), will.constData(),
                                            size_t(will.size()), kQos, true));
        if (!m.user.isEmpty())
            options.set_user_name(utf8(m.user));
        if (!m.password.isEmpty())
            options.set_password(utf8(m.password));
        if (m.tls)
            options.set_ssl(mqtt::ssl_options());
        client->set_connection_lost_handler([this](const std::string &cause) {
            toAgent([this, why = QString::fromStdString(cause)] { lost(why); });
        });
        client->set_message_callback([this](mqtt::const_message_ptr message) {
            const std::string topic = message->get_topic();
            const std::string payload = message->get_payload_str();
            const QString start = root + QStringLiteral("/cmd/");
            const QString name = QString::fromStdString(topic);
            if (!name.startsWith(start))
                return;
            toAgent([this, leaf = name.mid(start.size()),
                     bytes = QByteArray(payload.data(), qsizetype(payload.size()))] {
                agent->received(printer, leaf, bytes);
            });
        });
    }

    ~BrokerLink() override {
        closing = true;
        try {
            client->disable_callbacks();
            if (client->is_connected())
                client->disconnect(std::chrono::milliseconds(1000))
                    ->wait_for(std::chrono::seconds(2));
        } catch (const mqtt::exception &) {
        }
    }

    void connect() {
        if (closing)
            return;
        try {
            client->connect(options, nullptr, *this);
        } catch (const mqtt::exception &e) {
            lost(QString::fromStdString(e.what()));
        }
    }

    // Connected, and the broker hands it the printer's commands.
    bool ready() const { return listening; }

    void publish(const QString &leaf, const QByteArray &payload, bool retained) {
        try {
            client->publish(utf8(root + QLatin1Char('/') + leaf), payload.constData(),
                            size_t(payload.size()), kQos, retained);
        } catch (const mqtt::exception &e) {
            emit agent->said(QStringLiteral("%1/%2 was not published: %3")
                                 .arg(root, leaf, QString::fromStdString(e.what())));
        }
    }

    // Publishes and waits (at most `wait`) until the broker has it: the offline state at the end.
    void publishAndWait(const QString &leaf, const QByteArray &payload,
                        std::chrono::milliseconds wait) {
        try {
            if (client->is_connected())
                client
                    ->publish(utf8(root + QLatin1Char('/') + leaf), payload.constData(),
                              size_t(payload.size()), kQos, true)
                    ->wait_for(wait);
        } catch (const mqtt::exception &) {
        }
    }

private:
    template <class Work> void toAgent(Work work) {
        if (closing)
            return;
        QMetaObject::invokeMethod(agent, std::move(work), Qt::QueuedConnection);
    }

    // The connection came up: the commands are listened to again; once the broker has taken the
    // subscription, the state is told afresh, so that a state seen says commands are heard.
    void on_success(const mqtt::token &) override {
        toAgent([this] {
            retryMs = kFirstRetryMs;
            try {
                client->subscribe(utf8(root + QStringLiteral("/cmd/+")), kQos, nullptr,
                                  subscription);
            } catch (const mqtt::exception &e) {
                lost(QStringLiteral("the commands could not be subscribed to: ") +
                     QString::fromStdString(e.what()));
            }
        });
    }
    void on_failure(const mqtt::token &token) override {
        toAgent([this, code = token.get_return_code()] {
            lost(QStringLiteral("the broker refused or did not answer (code %1)").arg(code));
        });
    }

    // The subscription to the commands, taken or refused.
    class Subscription : public mqtt::iaction_listener {
    public:
        explicit Subscription(BrokerLink &l) : link(l) {}

    private:
        void on_success(const mqtt::token &) override {
            link.toAgent([this] {
                link.listening = true;
                link.agent->connected(link.printer);
            });
        }
        void on_failure(const mqtt::token &token) override {
            link.toAgent([this, code = token.get_return_code()] {
                emit link.agent->said(
                    QStringLiteral("%1/cmd/+: the broker refused the subscription (code %2)")
                        .arg(link.root)
                        .arg(code));
            });
        }
        BrokerLink &link;
    };

    // Tries again after a while, waiting longer each time up to a few seconds.
    void lost(const QString &why) {
        listening = false;
        if (closing || !agent)
            return;
        emit agent->said(QStringLiteral("%1: no connection to the broker (%2); trying again in "
                                        "%3 ms")
                             .arg(root, why.isEmpty() ? QStringLiteral("connection lost") : why)
                             .arg(retryMs));
        QTimer::singleShot(retryMs, agent, [this] { connect(); });
        retryMs = std::min(retryMs * 2, kLastRetryMs);
    }

    QPointer<Agent> agent;
    const size_t printer;
    const QString root;
    std::unique_ptr<mqtt::async_client> client;
    mqtt::connect_options options;
    int retryMs = kFirstRetryMs;
    bool listening = false; // on the agent's thread
    Subscription subscription{*this};
    std::atomic<bool> closing{false};
};

Agent::Agent(QString path, LineFactory l, QObject *parent)
    : QObject(parent), settingsPath(std::move(path)), lines(std::move(l)) {}

Agent::~Agent() {
    stop();
}

bool Agent::start(QString *why) {
    const DeviceSettings port = DeviceSettings::load(settingsPath);
    if (!port.problem.isEmpty())
        troubles << port.problem;
    printers = line::LineSettings::load(settingsPath, port);
    troubles << printers.problems;
    broker = MqttSettings::load(settingsPath);
    troubles << broker.problems;
    if (printers.printers.empty()) {
        if (why)
            *why = QStringLiteral("%1 names no printer: give the line's printers in [Line] or a "
                                  "port's device")
                       .arg(settingsPath);
        return false;
    }
    QString trailWhy;
    trail = audit::Trail::open(audit::Trail::defaultPath(), &trailWhy);
    if (trail) // the records written before the agent started are not events
        lastEvent = trail->lastId();
    else
        troubles << trailWhy + QStringLiteral("; no events are published");
    stopped = false;
    cancel = false;
    findCutOff();
    looks.assign(printers.printers.size(), line::Look{});
    recentIds.assign(printers.printers.size(), {});
    for (size_t i = 0; i < printers.printers.size(); ++i) {
        const line::Printer &p = printers.printers[i];
        looks[i].printer = p.name;
        looks[i].why = QStringLiteral("not looked at yet");
        links.push_back(std::make_unique<BrokerLink>(
            *this, i, broker, broker.prefix + QLatin1Char('/') + topicLevel(p.name),
            broker.clientId + QLatin1Char('-') + topicLevel(p.name), offlineJson(p)));
        links.back()->connect();
    }
    // Each printer looked at every interval, its line closed between looks.
    poller = std::make_unique<line::Poller>(
        printers.printers, lines,
        [this](const std::vector<line::Look> &fresh) {
            QMetaObject::invokeMethod(
                this, [this, fresh] { showLooks(fresh); }, Qt::QueuedConnection);
        },
        std::chrono::seconds(printers.pollSeconds), line::Poller::Lines::ClosedBetween);
    return true;
}

void Agent::stop() {
    if (stopped)
        return;
    stopped = true;
    poller.reset();
    cancel = true;
    for (auto &[n, worker] : workers)
        worker.join();
    workers.clear();
    publishEvents();
    for (size_t i = 0; i < links.size(); ++i)
        links[i]->publishAndWait(QStringLiteral("state"), offlineJson(printers.printers[i]),
                                 std::chrono::seconds(2));
    links.clear();
    trail.reset();
}

void Agent::connected(size_t printer) {
    emit said(QStringLiteral("%1 is on the broker at %2")
                  .arg(printers.printers[printer].name, broker.broker));
    publishState(printer);
}

void Agent::showLooks(const std::vector<line::Look> &fresh) {
    if (stopped)
        return;
    for (size_t i = 0; i < fresh.size() && i < looks.size(); ++i) {
        // A printer busy with a command keeps its last look (the command says the rest).
        if (!fresh[i].busy || !looks[i].connected)
            looks[i] = fresh[i];
        // Its line opened: no other program holds the printer, so no job that started on it
        // still runs (the printer may still be in the middle of what it was sent).
        if (fresh[i].opened)
            closeCutOff(i);
        publishState(i);
    }
    publishEvents();
}

// The last job or restore of the printer written from this station, if it started and has no
// end: the program that ran it was stopped, or it still runs.
std::optional<audit::Record> Agent::unfinished(size_t printer) {
    audit::Filter of;
    of.printer = printers.printers[printer].name;
    const QString station = QSysInfo::machineHostName();
    std::optional<audit::Record> last;
    for (const char *operation : {"ApplyJob", "RestoreBackup"}) {
        of.operation = QLatin1String(operation);
        for (const audit::Record &r : trail->list(of))
            if (r.station == station && (!last || r.id > last->id))
                last = r;
    }
    if (last && last->outcome == QLatin1String("started"))
        return last;
    return std::nullopt;
}

void Agent::findCutOff() {
    cutOff.assign(printers.printers.size(), std::nullopt);
    if (!trail)
        return;
    for (size_t i = 0; i < printers.printers.size(); ++i)
        cutOff[i] = unfinished(i);
}

void Agent::closeCutOff(size_t printer) {
    if (printer >= cutOff.size() || !cutOff[printer] || !trail)
        return;
    const audit::Record started = *cutOff[printer];
    cutOff[printer].reset();
    // Another program of the station may have ended it since the agent started.
    const std::optional<audit::Record> still = unfinished(printer);
    if (!still || still->id != started.id)
        return;
    Change end;
    end.printer = started.printer;
    end.device = started.device;
    end.operation = started.operation;
    end.arguments = started.arguments;
    end.cause = QStringLiteral("cut off: the program that ran it (record %1) ended before it did; "
                               "the printer holds what was written up to then, as a verify shows")
                    .arg(started.id);
    if (!trail->append(end))
        emit said(trail->problem());
    emit said(QStringLiteral("%1: %2 of record %3 was cut off; recorded as failed")
                  .arg(started.printer, started.operation)
                  .arg(started.id));
    publishEvents();
}

void Agent::publishState(size_t printer) {
    // Told once the printer's connection hears its commands again (Agent::connected), never
    // into the buffer of a connection that is away.
    if (printer >= links.size() || !links[printer]->ready())
        return;
    const line::Printer &p = printers.printers[printer];
    publish(printer, QStringLiteral("state"),
            stateJson(p, looks[printer], line::LineRecord(printers.jobFolder).of(p.name)), true);
}

void Agent::publish(size_t printer, const QString &leaf, const QByteArray &payload, bool retained) {
    if (printer < links.size())
        links[printer]->publish(leaf, payload, retained);
}

void Agent::eventsLater() {
    if (eventsQueued)
        return;
    eventsQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            eventsQueued = false;
            publishEvents();
        },
        Qt::QueuedConnection);
}

// Every record of the trail written since the last ones, whichever program of the station wrote
// it, to the event topic of its printer.
void Agent::publishEvents() {
    if (!trail)
        return;
    audit::Filter after;
    after.afterId = lastEvent;
    for (const audit::Record &r : trail->list(after)) {
        lastEvent = r.id;
        if (const line::Printer *p = printers.find(r.printer))
            publish(size_t(p - printers.printers.data()), QStringLiteral("event"), r.toJson(),
                    false);
    }
}

void Agent::received(size_t printer, const QString &leaf, const QByteArray &payload) {
    if (stopped || printer >= printers.printers.size())
        return;
    const QString name = printers.printers[printer].name;
    const std::optional<Verb> verb = verbOf(leaf);
    if (!verb) {
        emit said(QStringLiteral("%1: unknown command cmd/%2 left alone").arg(name, leaf));
        return;
    }
    ParsedCommand parsed = parseCommand(*verb, payload, printers.jobFolder);
    if (!parsed.command) {
        // Without a usable id the answer goes where any caller can find it.
        const QString id = usableId(parsed.id) ? parsed.id : QStringLiteral("unknown");
        emit said(QStringLiteral("%1: cmd/%2 refused: %3").arg(name, leaf, parsed.error));
        publish(printer, QStringLiteral("reply/") + id,
                errorJson(parsed.id, *verb, name, parsed.error), false);
        return;
    }
    // The broker may hand a command over twice: it runs once.
    QStringList &recent = recentIds[printer];
    if (recent.contains(parsed.id))
        return;
    recent << parsed.id;
    if (recent.size() > kRecentIds)
        recent.removeFirst();
    run(printer, std::move(*parsed.command));
}

void Agent::run(size_t printer, Command command) {
    const int n = nextWorker++;
    const line::Printer p = printers.printers[printer];
    emit said(QStringLiteral("%1: %2 %3 (%4)")
                  .arg(p.name, wordOf(command.verb), command.jobName, command.id));
    workers.emplace(
        n, std::thread([this, n, printer, p, command, l = lines] {
            std::vector<line::PrinterResult> results;
            QByteArray reply;
            if (command.verb == Verb::ReadCells) {
                PortState state;
                line::aimAt(state, p);
                state.openLine = l;
                state.sharesLine = true;
                Functions f(state);
                MarkCells mark;
                QString why;
                bool turn = false;
                while (!(turn = f.takeTurn(100)) && !cancel)
                    ;
                if (turn) {
                    mark = readMarkCells(f, {1, true, [this](int) { return !cancel.load(); }, {}});
                    if (!mark.done())
                        why = f.state().causes.isEmpty()
                                  ? QStringLiteral("the printer did not answer")
                                  : f.state().causes.last();
                    f.giveTurn();
                } else {
                    why = QStringLiteral("cancelled: the agent is stopping");
                }
                reply = cellsJson(command, p.name, mark, why);
            } else {
                line::Watch watch;
                watch.cancel = &cancel;
                watch.jobName = command.jobName;
                watch.recorders = [this]() -> std::shared_ptr<ChangeRecorder> {
                    auto recorder = audit::stationTrail([this](const QString &why) {
                        QMetaObject::invokeMethod(
                            this, [this, why] { emit said(why); }, Qt::QueuedConnection);
                    });
                    if (recorder)
                        recorder->written = [this](const audit::Record &) {
                            QMetaObject::invokeMethod(
                                this, [this] { eventsLater(); }, Qt::QueuedConnection);
                        };
                    return recorder;
                };
                const std::vector<line::Printer> one{p};
                results = command.verb == Verb::Apply
                              ? line::applyJob(one, *command.job, l, watch)
                              : line::verifyJob(one, *command.job, l, watch);
                reply = resultJson(command, results.front());
            }
            QMetaObject::invokeMethod(
                this,
                [this, n, printer, command, results, reply] {
                    answered(n, printer, command, results, reply);
                },
                Qt::QueuedConnection);
        }));
}

void Agent::answered(int worker, size_t printer, const Command &command,
                     const std::vector<line::PrinterResult> &results, const QByteArray &reply) {
    if (const auto done = workers.find(worker); done != workers.end()) {
        done->second.join();
        workers.erase(done);
    }
    if (!results.empty())
        line::LineRecord(printers.jobFolder).note(command.jobName, results);
    publish(printer, QStringLiteral("reply/") + command.id, reply, false);
    emit said(QStringLiteral("%1: %2 %3 answered")
                  .arg(printers.printers[printer].name, wordOf(command.verb), command.id));
    publishEvents();
    publishState(printer);
    if (poller)
        poller->pollNow();
}

} // namespace agent
