// What the agent takes and publishes, as outside systems read it: the commands it refuses and
// why, the exact names of the state and reply fields, and its section of the settings file.

#include "MqttSettings.h"
#include "Payloads.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace agent;

namespace {

QJsonObject json(const QByteArray &payload) {
    return QJsonDocument::fromJson(payload).object();
}

QStringList keys(const QByteArray &payload) {
    QStringList k = json(payload).keys();
    k.sort();
    return k;
}

} // namespace

class TestPayloads : public QObject {
    Q_OBJECT

private slots:
    void commandsThatAreRefused();
    void commandsThatAreTaken();
    void whatIsPublished();
    void theBrokersSettings();
};

void TestPayloads::commandsThatAreRefused() {
    QTemporaryDir jobs;
    const auto refused = [&](Verb verb, const QByteArray &payload) {
        const ParsedCommand p = parseCommand(verb, payload, jobs.path());
        return p.command ? QStringLiteral("taken") : p.error;
    };
    QVERIFY(refused(Verb::Apply, QByteArray(kMaxCommandBytes + 1, ' '))
                .startsWith("the command is 1048577 bytes; at most 1048576 are taken"));
    QVERIFY(refused(Verb::Apply, "{\"id\":").startsWith("the command is not JSON: "));
    QCOMPARE(refused(Verb::Apply, "[1,2]"), QStringLiteral("the command is not a JSON object"));
    const QString noId = QStringLiteral("the command has no usable \"id\": a text of 1 to 128 "
                                        "characters without / + # or control characters");
    for (const QByteArray &id :
         {QByteArray("{}"), QByteArray(R"({"id":7})"), QByteArray(R"({"id":""})"),
          QByteArray(R"({"id":"a/b"})"), QByteArray(R"({"id":"a+"})"), QByteArray(R"({"id":"#"})"),
          QByteArray(R"({"id":"a\nb"})"), "{\"id\":\"" + QByteArray(129, 'x') + "\"}"})
        QCOMPARE(refused(Verb::ReadCells, id), noId);
    QVERIFY(refused(Verb::Verify, R"({"id":"1"})").endsWith("not neither"));
    QVERIFY(refused(Verb::Verify, R"({"id":"1","job":{},"jobName":"a"})").endsWith("not both"));
    for (const char *name : {"../secret", "a/b", ".hidden", ""})
        QVERIFY(
            refused(
                Verb::Apply,
                QStringLiteral(R"({"id":"1","jobName":"%1"})").arg(QLatin1String(name)).toUtf8())
                .startsWith("\"jobName\" must name a job of the library"));
    QVERIFY(refused(Verb::Apply, R"({"id":"1","jobName":"missing"})")
                .startsWith("the job \"missing\" ("));
    QVERIFY(refused(Verb::Apply, R"({"id":"1","job":{"format":"stampline-backup"}})")
                .endsWith("; nothing was changed"));
    // What could be read of the id is kept for the reply.
    QCOMPARE(parseCommand(Verb::Apply, R"({"id":"r7"})", jobs.path()).id, QStringLiteral("r7"));
}

void TestPayloads::commandsThatAreTaken() {
    QTemporaryDir jobs;
    ParsedCommand p = parseCommand(Verb::ReadCells, R"({"id":"r1"})", jobs.path());
    QVERIFY(p.command);
    QCOMPARE(p.command->id, QStringLiteral("r1"));
    QVERIFY(!p.command->job);
    QCOMPARE(verbOf("read-cells"), std::optional(Verb::ReadCells));
    QCOMPARE(verbOf("apply"), std::optional(Verb::Apply));
    QCOMPARE(verbOf("verify"), std::optional(Verb::Verify));
    QVERIFY(!verbOf("delete"));
    QCOMPARE(wordOf(Verb::ReadCells), QStringLiteral("read-cells"));
}

void TestPayloads::whatIsPublished() {
    const line::Printer north{"North", "tcp:10.0.0.5:4001", "57600"};
    line::Look look;
    look.printer = north.name;
    look.connected = true;
    look.autoRunPeriod = 0;
    look.status = 0x9A;
    line::Record record;
    record.job = QStringLiteral("changeover");
    record.outcome = QStringLiteral("verified");
    record.at = QDateTime(QDate(2026, 12, 7), QTime(6, 15), Qt::UTC);
    record.verified = record.at;
    const QByteArray state = stateJson(north, look, record);
    QCOMPARE(keys(state), (QStringList{"agent", "autoRunPeriod", "busy", "connected", "device",
                                       "lastJob", "lastJobAt", "lastOutcome", "lastVerified",
                                       "printer", "status", "statusWords", "time", "why"}));
    QCOMPARE(json(state).value("status").toString(), QStringLiteral("9A"));
    QCOMPARE(json(state).value("lastJobAt").toString(), QStringLiteral("2026-12-07T06:15:00.000Z"));
    QCOMPARE(offlineJson(north), QByteArray(R"({"agent":"offline","connected":false,"device":)"
                                            R"("tcp:10.0.0.5:4001","printer":"North","why":"the )"
                                            R"(agent is not running"})"));

    Command c;
    c.verb = Verb::Apply;
    c.id = QStringLiteral("a1");
    c.jobName = QStringLiteral("changeover");
    line::PrinterResult r;
    r.printer = north.name;
    r.applying = true;
    r.end = line::PrinterResult::End::Different;
    r.differences = QStringList{"cell 1,2: printer holds \"LOT 41\", job says \"LOT 42\""};
    QJsonObject reply = json(resultJson(c, r));
    QCOMPARE(reply.value("result").toString(), QStringLiteral("different"));
    QCOMPARE(reply.value("differences").toArray().size(), 1);
    QCOMPARE(reply.value("command").toString(), QStringLiteral("apply"));
    QCOMPARE(reply.value("job").toString(), QStringLiteral("changeover"));
    r.end = line::PrinterResult::End::Failed;
    r.outcome.end = backup::Outcome::End::Failed;
    r.outcome.step = QStringLiteral("cell 4,3");
    r.outcome.done = 29;
    r.outcome.total = 36;
    r.outcome.cause = QStringLiteral("the printer did not answer");
    reply = json(resultJson(c, r));
    QCOMPARE(reply.value("result").toString(), QStringLiteral("failed"));
    QCOMPARE(reply.value("failedAt").toString(), QStringLiteral("cell 4,3"));
    QCOMPARE(reply.value("stepsDone").toInt(), 29);
    QCOMPARE(reply.value("stepsTotal").toInt(), 36);
    QCOMPARE(reply.value("message").toString(),
             QStringLiteral("failed at cell 4,3: the printer did not answer (29 of 36 steps "
                            "written)"));
    r.end = line::PrinterResult::End::Verified;
    r.applying = false;
    QCOMPARE(json(resultJson(c, r)).value("result").toString(), QStringLiteral("matches"));
    const QJsonObject error = json(errorJson("", Verb::Verify, "North", "not JSON"));
    QCOMPARE(error.value("result").toString(), QStringLiteral("error"));
    QCOMPARE(error.value("message").toString(), QStringLiteral("not JSON"));
}

void TestPayloads::theBrokersSettings() {
    QTemporaryDir dir;
    const QString station = QSysInfo::machineHostName();
    MqttSettings m = MqttSettings::load(dir.filePath("none.dev"));
    QCOMPARE(m.broker, QStringLiteral("tcp://127.0.0.1:1883"));
    QCOMPARE(m.prefix, QStringLiteral("stampline/") + topicLevel(station));
    QCOMPARE(m.clientId, QStringLiteral("stampline-agent-") + station);
    QVERIFY(!m.tls);

    const QString path = dir.filePath("stampline.dev");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Mqtt]\nBroker=http://broker\nPrefix=plant/#\nClientId=line1\nUser=u\n"
               "Password=p w\n");
    file.close();
    m = MqttSettings::load(path);
    QCOMPARE(m.broker, QStringLiteral("tcp://127.0.0.1:1883"));
    QCOMPARE(m.prefix, QStringLiteral("stampline/") + topicLevel(station));
    QCOMPARE(m.problems.size(), 2);
    QVERIFY(m.problems[0].startsWith("Mqtt/Broker \"http://broker\" in "));
    QVERIFY(m.problems[1].startsWith("Mqtt/Prefix \"plant/#\" in "));
    QCOMPARE(m.clientId, QStringLiteral("line1"));
    QCOMPARE(m.password, QStringLiteral("p w"));

    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Mqtt]\nBroker=ssl://broker:8883\nPrefix=plant/line1/\n");
    file.close();
    m = MqttSettings::load(path);
    QVERIFY(m.tls); // an ssl:// broker is encrypted whatever Tls says
    QCOMPARE(m.prefix, QStringLiteral("plant/line1"));
    QCOMPARE(topicLevel("Line/1+#"), QStringLiteral("Line_1__"));
}

QTEST_GUILESS_MAIN(TestPayloads)
#include "tst_payloads.moc"
