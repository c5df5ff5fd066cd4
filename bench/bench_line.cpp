// The printers of a line, each a stampline-vprinter --pace on a pseudo-terminal of its own at
// 57600 baud:
// - one job (32 cells, 4 full logos) applied and verified on eight printers at once, against the
//   same on one printer, in alternating rounds;
// - the CPU the process spends keeping twenty printers fresh with the line's poller at a 1 s
//   interval, as a share of one core;
// - how long the main window's operations on a printer wait for their turn while the poller
//   polls that printer every 50 ms, against how long one poll exchange holds the printer.
//
//   bench_line [ROUNDS]   (rounds of the job, default 5)

#include "BenchReport.h"
#include "Functions.h"
#include "Job.h"
#include "LineJob.h"
#include "LineRun.h"
#include "MarkOperations.h"
#include "PacedPrinter.h"
#include "Poller.h"
#include "WrappedLine.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kBaud = 57600;
constexpr int kJobLogos = 4;
constexpr int kLinePrinters = 8;
constexpr int kPolledPrinters = 20;
constexpr int kPollSeconds = 20;
constexpr int kMainOperations = 200;
constexpr auto kShortInterval = std::chrono::milliseconds(50);
// An operation waited for the printer's turn when its line was asked for this long after it was
// called; less is its own way there (the device's turn looked up, its name resolved).
constexpr double kWaited = 0.5;

const QString kVprinter = QStringLiteral(VPRINTER_PATH);
const QString kStampctl = QStringLiteral(STAMPCTL_PATH);

// The CPU time a process has used so far (user and system), from /proc; -1 when unreadable.
double processCpuMsOf(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The fields after the command name, which ends with the last ')': state is field 3, utime 14
    // and stime 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return (fields[11].toDouble() + fields[12].toDouble()) * 1000 / ticks;
}

// Paced stand-ins, one a printer of the line, each in its first state.
struct Stand {
    std::vector<std::unique_ptr<bench::PacedPrinter>> printers;
    std::vector<line::Printer> line;
    QString failure;

    explicit Stand(int count) {
        for (int i = 0; i < count; ++i) {
            auto p = std::make_unique<bench::PacedPrinter>(
                kVprinter, QString(),
                QStringList{QStringLiteral("--baud"), QString::number(kBaud)});
            if (!p->ready()) {
                failure = QStringLiteral("the paced printer %1 did not start").arg(i + 1);
                return;
            }
            line.push_back({QStringLiteral("P%1").arg(i + 1), p->link(), QString::number(kBaud)});
            printers.push_back(std::move(p));
        }
    }
    bool ready() const { return failure.isEmpty(); }
    // The stand-ins' CPU time so far, all added up.
    double cpuMs() const {
        double ms = 0;
        for (const auto &p : printers)
            ms += std::max(0.0, processCpuMsOf(p->pid()));
        return ms;
    }
    // Stops them; the lateness of every byte after which a stand-in waited for the host, added
    // up over all of them, in milliseconds.
    double stop() {
        double late = 0;
        for (auto &p : printers)
            late += p->stop().waitsLateMs();
        return late;
    }
};

// The system's line, as the program opens it, telling when it was opened and when closed: on a
// shared line, when an exchange took the printer's turn and when it gave it back.
class TimedLine : public WrappedLine {
public:
    using Told = std::function<void(double openedMs, double closedMs)>;
    TimedLine(std::unique_ptr<SerialLine> line, Told told)
        : WrappedLine(std::move(line)), tell(std::move(told)), opened(bench::wallMs()) {}
    ~TimedLine() override {
        inner.reset();
        if (tell)
            tell(opened, bench::wallMs());
    }

private:
    Told tell;
    double opened;
};

// `asked`: told when the line is asked for, before it is opened; `told`: when it was opened and
// when it is closed.
LineFactory timedLines(std::function<void()> asked, TimedLine::Told told) {
    return [asked = std::move(asked), told = std::move(told)](
               const QString &device, QString *why) -> std::unique_ptr<SerialLine> {
        if (asked)
            asked();
        std::unique_ptr<SerialLine> line = openSystemLine(device, why);
        if (!line)
            return nullptr;
        return std::make_unique<TimedLine>(std::move(line), told);
    };
}

LineFactory systemLines() {
    return [](const QString &device, QString *why) { return openSystemLine(device, why); };
}

QString ms(double value) {
    return bench::number(value, value < 10 ? 2 : value < 100 ? 1 : 0) + QStringLiteral(" ms");
}

// --- The job on eight printers ----------------------------------------------------------------

std::optional<backup::Job> makeJob(QTemporaryDir &dir, QString *failure) {
    return bench::makeLineJob(dir, kStampctl, kJobLogos, kBaud, failure);
}

struct Apply {
    bool ok = false;
    double ms = 0;
    double hostCpuMs = 0;     // this process, while the job ran
    double standInCpuMs = 0;  // the stand-ins, while the job ran
    double standInLateMs = 0; // what a waiting host saw of the stand-ins' lateness, all added
    QString failure;
};

// The job applied to `count` printers in their first state, started afresh for the run.
Apply applyTo(int count, const backup::Job &job) {
    Apply a;
    Stand stand(count);
    if (!stand.ready()) {
        a.failure = stand.failure;
        return a;
    }
    const double cpu0 = bench::processCpuMs(), standIn0 = stand.cpuMs(), start = bench::wallMs();
    const std::vector<line::PrinterResult> results =
        line::applyJob(stand.line, job, systemLines(), {});
    a.ms = bench::wallMs() - start;
    a.hostCpuMs = bench::processCpuMs() - cpu0;
    a.standInCpuMs = stand.cpuMs() - standIn0;
    a.standInLateMs = stand.stop();
    for (const line::PrinterResult &r : results)
        if (r.end != line::PrinterResult::End::Verified) {
            a.failure = r.printer + QStringLiteral(": ") + r.describe();
            return a;
        }
    a.ok = results.size() == size_t(count);
    if (!a.ok)
        a.failure = QStringLiteral("%1 results for %2 printers").arg(results.size()).arg(count);
    return a;
}

bool jobOnEight(int rounds) {
    const QString name = QStringLiteral("A job (32 cells, 4 logos) applied and verified: 8 paced "
                                        "printers at once ÷ 1 printer");
    const QString goal = QStringLiteral("≤ 1.2×");
    QTemporaryDir dir;
    QString failure;
    const std::optional<backup::Job> job = makeJob(dir, &failure);
    if (!job) {
        bench::note(QStringLiteral("job on eight printers: ") + failure);
        bench::figure(name, QStringLiteral("failed"), goal, false);
        return false;
    }
    QList<double> ratios, one, eight, oneCpu, eightCpu, eightStandInCpu, oneStandInCpu, eightLate,
        oneLate;
    for (int round = 0; round < rounds; ++round) {
        // Alternate which goes first, so that neither always meets a warmer machine.
        Apply a, b;
        if (round % 2) {
            b = applyTo(kLinePrinters, *job);
            a = applyTo(1, *job);
        } else {
            a = applyTo(1, *job);
            b = applyTo(kLinePrinters, *job);
        }
        if (!a.ok || !b.ok) {
            bench::note(QStringLiteral("job on eight printers: round %1: %2")
                            .arg(round + 1)
                            .arg(a.ok ? b.failure : a.failure));
            bench::figure(name, QStringLiteral("failed"), goal, false);
            return false;
        }
        ratios << b.ms / a.ms;
        one << a.ms;
        eight << b.ms;
        oneCpu << a.hostCpuMs;
        eightCpu << b.hostCpuMs;
        oneStandInCpu << a.standInCpuMs;
        eightStandInCpu << b.standInCpuMs;
        oneLate << a.standInLateMs;
        eightLate << b.standInLateMs;
    }
    const double ratio = bench::median(ratios);
    const auto least = [](const QList<double> &v) { return *std::min_element(v.begin(), v.end()); };
    const auto most = [](const QList<double> &v) { return *std::max_element(v.begin(), v.end()); };
    const double eightMs = bench::median(eight);
    const double busy = (bench::median(eightCpu) + bench::median(eightStandInCpu)) / eightMs;
    bench::note(
        QStringLiteral("job on eight printers: %1 rounds, every printer verified in each; ratios "
                       "%2 to %3. Medians: one printer %4, eight %5; CPU while it ran: this "
                       "process %6 (one) and %7 (eight), the stand-ins %8 and %9, in all %10 "
                       "cores busy on average with eight; the stand-ins' lateness a host waited "
                       "for, all printers added, %11 (one) and %12 (eight)")
            .arg(rounds)
            .arg(bench::number(least(ratios), 3), bench::number(most(ratios), 3),
                 ms(bench::median(one)), ms(eightMs), ms(bench::median(oneCpu)),
                 ms(bench::median(eightCpu)), ms(bench::median(oneStandInCpu)),
                 ms(bench::median(eightStandInCpu)))
            .arg(bench::number(busy, 2), ms(bench::median(oneLate)), ms(bench::median(eightLate))));
    bench::figure(name,
                  bench::number(ratio, 3) + QStringLiteral("× (") +
                      bench::number(bench::median(one) / 1000, 2) + QStringLiteral(" s, ") +
                      bench::number(eightMs / 1000, 2) + QStringLiteral(" s)"),
                  goal, ratio <= 1.2);
    return true;
}

// --- Twenty printers kept fresh ---------------------------------------------------------------

constexpr int kPartRuns = 50;

struct Parts {
    double lookMs = 0;      // a whole look, as a poll round does it for each printer
    double openCloseMs = 0; // the line opened (Connect) and closed, on a shared line
    double exchangesMs = 0; // ReadByteStatus and ReadTimeParams on a line kept open
    bool ok = true;         // every part went through
};

// Where a look's CPU goes, each part timed on its own on one printer: the process's CPU time
// (the parts run on threads of their own, as the poller's do), a run.
Parts partsOfALook(const line::Printer &printer) {
    Parts p;
    const auto perRun = [](const std::function<void()> &work) {
        const double cpu0 = bench::processCpuMs();
        for (int i = 0; i < kPartRuns; ++i)
            work();
        return (bench::processCpuMs() - cpu0) / kPartRuns;
    };
    // A Qt thread, as the line's own are: a serial port opened on it needs its event dispatcher.
    const auto onThread = [](const std::function<void()> &work) {
        std::unique_ptr<QThread> t(QThread::create(work));
        t->start();
        t->wait();
    };
    const std::vector<line::Printer> one = {printer};
    p.lookMs = perRun([&] {
        const std::vector<line::Look> looks = line::lookAt(one, systemLines());
        p.ok = looks.size() == 1 && looks[0].connected && p.ok;
    });
    p.openCloseMs = perRun([&] {
        onThread([&] {
            PortState state;
            line::aimAt(state, printer);
            state.openLine = systemLines();
            state.sharesLine = true;
            Functions f(state);
            p.ok = f.takeTurn(2000) && f.Connect() && p.ok;
            f.giveTurn();
        });
    });
    onThread([&] {
        PortState state;
        line::aimAt(state, printer);
        state.openLine = systemLines();
        Functions f(state);
        p.ok = f.Connect() && p.ok;
        p.exchangesMs = perRun([&] {
            quint8 status = 0;
            StateBlock block;
            p.ok = f.ReadByteStatus(status) && f.ReadTimeParams(block) && p.ok;
        });
    });
    return p;
}

bool twentyFresh() {
    const QString name =
        QStringLiteral("Keeping 20 paced printers fresh at a 1 s interval (CPU, share of a core)");
    const QString goal = QStringLiteral("≤ 1%");
    Stand stand(kPolledPrinters);
    if (!stand.ready()) {
        bench::note(QStringLiteral("twenty printers: ") + stand.failure);
        bench::figure(name, QStringLiteral("failed"), goal, false);
        return false;
    }
    std::atomic<int> looks{0}, connected{0};
    const double cpu0 = bench::processCpuMs(), standIn0 = stand.cpuMs(), start = bench::wallMs();
    int rounds = 0;
    {
        line::Poller poller(
            stand.line, systemLines(),
            [&](const std::vector<line::Look> &all) {
                for (const line::Look &look : all) {
                    ++looks;
                    if (look.connected && look.status && look.autoRunPeriod >= 0)
                        ++connected;
                }
            },
            std::chrono::seconds(1));
        std::this_thread::sleep_for(std::chrono::seconds(kPollSeconds));
        rounds = poller.rounds();
    }
    const double wall = bench::wallMs() - start, cpu = bench::processCpuMs() - cpu0;
    const double standInCpu = stand.cpuMs() - standIn0;
    const double share = cpu / wall * 100;
    const Parts parts = partsOfALook(stand.line[0]);
    stand.stop();
    bench::note(QStringLiteral("twenty printers: one printer looked at %1 times on its own, the "
                               "process's CPU a look: %2 the whole look (a thread, the line "
                               "opened, the two exchanges, the line closed), %3 the line opened "
                               "and closed alone, %4 the two exchanges (ReadByteStatus, "
                               "ReadTimeParams) on a line kept open%5")
                    .arg(kPartRuns)
                    .arg(ms(parts.lookMs), ms(parts.openCloseMs), ms(parts.exchangesMs),
                         parts.ok ? QString() : QStringLiteral(" (some of them failed)")));
    bench::note(QStringLiteral("twenty printers: the poller over %1 s: %2 rounds, %3 looks, %4 of "
                               "them connected with status and auto-run period read; this "
                               "process used %5 of CPU, %6 a printer a round (the 20 stand-ins "
                               "%7 in all)")
                    .arg(bench::number(wall / 1000, 1))
                    .arg(rounds)
                    .arg(looks.load())
                    .arg(connected.load())
                    .arg(ms(cpu), ms(looks ? cpu / looks : 0), ms(standInCpu)));
    const bool allFresh = looks > 0 && connected == looks;
    if (!allFresh)
        bench::note(QStringLiteral("twenty printers: not every look found its printer connected"));
    bench::figure(name, allFresh ? bench::number(share, 2) + '%' : QStringLiteral("failed"), goal,
                  allFresh && share <= 1);
    return allFresh;
}

// --- The main window's turn beside the poller -------------------------------------------------

bool mainWindowTurn() {
    const QString name = QStringLiteral("Longest wait of a main-window operation for a printer "
                                        "polled every 50 ms ÷ longest poll exchange");
    const QString goal = QStringLiteral("≤ 1×");
    Stand stand(1);
    if (!stand.ready()) {
        bench::note(QStringLiteral("main window's turn: ") + stand.failure);
        bench::figure(name, QStringLiteral("failed"), goal, false);
        return false;
    }
    // The poll side: each exchange's hold of the printer, from its line's opening to its closing.
    std::mutex mutex;
    QList<double> exchanges;
    QList<std::pair<double, double>> held; // each poll exchange's line: opened, closed
    std::atomic<int> busyLooks{0}, freshLooks{0};
    const LineFactory pollLines = timedLines({}, [&](double opened, double closed) {
        const std::lock_guard<std::mutex> lock(mutex);
        exchanges << closed - opened;
        held.append({opened, closed});
    });
    // The main window's side: its own port state on the same printer, sharing the line.
    PortState state;
    line::aimAt(state, stand.line[0]);
    double asked = 0;
    state.openLine = timedLines([&asked] { asked = bench::wallMs(); }, {});
    state.turnWaitMs = 2000;
    Functions f(state);
    f.shareLine(true);
    QList<double> waits, operations;
    QList<std::pair<double, double>> asks; // each operation: called, its line asked for
    int failed = 0;
    quint32 seed = 12345;
    {
        line::Poller poller(
            stand.line, pollLines,
            [&](const std::vector<line::Look> &all) {
                for (const line::Look &look : all)
                    ++(look.busy ? busyLooks : freshLooks);
            },
            kShortInterval);
        for (int i = 0; i < kMainOperations; ++i) {
            // The operator's clicks come at no fixed beat: 0 to 30 ms apart.
            seed = seed * 1664525u + 1013904223u;
            std::this_thread::sleep_for(std::chrono::microseconds((seed >> 8) % 30000));
            quint8 status = 0;
            asked = 0;
            const double start = bench::wallMs();
            const bool ok = f.ReadByteStatus(status);
            const double end = bench::wallMs();
            if (!ok || asked == 0) {
                ++failed;
                continue;
            }
            waits << asked - start;
            operations << end - start;
            asks.append({start, asked});
        }
    }
    stand.stop();
    const auto most = [](const QList<double> &v) {
        return v.isEmpty() ? 0.0 : *std::max_element(v.begin(), v.end());
    };
    const double longestWait = most(waits), longestExchange = most(exchanges);
    const int waited =
        int(std::count_if(waits.begin(), waits.end(), [](double w) { return w > kWaited; }));
    bench::note(QStringLiteral("main window's turn: %1 ReadByteStatus on a shared line, 0 to 30 "
                               "ms apart, while the poller looked at the printer every 50 ms "
                               "(%2 poll exchanges, %3 looks skipped as busy); %4 operations "
                               "failed. %5 operations waited over 0.5 ms for the printer's turn; "
                               "the longest wait %6, median wait %7; a whole operation took a "
                               "median %8, at most %9. A poll exchange (ReadByteStatus and "
                               "ReadTimeParams, the line opened and closed) held the printer a "
                               "median %10, at most %11")
                    .arg(kMainOperations)
                    .arg(exchanges.size())
                    .arg(busyLooks.load())
                    .arg(failed)
                    .arg(waited)
                    .arg(ms(longestWait), ms(bench::median(waits)), ms(bench::median(operations)),
                         ms(most(operations)), ms(bench::median(exchanges)), ms(longestExchange)));
    // Each operation that waited against the poll exchange it waited for (the last one to close
    // before the operation's line was asked for): whether the operation came before that
    // exchange had even opened its line, and how long after the exchange had closed the operation
    // went on.
    double handover = 0, handoverAll = 0;
    int paired = 0, beforeOpen = 0;
    for (const auto &[called, lineAsked] : asks) {
        if (lineAsked - called <= kWaited)
            continue;
        const std::pair<double, double> *before = nullptr;
        for (const auto &h : held)
            if (h.second <= lineAsked && (!before || h.second > before->second))
                before = &h;
        if (!before || before->second < called)
            continue;
        ++paired;
        if (called < before->first)
            ++beforeOpen;
        handover = std::max(handover, lineAsked - before->second);
        handoverAll += lineAsked - before->second;
    }
    bench::note(QStringLiteral("main window's turn: of the %1 operations that waited, %2 were "
                               "waiting for a poll exchange, %3 of them called before that "
                               "exchange had opened its line (its thread had the turn already); "
                               "each went on a mean %4, at most %5, after the exchange had closed "
                               "its line (the turn handed over and the waiting thread run again)")
                    .arg(waited)
                    .arg(paired)
                    .arg(beforeOpen)
                    .arg(ms(paired ? handoverAll / paired : 0), ms(handover)));
    const bool ran = failed == 0 && !exchanges.isEmpty() && waits.size() == kMainOperations;
    const double ratio = longestExchange > 0 ? longestWait / longestExchange : 0;
    bench::figure(name,
                  ran ? bench::number(ratio, 2) + QStringLiteral("× (") + ms(longestWait) +
                            QStringLiteral(", ") + ms(longestExchange) + ')'
                      : QStringLiteral("failed"),
                  goal, ran && ratio <= 1);
    return ran;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 5;
    bool ran = jobOnEight(rounds);
    ran = twentyFresh() && ran;
    ran = mainWindowTurn() && ran;
    return ran ? 0 : 1;
}
