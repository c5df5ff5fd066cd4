// The audit trail and the agent against their goals:
// - an audit record's cost on the operation it records: the same cell write on the built-in
//   virtual printer with the trail kept and without, on a trail that already holds a year of a
//   busy station's records;
// - a job through a real broker (mosquitto on the loopback) to the agent's verified answer,
//   against the same apply from stampctl, both onto one paced stand-in printer.

#include "AuditTrail.h"
#include "BenchReport.h"
#include "Broker.h"
#include "Devices.h"
#include "Functions.h"
#include "LineJob.h"
#include "PacedPrinter.h"
#include "Stampctl.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>

namespace {

constexpr int kBaud = 57600;
constexpr int kJobLogos = 4;
constexpr int kTrailBefore = 20000; // records already in the trail
constexpr int kWrites = 400;
constexpr int kRuns = 3;

const QString kVprinter = QStringLiteral(VPRINTER_PATH);
const QString kStampctl = QStringLiteral(STAMPCTL_PATH);
const QString kAgent = QStringLiteral(AGENT_PATH);

QString ms(double value) {
    return bench::number(value, value < 1 ? 3 : value < 10 ? 2 : 1) + QStringLiteral(" ms");
}

// --- An audit record ----------------------------------------------------------------------------

// The median time of `kWrites` cell writes on the built-in virtual printer, with or without the
// trail kept.
double cellWrites(const QString &state, const std::shared_ptr<audit::Trail> &trail) {
    PortState port;
    port.portName = QStringLiteral("Com1");
    port.baudName = QString::number(kBaud);
    port.ports.devices[0] = QStringLiteral("virtual:") + state;
    devices::install(port);
    port.recorder = trail;
    Functions f(port);
    QList<double> times;
    for (int i = 0; i < kWrites; ++i) {
        const double start = bench::wallMs();
        if (!f.WriteTextFragment(1 + i % 4, 1 + i % 8, QByteArray("LOT ") + QByteArray::number(i)))
            return -1;
        times << bench::wallMs() - start;
    }
    return bench::median(times);
}

void auditRecord() {
    const QString name = QStringLiteral("An audit record, its cost on the cell write it records");
    const QString goal = QStringLiteral("≤ 1 ms");
    QTemporaryDir dir;
    QString why;
    std::shared_ptr<audit::Trail> trail =
        audit::Trail::open(dir.filePath(QStringLiteral("audit.sqlite")), &why);
    if (!trail) {
        bench::note(why);
        bench::figure(name, QStringLiteral("failed"), goal, false);
        return;
    }
    Change c;
    c.printer = QStringLiteral("Com1");
    c.device = QStringLiteral("/dev/ttyUSB0");
    c.operation = QStringLiteral("WriteTextFragment");
    c.arguments = QStringLiteral("cell 1,2: text \"LOT 42\"");
    c.ok = true;
    for (int i = 0; i < kTrailBefore; ++i)
        trail->append(c);
    const QString state = dir.filePath(QStringLiteral("printer.json"));
    // Alternated, so that a busy moment of the machine falls on both.
    QList<double> without, with;
    for (int round = 0; round < kRuns; ++round) {
        without << cellWrites(state, nullptr);
        with << cellWrites(state, trail);
    }
    const double plain = bench::median(without), kept = bench::median(with);
    if (plain < 0 || kept < 0) {
        bench::figure(name, QStringLiteral("failed"), goal, false);
        return;
    }
    const double cost = kept - plain;
    bench::note(QStringLiteral("a cell write on the virtual printer: %1 without the trail, %2 "
                               "with it (medians of %3 writes, %4 rounds); the trail held %5 "
                               "records before")
                    .arg(ms(plain), ms(kept))
                    .arg(kWrites)
                    .arg(kRuns)
                    .arg(kTrailBefore));
    bench::figure(name, ms(cost), goal, cost <= 1.0);
}

// --- A job through the broker ------------------------------------------------------------------

struct Timing {
    QList<double> ms;
    QString failure;
};

void jobThroughTheBroker() {
    const QString name =
        QStringLiteral("A job through the broker to a verified answer, ÷ the same apply by "
                       "stampctl (one paced printer)");
    const QString goal = QStringLiteral("≤ 1.10×");
    const auto failed = [&](const QString &why) {
        bench::note(why);
        bench::figure(name, QStringLiteral("failed"), goal, false);
    };
    QTemporaryDir dir;
    QString failure;
    if (!bench::makeLineJob(dir, kStampctl, kJobLogos, kBaud, &failure))
        return failed(failure);
    QDir().mkpath(dir.filePath(QStringLiteral("jobs")));
    const QString job = dir.filePath(QStringLiteral("jobs/changeover.json"));
    QFile::copy(dir.filePath(QStringLiteral("job.json")), job);

    Broker broker;
    if (!broker.start())
        return failed(broker.problem());
    bench::PacedPrinter printer(kVprinter, QString(),
                                {QStringLiteral("--baud"), QString::number(kBaud)});
    if (!printer.ready())
        return failed(QStringLiteral("the paced printer did not start"));
    const QString settings = dir.filePath(QStringLiteral("stampline.dev"));
    {
        QSettings file(settings, QSettings::IniFormat);
        file.setValue(QStringLiteral("Line/JobFolder"), dir.filePath(QStringLiteral("jobs")));
        file.setValue(QStringLiteral("Line/PollSeconds"), 3600);
        file.setValue(QStringLiteral("Line/Printers/size"), 1);
        file.setValue(QStringLiteral("Line/Printers/1/Name"), QStringLiteral("P1"));
        file.setValue(QStringLiteral("Line/Printers/1/Device"), printer.link());
        file.setValue(QStringLiteral("Line/Printers/1/Speed"), kBaud);
        file.setValue(QStringLiteral("Mqtt/Broker"), broker.url());
        file.setValue(QStringLiteral("Mqtt/Prefix"), QStringLiteral("bench/line"));
    }
    // Both keep the same audit trail, as on a station.
    qputenv("STAMPLINE_AUDIT_DB", QFile::encodeName(dir.filePath(QStringLiteral("audit.sqlite"))));
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess agent;
    agent.setProcessEnvironment(env);
    agent.start(kAgent, {QStringLiteral("--settings"), settings});
    Listener listener(broker.url(), QStringLiteral("bench/line/P1/#"));
    const QString state = QStringLiteral("bench/line/P1/state");
    // The agent's first look at the printer is over: its line is closed again.
    const auto stopAgent = qScopeGuard([&agent] {
        agent.terminate();
        agent.waitForFinished();
    });
    if (!agent.waitForStarted() || !listener.waitFor(state, 1, std::chrono::seconds(30)))
        return failed(QStringLiteral("the agent did not tell the printer's state"));

    QList<double> byStampctl, byBroker;
    for (int run = 0; run < kRuns; ++run) {
        // stampctl's own run, in this process: the same settings, the same line.
        double start = bench::wallMs();
        QByteArray said;
        const int exit = ctl::run(
            {QStringLiteral("--printer"), QStringLiteral("P1"), QStringLiteral("apply"), job},
            settings, devices::open,
            {[](const QByteArray &) {}, [&said](const QByteArray &b) { said += b; }});
        if (exit != 0)
            return failed(QStringLiteral("stampctl apply: ") +
                          QString::fromUtf8(said).simplified());
        byStampctl << bench::wallMs() - start;

        const QString id = QStringLiteral("bench-%1").arg(run);
        const QString reply = QStringLiteral("bench/line/P1/reply/") + id;
        const size_t states = listener.on(state).size();
        start = bench::wallMs();
        listener.publish(
            QStringLiteral("bench/line/P1/cmd/apply"),
            QStringLiteral("{\"id\":\"%1\",\"jobName\":\"changeover\"}").arg(id).toUtf8());
        if (!listener.waitFor(reply, 1, std::chrono::minutes(5)))
            return failed(QStringLiteral("no reply from the agent"));
        byBroker << bench::wallMs() - start;
        const QJsonObject answer = QJsonDocument::fromJson(listener.last(reply)).object();
        if (answer.value(QStringLiteral("result")).toString() != QLatin1String("verified"))
            return failed(QStringLiteral("the agent answered: ") +
                          answer.value(QStringLiteral("message")).toString());
        // The look that follows a command is over before stampctl opens the printer again.
        listener.waitFor(state, states + 2, std::chrono::seconds(30));
    }
    qunsetenv("STAMPLINE_AUDIT_DB");
    const double a = bench::median(byStampctl), b = bench::median(byBroker);
    bench::note(QStringLiteral("the job (32 cells, %1 full logos) applied and read back: %2 by "
                               "stampctl's own run (in this process), %3 from the command's "
                               "publication to the agent's reply (medians of %4 runs each, "
                               "alternated)")
                    .arg(kJobLogos)
                    .arg(ms(a), ms(b))
                    .arg(kRuns));
    const double ratio = b / a;
    bench::figure(name, bench::number(ratio, 3) + QStringLiteral("×"), goal, ratio <= 1.10);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    auditRecord();
    jobThroughTheBroker();
    return 0;
}
