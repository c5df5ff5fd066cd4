// The printers of a line through stampctl in-process, on virtual printers that keep their state in
// files: the line's settings, a job saved from one printer, applied to several at once (each on
// its own thread) and verified, and faults on some printers that leave the others alone.

#include "Devices.h"
#include "Functions.h"
#include "Job.h"
#include "LineRun.h"
#include "LineSettings.h"
#include "Poller.h"
#include "PrinterRegistry.h"
#include "Stampctl.h"
#include "WrappedLine.h"

#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <future>
#include <map>
#include <thread>

namespace {

struct Run {
    int exit = -1;
    QByteArray out, err;
    QStringList lines() const { return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts); }
};

} // namespace

class TestLine : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString settings;

    QString device(const QString &name) const {
        return QStringLiteral("virtual:") + dir.filePath(name + QStringLiteral(".json"));
    }
    // The virtual printer behind a name of the line, to inject faults into.
    std::shared_ptr<printer::VirtualPrinter> printerOf(const QString &name) const {
        return printer::sharedPrinter(device(name), dir.filePath(name + QStringLiteral(".json")));
    }

    Run run(const QStringList &args) const {
        Run r;
        r.exit = ctl::run(
            args, settings, devices::open,
            {[&r](const QByteArray &b) { r.out += b; }, [&r](const QByteArray &b) { r.err += b; }});
        return r;
    }

private slots:
    void initTestCase();
    void settingsOfTheLine();
    void jobSavedAppliedAndVerified();
    void faultsOnSomePrintersLeaveTheOthers();
    void jobsThatAreRefused();
    void oneExchangeAtATimePerPrinter();
    void keptFreshInTheBackground();
    void neverTwoLinesToOnePrinter();
};

void TestLine::initTestCase() {
    QVERIFY(dir.isValid());
    settings = dir.filePath(QStringLiteral("stampline.dev"));
    // As an outside script writes it: a settings array under "Line".
    QSettings file(settings, QSettings::IniFormat);
    file.setValue(QStringLiteral("PortParams/Com"), QStringLiteral("com1"));
    file.setValue(QStringLiteral("PortParams/Speed"), QStringLiteral("57600"));
    file.setValue(QStringLiteral("PortDevices/COM1"), device(QStringLiteral("Source")));
    file.setValue(QStringLiteral("Line/JobFolder"), dir.filePath(QStringLiteral("jobs")));
    file.beginGroup(QStringLiteral("Line"));
    file.beginWriteArray(QStringLiteral("Printers"));
    const QStringList names{"Source", "North", "South", "East", "West"};
    for (int i = 0; i < names.size(); ++i) {
        file.setArrayIndex(i);
        file.setValue(QStringLiteral("Name"), names[i]);
        file.setValue(QStringLiteral("Device"), device(names[i]));
        file.setValue(QStringLiteral("Speed"), 57600);
    }
    file.endArray();
    file.endGroup();
    file.sync();
    QCOMPARE(file.status(), QSettings::NoError);

    // The source printer: a text, a counter, a logo placed, a parameter.
    QImage logo(16, 8, QImage::Format_Mono);
    logo.fill(0);
    logo.setColor(0, qRgb(255, 255, 255));
    logo.setColor(1, qRgb(0, 0, 0));
    for (int x = 0; x < 16; ++x)
        logo.setPixel(x, x % 8, 1);
    QVERIFY(logo.save(dir.filePath("logo.bmp"), "BMP"));
    const Run made = run({"--printer",
                          "source",
                          "write-text-fragment",
                          "1",
                          "2",
                          "LOT 42",
                          "--",
                          "write-counter-fragment",
                          "2",
                          "1",
                          "0001",
                          "--",
                          "write-logo",
                          "7",
                          dir.filePath("logo.bmp"),
                          "PALLET",
                          "--",
                          "place-logo",
                          "7",
                          "3",
                          "3",
                          "--",
                          "increase-param",
                          "T"});
    QVERIFY2(made.exit == 0, made.err.constData());
}

void TestLine::settingsOfTheLine() {
    DeviceSettings port;
    port.portName = QStringLiteral("com2");
    port.ports.devices[1] = QStringLiteral("/dev/ttyUSB0");
    // No section "Line": the port's printer is the line of one.
    const line::LineSettings one =
        line::LineSettings::load(dir.filePath(QStringLiteral("none.dev")), port);
    QVERIFY(one.ofOne);
    QCOMPARE(one.printers.size(), size_t(1));
    QCOMPARE(one.printers[0].name, QStringLiteral("com2"));
    QCOMPARE(one.printers[0].device, QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(one.printers[0].speed, QStringLiteral("9600"));

    // Entries that cannot be used are left out, each named.
    const QString odd = dir.filePath(QStringLiteral("odd.dev"));
    QFile file(odd);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Line]\nPrinters\\size=4\nPrinters\\1\\Name=North\nPrinters\\1\\Device=tcp:h:1\n"
               "Printers\\2\\Name=north\nPrinters\\2\\Device=/dev/ttyS1\n"
               "Printers\\3\\Device=/dev/ttyS2\n"
               "Printers\\4\\Name=West\nPrinters\\4\\Device=/dev/ttyS3\nPrinters\\4\\Speed=1000\n");
    file.close();
    const line::LineSettings line = line::LineSettings::load(odd, port);
    QVERIFY(!line.ofOne);
    QCOMPARE(line.printers.size(), size_t(1));
    QCOMPARE(line.printers[0].speed, QStringLiteral("9600")); // the port's when none is given
    QCOMPARE(line.problems.size(), 3);
    QVERIFY2(line.problems[0].contains("a second printer named \"north\""),
             qPrintable(line.problems[0]));
    QVERIFY(line.problems[1].startsWith("Printers\\3 in " + odd + " names no Name"));
    QVERIFY(line.problems[2].contains("Speed \"1000\" is not a rate"));

    // stampctl --printer picks a printer of the line; one that is not there is a usage error.
    const Run unknown = run({"--printer", "Nowhere", "read-byte-status"});
    QCOMPARE(unknown.exit, 2);
    QVERIFY2(unknown.err.startsWith("stampctl: the line has no printer \"Nowhere\" (it has: "
                                    "Source, North, South, East, West)"),
             unknown.err.constData());
    QCOMPARE(run({"--printer", "North", "--device", "x", "read-byte-status"}).exit, 2);

    // The line, every printer at once, one a line.
    const Run looked = run({"line"});
    QVERIFY2(looked.exit == 0, looked.err.constData());
    QCOMPARE(looked.lines().size(), 5);
    QVERIFY2(looked.lines()[1].startsWith("North " + device("North") + ": connected, auto-run "),
             qPrintable(looked.lines()[1]));
    QVERIFY2(looked.lines()[1].contains(QRegularExpression(
                 ", status [0-9A-F]{2}: fase \\w+, process \\w+, high voltage unit ")),
             qPrintable(looked.lines()[1]));
}

void TestLine::jobSavedAppliedAndVerified() {
    const QString jobFile = dir.filePath(QStringLiteral("changeover.json"));
    const Run saved = run({"--printer", "Source", "save-job", jobFile, "parameters"});
    QVERIFY2(saved.exit == 0, saved.err.constData());
    const backup::ParsedJob job = backup::loadJob(jobFile);
    QVERIFY2(job.job, qPrintable(job.error));
    QVERIFY(job.job->parts.parameters && !job.job->parts.autoRun && !job.job->parts.script);
    // Only the logos the cells place: the first state's 0 and 1, and 7.
    QCOMPARE(job.job->content.logos.size(), size_t(3));
    QCOMPARE(job.job->content.logos[2].slot, 7);
    QCOMPARE(job.job->content.logos[2].name, QStringLiteral("PALLET"));

    // Before: the others differ, each difference on a line of its own.
    const Run before = run({"verify", jobFile, "--printers", "North"});
    QCOMPARE(before.exit, 1);
    QVERIFY2(before.lines().contains(
                 "North: cell 1,2: printer holds \"STAMPLINE\", job says \"LOT 42\""),
             before.out.constData());
    QVERIFY(before.lines().contains("North: logo 7: empty, job has \"PALLET\" (1 × 16)"));
    QVERIFY(before.lines().contains("North: cell 3,3: printer holds \"\", job says logo 7"));

    const Run applied = run({"apply", jobFile, "--printers", "North,South"});
    QVERIFY2(applied.exit == 0, applied.out + applied.err);
    QCOMPARE(applied.lines(), QStringList({"North: verified", "South: verified"}));
    const Run after = run({"verify", jobFile, "--printers", "North,South,Source"});
    QCOMPARE(after.lines(), QStringList({"North: matches", "South: matches", "Source: matches"}));
    QCOMPARE(after.exit, 0);
    // What each printer last received, kept for the line's state.
    const QStringList looked = run({"line"}).lines();
    QVERIFY2(looked[1].contains(QRegularExpression("; last job changeover: matches at "
                                                   "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")),
             qPrintable(looked[1]));
    QVERIFY(!looked[3].contains("last job")); // East has had none

    // A change on one printer afterwards: found, as the operator reads it.
    QCOMPARE(run({"--printer", "South", "write-text-fragment", "1", "2", "LOT 41", "--",
                  "decrease-param", "T"})
                 .exit,
             0);
    const Run changed = run({"verify", jobFile, "--printers", "South"});
    QCOMPARE(changed.exit, 1);
    const int t =
        job.job->content
            .parameters[size_t(std::find_if(kPrintParameters.begin(), kPrintParameters.end(),
                                            [](const auto &p) { return p.letter == 'T'; }) -
                               kPrintParameters.begin())];
    QCOMPARE(changed.lines(),
             QStringList({"South: cell 1,2: printer holds \"LOT 41\", job says \"LOT 42\"",
                          QStringLiteral("South: parameter T: %1, job %2").arg(t - 1).arg(t)}));
}

void TestLine::faultsOnSomePrintersLeaveTheOthers() {
    const QString jobFile = dir.filePath(QStringLiteral("faults.json"));
    QCOMPARE(run({"--printer", "Source", "save-job", jobFile}).exit, 0);
    // North falls silent in the middle, South gives a wrong echo, East keeps no text written:
    // West finishes and verifies.
    printerOf(QStringLiteral("North"))->silenceFrom(1800);
    printerOf(QStringLiteral("South"))->wrongEchoAt(40);
    printerOf(QStringLiteral("East"))->dropTextWrite();
    const Run r = run({"apply", jobFile, "--all"});
    QCOMPARE(r.exit, 1);
    const QStringList lines = r.lines();
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QStringLiteral("Source: verified"));
    QVERIFY2(lines[1].startsWith("North: failed at ") &&
                 lines[1].contains(": the printer did not answer (") &&
                 lines[1].endsWith(" steps written)"),
             qPrintable(lines[1]));
    QVERIFY2(lines[2].startsWith("South: failed at ") && lines[2].contains("the printer echoed"),
             qPrintable(lines[2]));
    QCOMPARE(lines[3], QStringLiteral("East: written but different: cell 1,2: printer holds "
                                      "\"STAMPLINE\", job says \"LOT 42\""));
    QCOMPARE(lines[4], QStringLiteral("West: verified"));
    for (const char *name : {"North", "South", "East"})
        printerOf(name)->clearFaults();
}

void TestLine::jobsThatAreRefused() {
    // A backup is no job, and a job that fails its checks changes no printer.
    const QString backupFile = dir.filePath(QStringLiteral("whole.json"));
    QCOMPARE(run({"--printer", "Source", "backup", backupFile}).exit, 0);
    const Run notAJob = run({"apply", backupFile, "--all"});
    QCOMPARE(notAJob.exit, 1);
    QCOMPARE(notAJob.err, "stampctl: " + backupFile.toUtf8() +
                              ": the file is not a job; no printer was changed\n");
    QVERIFY(notAJob.out.isEmpty());

    const QString jobFile = dir.filePath(QStringLiteral("broken.json"));
    QCOMPARE(run({"--printer", "Source", "save-job", jobFile}).exit, 0);
    QFile file(jobFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray json = file.readAll();
    file.close();
    json.replace("\"slot\": 7", "\"slot\": 8");
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(json);
    file.close();
    const Run broken = run({"apply", jobFile, "--printers", "West"});
    QCOMPARE(broken.exit, 1);
    QCOMPARE(broken.err, "stampctl: " + jobFile.toUtf8() +
                             ": a cell places logo 7, which the job does not hold; no printer "
                             "was changed\n");

    // Printers that cannot be told.
    const Run unnamed = run({"apply", jobFile});
    QCOMPARE(unnamed.exit, 2);
    QVERIFY(unnamed.err.startsWith("stampctl: the line has 5 printers: name them with --printers "
                                   "A,B or --all\n"));
    QCOMPARE(run({"verify", jobFile, "--printers", "North,Nowhere"}).exit, 2);
    QCOMPARE(run({"line", "--", "read-byte-status"}).exit, 2);
    const Run aimed = run({"--device", "/dev/ttyS0", "line"});
    QCOMPARE(aimed.exit, 2);
    QVERIFY(
        aimed.err.startsWith("stampctl: line takes its printers from the line of the settings"));
}

void TestLine::oneExchangeAtATimePerPrinter() {
    // The main window's printer while the line window is open: its exchanges take turns with the
    // line's, and one that finds the printer busy is refused before it sends anything.
    const line::Printer north{QStringLiteral("North"), device(QStringLiteral("North")),
                              QStringLiteral("57600")};
    const line::Printer west{QStringLiteral("West"), device(QStringLiteral("West")),
                             QStringLiteral("57600")};
    PortState main;
    line::aimAt(main, north);
    main.openLine = devices::open;
    Functions f(main);
    f.shareLine(true);
    main.turnWaitMs = 0;

    // While the main window's exchange runs, the poll leaves North alone and looks at West.
    QVERIFY(f.takeTurn(0));
    quint8 status = 0;
    QVERIFY(f.ReadByteStatus(status));
    std::vector<line::Look> looks = line::lookAt({north, west}, devices::open);
    QVERIFY(looks[0].busy);
    QCOMPARE(looks[0].describe(),
             QStringLiteral("busy: another exchange with the printer is under way"));
    QVERIFY(looks[1].connected);
    f.giveTurn();
    QVERIFY(!main.handle); // the line is closed for the next user
    looks = line::lookAt({north}, devices::open);
    QVERIFY(looks[0].connected);

    // A job applied to North holds its turn from the first write to the last read-back: the main
    // window's exchange in between is refused, and after it the job still verifies.
    const QString jobFile = dir.filePath(QStringLiteral("turns.json"));
    QCOMPARE(run({"--printer", "Source", "save-job", jobFile}).exit, 0);
    const backup::ParsedJob job = backup::loadJob(jobFile);
    QVERIFY(job.job);
    std::promise<void> started, goOn;
    std::shared_future<void> mayGoOn = goOn.get_future().share();
    std::atomic<bool> first{true};
    line::Watch watch;
    watch.progress = [&](size_t, int, int) {
        if (first.exchange(false)) {
            started.set_value();
            mayGoOn.wait();
        }
    };
    std::vector<line::PrinterResult> results;
    std::thread applying(
        [&] { results = line::applyJob({north}, *job.job, devices::open, watch); });
    started.get_future().wait();
    const bool refused = !f.ReadByteStatus(status);
    const QString cause = main.causes.value(main.causes.size() - 1);
    goOn.set_value();
    applying.join();
    QVERIFY(refused);
    QCOMPARE(cause, QStringLiteral("ReadByteStatus was not started: another exchange with the "
                                   "printer is under way"));
    QCOMPARE(results[0].describe(), QStringLiteral("verified"));
    QVERIFY(f.ReadByteStatus(status));
}

void TestLine::keptFreshInTheBackground() {
    // A round at once, another when asked, none between; stopping does not wait out the interval.
    const line::Printer north{QStringLiteral("North"), device(QStringLiteral("North")),
                              QStringLiteral("57600")};
    const line::Printer nowhere{QStringLiteral("Nowhere"), QStringLiteral("/nonexistent/tty"),
                                QStringLiteral("57600")};
    std::mutex mutex;
    std::vector<std::vector<line::Look>> rounds;
    {
        line::Poller poller(
            {north, nowhere}, devices::open,
            [&](const std::vector<line::Look> &looks) {
                const std::lock_guard<std::mutex> lock(mutex);
                rounds.push_back(looks);
            },
            std::chrono::hours(1));
        QTRY_COMPARE(poller.rounds(), 1);
        poller.pollNow();
        QTRY_COMPARE(poller.rounds(), 2);
        QCOMPARE(poller.rounds(), 2);
    }
    QCOMPARE(rounds.size(), size_t(2));
    QVERIFY(rounds[1][0].connected && rounds[1][0].status);
    QVERIFY(!rounds[1][1].connected);
    QVERIFY2(rounds[1][1].describe().startsWith(
                 "not connected: Nowhere (/nonexistent/tty): no such device"),
             qPrintable(rounds[1][1].describe()));
}

namespace {
// Lines that count how many are open to each device at once, and the most there ever were.
struct LineCount {
    std::mutex mutex;
    std::map<QString, int> open, most;
};

class CountedLine : public WrappedLine {
public:
    CountedLine(std::unique_ptr<SerialLine> line, std::shared_ptr<LineCount> count)
        : WrappedLine(std::move(line)), counts(std::move(count)) {
        key = inner->device;
        const std::lock_guard<std::mutex> lock(counts->mutex);
        int &now = ++counts->open[key];
        counts->most[key] = std::max(counts->most[key], now);
    }
    ~CountedLine() override {
        const std::lock_guard<std::mutex> lock(counts->mutex);
        --counts->open[key];
    }

private:
    std::shared_ptr<LineCount> counts;
    QString key;
};

LineFactory counted(const std::shared_ptr<LineCount> &counts) {
    return [counts](const QString &device, QString *why) -> std::unique_ptr<SerialLine> {
        auto line = devices::open(device, why);
        if (!line)
            return nullptr;
        line->device = device;
        return std::make_unique<CountedLine>(std::move(line), counts);
    };
}
} // namespace

void TestLine::neverTwoLinesToOnePrinter() {
    // The poll keeps its lines open between its looks; the main window's exchanges and a job
    // applied to the same printer have it let go first: never two lines to one printer at once.
    const line::Printer north{QStringLiteral("North"), device(QStringLiteral("North")),
                              QStringLiteral("57600")};
    const line::Printer west{QStringLiteral("West"), device(QStringLiteral("West")),
                             QStringLiteral("57600")};
    auto counts = std::make_shared<LineCount>();
    std::mutex mutex;
    std::vector<std::vector<line::Look>> rounds;
    line::Poller poller(
        {north, west}, counted(counts),
        [&](const std::vector<line::Look> &looks) {
            const std::lock_guard<std::mutex> lock(mutex);
            rounds.push_back(looks);
        },
        std::chrono::hours(1));
    QTRY_COMPARE(poller.rounds(), 1);
    {
        const std::lock_guard<std::mutex> lock(counts->mutex);
        QCOMPARE(counts->open[north.device], 1); // kept open for the next look
    }

    PortState main;
    line::aimAt(main, north);
    main.openLine = counted(counts);
    Functions f(main);
    f.shareLine(true);
    quint8 status = 0;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(f.ReadByteStatus(status));
        poller.pollNow();
        QTRY_COMPARE(poller.rounds(), 2 + i);
    }
    const QString jobFile = dir.filePath(QStringLiteral("counted.json"));
    QCOMPARE(run({"--printer", "Source", "save-job", jobFile}).exit, 0);
    const auto results =
        line::applyJob({north}, *backup::loadJob(jobFile).job, counted(counts), line::Watch{});
    QCOMPARE(results[0].describe(), QStringLiteral("verified"));
    poller.pollNow();
    QTRY_COMPARE(poller.rounds(), 5);

    const std::lock_guard<std::mutex> lock(mutex);
    for (const auto &looks : rounds)
        QVERIFY(looks[0].connected && looks[1].connected);
    const std::lock_guard<std::mutex> counted(counts->mutex);
    QCOMPARE(counts->most[north.device], 1);
    QCOMPARE(counts->most[west.device], 1);
}

QTEST_GUILESS_MAIN(TestLine)
#include "tst_line.moc"
