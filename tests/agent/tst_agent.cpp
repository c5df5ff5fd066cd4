// The agent against a real broker (mosquitto on a free port): each printer's state retained and
// kept fresh, a job applied over the broker to two virtual printers and answered, a verify that
// finds differences, commands that are refused and change nothing, a printer falling silent, the
// broker killed and started again, and the agent killed in the middle of a job: the broker's last
// will, and back again, the job in the trail as failed and the printer verified as it is. Every
// change the agent makes is in the audit trail and on the printer's event topic.

#include "Agent.h"
#include "AuditTrail.h"
#include "Broker.h"
#include "Devices.h"
#include "PrinterRegistry.h"
#include "Stampctl.h"
#include "VirtualPrinter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QtTest>

namespace {

constexpr int kReconnectMs = 20000;

QJsonObject json(const QByteArray &payload) {
    return QJsonDocument::fromJson(payload).object();
}

} // namespace

class TestAgent : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString settings;
    Broker broker;
    std::unique_ptr<agent::Agent> agent;
    std::unique_ptr<Listener> listener;
    const QString prefix = QStringLiteral("plant/line1");

    QString device(const QString &name) const {
        return QStringLiteral("virtual:") + dir.filePath(name + QStringLiteral(".json"));
    }
    std::shared_ptr<printer::VirtualPrinter> printerOf(const QString &name) const {
        return printer::sharedPrinter(device(name), dir.filePath(name + QStringLiteral(".json")));
    }
    QString topic(const QString &printer, const QString &leaf) const {
        return prefix + '/' + printer + '/' + leaf;
    }
    // Sends a command and waits for its reply.
    QJsonObject command(const QString &printer, const QString &verb, const QByteArray &payload,
                        const QString &id) {
        const QString reply = topic(printer, "reply/" + id);
        const size_t before = listener->on(reply).size();
        listener->publish(topic(printer, "cmd/" + verb), payload);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(listener->on(reply).size() > before, 15000); }();
        return json(listener->last(reply));
    }
    QJsonObject state(const QString &printer) const {
        return json(listener->last(topic(printer, "state")));
    }
    qint64 records() const {
        QString why;
        auto trail = audit::Trail::open(audit::Trail::defaultPath(), &why);
        return trail ? qint64(trail->list().size()) : -1;
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void stateIsRetainedAndKeptFresh();
    void jobsAppliedAndVerifiedOverTheBroker();
    void commandsThatAreRefusedChangeNothing();
    void aPrinterFallingSilent();
    void theBrokerRestarted();
    void killedInTheMiddleOfAJob();
};

void TestAgent::initTestCase() {
    QVERIFY(dir.isValid());
    QVERIFY2(broker.start(), qPrintable(broker.problem()));
    qputenv("STAMPLINE_AUDIT_DB", QFile::encodeName(dir.filePath("audit.sqlite")));
    settings = dir.filePath(QStringLiteral("stampline.dev"));
    QSettings file(settings, QSettings::IniFormat);
    file.setValue(QStringLiteral("PortParams/Com"), QStringLiteral("com1"));
    file.setValue(QStringLiteral("PortParams/Speed"), QStringLiteral("57600"));
    file.setValue(QStringLiteral("PortDevices/COM1"), device(QStringLiteral("Source")));
    file.setValue(QStringLiteral("Line/JobFolder"), dir.filePath(QStringLiteral("jobs")));
    file.setValue(QStringLiteral("Line/PollSeconds"), 1);
    file.beginGroup(QStringLiteral("Line"));
    file.beginWriteArray(QStringLiteral("Printers"));
    const QStringList names{"North", "South"};
    for (int i = 0; i < names.size(); ++i) {
        file.setArrayIndex(i);
        file.setValue(QStringLiteral("Name"), names[i]);
        file.setValue(QStringLiteral("Device"), device(names[i]));
        file.setValue(QStringLiteral("Speed"), 57600);
    }
    file.endArray();
    file.endGroup();
    file.setValue(QStringLiteral("Mqtt/Broker"), broker.url());
    file.setValue(QStringLiteral("Mqtt/Prefix"), prefix);
    file.setValue(QStringLiteral("Mqtt/ClientId"), QStringLiteral("test-agent"));
    file.sync();
    QCOMPARE(file.status(), QSettings::NoError);

    // The job: what the source printer holds, saved by stampctl into the library.
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("jobs"))));
    const auto ctl = [this](const QStringList &args) {
        return ctl::run(args, settings, devices::open,
                        {[](const QByteArray &) {}, [](const QByteArray &) {}});
    };
    QCOMPARE(ctl({"write-text-fragment", "1", "2", "LOT 42"}), 0);
    QCOMPARE(ctl({"write-counter-fragment", "2", "1", "0001"}), 0);
    QCOMPARE(ctl({"save-job", dir.filePath("jobs/changeover.json")}), 0);

    listener = std::make_unique<Listener>(broker.url(), prefix + "/#");
    QVERIFY(listener->connected());
    agent = std::make_unique<agent::Agent>(settings, devices::open);
    QString why;
    QVERIFY2(agent->start(&why), qPrintable(why));
}

void TestAgent::cleanupTestCase() {
    agent.reset();
    listener.reset();
    qunsetenv("STAMPLINE_AUDIT_DB");
}

void TestAgent::stateIsRetainedAndKeptFresh() {
    for (const QString name : {"North", "South"}) {
        QTRY_VERIFY_WITH_TIMEOUT(state(name).value("connected").toBool(), 10000);
        const QJsonObject s = state(name);
        QCOMPARE(s.value("printer").toString(), name);
        QCOMPARE(s.value("device").toString(), device(name));
        QCOMPARE(s.value("agent").toString(), QStringLiteral("online"));
        QVERIFY(s.value("statusWords").toString().startsWith("fase "));
        QCOMPARE(s.value("status").toString().size(), 2);
    }
    // Kept fresh: a later look is published again.
    const QString first = state("North").value("time").toString();
    QTRY_VERIFY_WITH_TIMEOUT(state("North").value("time").toString() != first, 10000);
    // Retained: a client that comes later is told at once.
    Listener late(broker.url(), topic("North", "state"));
    QTRY_VERIFY(!late.received().empty());
    QVERIFY(late.received().front().retained);
    QVERIFY(json(late.received().front().payload).value("connected").toBool());
}

void TestAgent::jobsAppliedAndVerifiedOverTheBroker() {
    QFile job(dir.filePath("jobs/changeover.json"));
    QVERIFY(job.open(QIODevice::ReadOnly));
    const QJsonObject whole = QJsonDocument::fromJson(job.readAll()).object();
    // To both printers at once: one names a job of the library, the other carries the job.
    listener->publish(topic("North", "cmd/apply"), R"({"id":"a1","jobName":"changeover"})");
    const QJsonObject south = command(
        "South", "apply", QJsonDocument(QJsonObject{{"id", "a2"}, {"job", whole}}).toJson(), "a2");
    QTRY_VERIFY_WITH_TIMEOUT(!listener->last(topic("North", "reply/a1")).isEmpty(), 15000);
    const QJsonObject north = json(listener->last(topic("North", "reply/a1")));
    QCOMPARE(north.value("result").toString(), QStringLiteral("verified"));
    QCOMPARE(north.value("command").toString(), QStringLiteral("apply"));
    QCOMPARE(north.value("printer").toString(), QStringLiteral("North"));
    QCOMPARE(north.value("job").toString(), QStringLiteral("changeover"));
    QCOMPARE(south.value("result").toString(), QStringLiteral("verified"));
    QCOMPARE(printerOf("South")->state().cell(1, 2).text, QByteArray("LOT 42"));
    // The state tells the job and its verification.
    QTRY_COMPARE(state("North").value("lastJob").toString(), QStringLiteral("changeover"));
    QCOMPARE(state("North").value("lastOutcome").toString(), QStringLiteral("verified"));

    // The changes are in the audit trail, and on each printer's event topic as they happen.
    QTRY_VERIFY(listener->on(topic("South", "event")).size() >= 3);
    const auto events = listener->on(topic("South", "event"));
    const QJsonObject started = json(events.front().payload);
    QCOMPARE(started.value("operation").toString(), QStringLiteral("ApplyJob"));
    QCOMPARE(started.value("outcome").toString(), QStringLiteral("started"));
    QCOMPARE(started.value("printer").toString(), QStringLiteral("South"));
    QTRY_COMPARE(
        json(listener->on(topic("South", "event")).back().payload).value("outcome").toString(),
        QStringLiteral("done"));
    QVERIFY(std::any_of(events.begin(), events.end(), [](const Message &m) {
        return json(m.payload).value("arguments").toString() == "cell 1,2: text \"LOT 42\"";
    }));

    // Verify: a printer changed since is told where it differs.
    printerOf("South")->state().cell(1, 2).text = "LOT 43";
    const QJsonObject differs =
        command("South", "verify", R"({"id":"v1","jobName":"changeover"})", "v1");
    QCOMPARE(differs.value("result").toString(), QStringLiteral("different"));
    const QJsonArray where = differs.value("differences").toArray();
    QCOMPARE(where.size(), 1);
    QVERIFY2(where[0].toString().startsWith("cell 1,2: "), qPrintable(where[0].toString()));
    QCOMPARE(command("North", "verify", R"({"id":"v2","jobName":"changeover"})", "v2")
                 .value("result")
                 .toString(),
             QStringLiteral("matches"));

    // read-cells: the 32 cells as they are.
    const QJsonObject cells = command("South", "read-cells", R"({"id":"r1"})", "r1");
    QCOMPARE(cells.value("result").toString(), QStringLiteral("read"));
    const QJsonArray all = cells.value("cells").toArray();
    QCOMPARE(all.size(), 32);
    QCOMPARE(all[1].toObject().value("text").toString(), QStringLiteral("LOT 43"));
    QCOMPARE(all[1].toObject().value("kind").toString(), QStringLiteral("text"));
}

void TestAgent::commandsThatAreRefusedChangeNothing() {
    const qint64 before = records();
    const QByteArray held = printerOf("North")->state().cell(1, 2).text;
    QJsonObject r = command("North", "apply", "not json", "unknown");
    QCOMPARE(r.value("result").toString(), QStringLiteral("error"));
    QVERIFY(r.value("message").toString().startsWith("the command is not JSON"));
    r = command("North", "apply", R"({"id":"m1","job":{"format":"stampline-job","cells":[]}})",
                "m1");
    QCOMPARE(r.value("result").toString(), QStringLiteral("error"));
    QVERIFY(r.value("message").toString().endsWith("; nothing was changed"));
    r = command("North", "apply", R"({"id":"m2","jobName":"../stampline"})", "m2");
    QCOMPARE(r.value("result").toString(), QStringLiteral("error"));
    r = command("North", "verify", R"({"id":"m3"})", "m3");
    QCOMPARE(r.value("message").toString(),
             QStringLiteral("the command needs either \"job\" (the job itself) or \"jobName\" (a "
                            "job of the library), not neither"));
    const QByteArray huge =
        R"({"id":"m4","job":")" + QByteArray(agent::kMaxCommandBytes, 'x') + "\"}";
    r = command("North", "apply", huge, "unknown");
    QVERIFY(r.value("message").toString().startsWith("the command is "));
    QVERIFY(r.value("message").toString().contains("at most 1048576 are taken"));
    QCOMPARE(printerOf("North")->state().cell(1, 2).text, held);
    QCOMPARE(records(), before);
}

void TestAgent::aPrinterFallingSilent() {
    printerOf("South")->silenceFrom(0);
    QTRY_VERIFY_WITH_TIMEOUT(!state("South").value("connected").toBool(), 10000);
    QVERIFY(state("South").value("why").toString().contains("did not answer"));
    QVERIFY(state("North").value("connected").toBool());
    printerOf("South")->clearFaults();
    QTRY_VERIFY_WITH_TIMEOUT(state("South").value("connected").toBool(), 10000);
}

void TestAgent::theBrokerRestarted() {
    broker.kill();
    QVERIFY2(broker.start(), qPrintable(broker.problem()));
    // The retained states were lost with the broker: the agent, connected again, tells them anew.
    listener = std::make_unique<Listener>(broker.url(), prefix + "/#");
    QTRY_VERIFY_WITH_TIMEOUT(state("North").value("agent").toString() == "online", kReconnectMs);
    QTRY_VERIFY_WITH_TIMEOUT(state("South").value("connected").toBool(), kReconnectMs);
    // And takes commands again.
    QCOMPARE(command("North", "verify", R"({"id":"after-restart","jobName":"changeover"})",
                     "after-restart")
                 .value("result")
                 .toString(),
             QStringLiteral("matches"));
}

void TestAgent::killedInTheMiddleOfAJob() {
    // The program as installed, for a printer of its own that takes its time (a paced printer on
    // a pseudo-terminal at 2400 baud), killed outright while it applies a job.
    QProcess printer;
    printer.start(QStringLiteral(VPRINTER_PROGRAM),
                  {"--link", dir.filePath("west.pty"), "--pace", "--baud", "2400"});
    QVERIFY(printer.waitForReadyRead(30000));
    QVERIFY(printer.readLine().startsWith("ready "));
    const QString own = dir.filePath(QStringLiteral("west.dev"));
    {
        QSettings file(own, QSettings::IniFormat);
        file.setValue(QStringLiteral("Line/Printers/size"), 1);
        file.setValue(QStringLiteral("Line/Printers/1/Name"), QStringLiteral("West"));
        file.setValue(QStringLiteral("Line/Printers/1/Device"), dir.filePath("west.pty"));
        file.setValue(QStringLiteral("Line/Printers/1/Speed"), 2400);
        file.setValue(QStringLiteral("Line/PollSeconds"), 1);
        file.setValue(QStringLiteral("Line/JobFolder"), dir.filePath(QStringLiteral("jobs")));
        file.setValue(QStringLiteral("Mqtt/Broker"), broker.url());
        file.setValue(QStringLiteral("Mqtt/Prefix"), prefix);
    }
    const auto startAgent = [&](QProcess &program) {
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(AGENT_PROGRAM), {"--settings", own});
        return program.waitForStarted();
    };
    QProcess program;
    QVERIFY(startAgent(program));
    QTRY_VERIFY_WITH_TIMEOUT(state("West").value("connected").toBool(), 10000);
    listener->publish(topic("West", "cmd/apply"), R"({"id":"k1","jobName":"changeover"})");
    QTRY_VERIFY_WITH_TIMEOUT(!listener->on(topic("West", "event")).empty(), 10000);
    QCOMPARE(json(listener->on(topic("West", "event")).front().payload).value("outcome").toString(),
             QStringLiteral("started"));
    program.kill();
    program.waitForFinished();
    // The broker's last will says the agent is gone.
    QTRY_COMPARE_WITH_TIMEOUT(state("West").value("agent").toString(), QStringLiteral("offline"),
                              10000);
    QCOMPARE(state("West").value("connected").toBool(), false);
    QVERIFY(listener->on(topic("West", "reply/k1")).empty());

    // Back again: the job that never ended is in the trail as failed, and a verify tells what the
    // printer holds.
    QProcess again;
    QVERIFY(startAgent(again));
    QTRY_VERIFY_WITH_TIMEOUT(json(listener->on(topic("West", "event")).back().payload)
                                 .value("outcome")
                                 .toString()
                                 .startsWith("failed: cut off: the program that ran it (record "),
                             15000);
    // Honest: a printer left in the middle of what it was sent is never reported as holding the
    // job; it differs, or cannot be read back yet.
    const QString verified =
        command("West", "verify", R"({"id":"k2","jobName":"changeover"})", "k2")
            .value("result")
            .toString();
    QVERIFY2(verified == "different" || verified == "failed", qPrintable(verified));
    again.terminate();
    QVERIFY(again.waitForFinished());
    QCOMPARE(state("West").value("agent").toString(), QStringLiteral("offline"));
    printer.terminate();
    printer.waitForFinished();
}

QTEST_GUILESS_MAIN(TestAgent)
#include "tst_agent.moc"
