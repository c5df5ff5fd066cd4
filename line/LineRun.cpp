#include "LineRun.h"

#include "StateBlock.h"

#include <QThread>
#include <condition_variable>
#include <mutex>

namespace line {

namespace {

QString howFar(const backup::Outcome &o, const QString &verb) {
    return QStringLiteral("%1 of %2 steps %3").arg(o.done).arg(o.total).arg(verb);
}

// Runs `work` for every printer at once, each on its own thread with a port state of its own,
// which it opens and closes there.
template <typename Result, typename Work>
std::vector<Result> eachAtOnce(const std::vector<Printer> &printers, const LineFactory &lines,
                               const Work &work, const Watch &watch = {}) {
    std::vector<Result> results(printers.size());
    // Each thread says when its result is in (QThread::wait alone is a wait that the thread
    // sanitizer cannot see).
    std::mutex mutex;
    std::condition_variable ended;
    size_t running = printers.size();
    // Qt's threads: a serial port or a socket opened on one needs its event dispatcher.
    std::vector<std::unique_ptr<QThread>> threads;
    threads.reserve(printers.size());
    for (size_t i = 0; i < printers.size(); ++i) {
        threads.emplace_back(QThread::create([&, i] {
            {
                results[i].printer = printers[i].name;
                PortState state;
                aimAt(state, printers[i]);
                state.openLine = lines;
                state.sharesLine = true; // other users of the printer in the program take turns
                if (watch.recorders)
                    state.recorder = watch.recorders();
                Functions f(state);
                work(f, i, results[i]);
                f.giveTurn(); // closes the line here, on the thread that opened it
            }
            const std::lock_guard<std::mutex> lock(mutex);
            --running;
            ended.notify_all();
        }));
        threads.back()->start();
    }
    {
        std::unique_lock<std::mutex> lock(mutex);
        ended.wait(lock, [&] { return running == 0; });
    }
    for (const auto &thread : threads)
        thread->wait();
    return results;
}

// Holds the printer's turn for a whole transfer, waiting while another user of the printer in the
// program has it; false when the wait was cancelled.
bool holdTurn(Functions &f, const Watch &watch, PrinterResult &result) {
    while (!f.takeTurn(100))
        if (watch.cancel && watch.cancel->load()) {
            result.outcome.end = backup::Outcome::End::Cancelled;
            result.outcome.step = QStringLiteral("the start, waiting for the printer");
            return false;
        }
    return true;
}

backup::Progress progressOf(const Watch &watch, size_t printer) {
    return [&watch, printer](int done, int total) {
        if (watch.progress)
            watch.progress(printer, done, total);
        return !(watch.cancel && watch.cancel->load());
    };
}

void compare(Functions &f, const backup::Job &job, const backup::Progress &progress,
             PrinterResult &result) {
    const backup::Verification v = backup::verifyJob(f, job, progress);
    if (!v.read.ok()) {
        result.end = PrinterResult::End::Failed;
        result.outcome = v.read;
        return;
    }
    result.differences = v.differences;
    result.end =
        v.differences.isEmpty() ? PrinterResult::End::Verified : PrinterResult::End::Different;
}

// The job as a whole, for the audit trail: "job \"changeover\": 32 cells, …".
QString applyWords(const backup::Job &job, const QString &name) {
    return (name.isEmpty() ? QStringLiteral("job") : QStringLiteral("job \"%1\"").arg(name)) +
           QStringLiteral(": ") + backup::jobWords(job);
}

} // namespace

QString PrinterResult::word() const {
    switch (end) {
    case End::Verified:
        return applying ? QStringLiteral("verified") : QStringLiteral("matches");
    case End::Different:
        return applying ? QStringLiteral("written but different") : QStringLiteral("differs");
    case End::Failed:
        break;
    }
    if (outcome.end == backup::Outcome::End::Cancelled)
        return QStringLiteral("cancelled");
    if (outcome.end == backup::Outcome::End::Refused)
        return QStringLiteral("refused");
    return QStringLiteral("failed");
}

QString PrinterResult::describe() const {
    switch (end) {
    case End::Verified:
        return applying ? QStringLiteral("verified") : QStringLiteral("matches");
    case End::Different:
        return (applying ? QStringLiteral("written but different: ")
                         : QStringLiteral("differs: ")) +
               differences.join(QStringLiteral("; "));
    case End::Failed:
        break;
    }
    using E = backup::Outcome::End;
    if (applying && !wrote) {
        if (outcome.end == E::Refused)
            return QStringLiteral("refused, nothing written: ") + outcome.cause;
        if (outcome.end == E::Cancelled)
            return QStringLiteral("cancelled at %1 (%2)")
                .arg(outcome.step, howFar(outcome, QStringLiteral("written")));
        return QStringLiteral("failed at %1: %2 (%3)")
            .arg(outcome.step, outcome.cause, howFar(outcome, QStringLiteral("written")));
    }
    const QString prefix =
        applying ? QStringLiteral("written, but the read-back ") : QStringLiteral("the read ");
    if (outcome.end == E::Cancelled)
        return prefix + QStringLiteral("was cancelled at %1 (%2)")
                            .arg(outcome.step, howFar(outcome, QStringLiteral("read")));
    return prefix + QStringLiteral("failed at %1: %2 (%3)")
                        .arg(outcome.step, outcome.cause, howFar(outcome, QStringLiteral("read")));
}

QString statusWords(quint8 s) {
    static const char *const lamp[] = {"dark", "green", "red", "yellow"};
    const auto bit = [s](int n) { return (s >> n) & 1; };
    return QStringLiteral("fase %1, process %2, high voltage unit %3 and %4, head cover %5, %6")
        .arg(QLatin1String(lamp[(s >> 6) & 3]), QLatin1String(lamp[(s >> 4) & 3]),
             bit(3) ? QStringLiteral("ok") : QStringLiteral("destroyed"),
             bit(2) ? QStringLiteral("on") : QStringLiteral("off"),
             bit(1) ? QStringLiteral("closed") : QStringLiteral("open"),
             bit(0) ? QStringLiteral("printing") : QStringLiteral("not printing"));
}

QString Look::describe() const {
    if (busy)
        return QStringLiteral("busy: ") + why;
    if (!connected)
        return QStringLiteral("not connected: ") + why;
    QString text = QStringLiteral("connected");
    if (autoRunPeriod >= 0)
        text += autoRunPeriod ? QStringLiteral(", auto-run every %1").arg(autoRunPeriod)
                              : QStringLiteral(", auto-run off");
    if (status)
        text += QStringLiteral(", status %1: %2")
                    .arg(QString::number(*status, 16).rightJustified(2, QLatin1Char('0')).toUpper(),
                         statusWords(*status));
    return text;
}

void readLook(Functions &f, Look &look) {
    quint8 status = 0;
    const bool answered = f.ReadByteStatus(status);
    look.opened = f.state().handle != nullptr;
    if (!answered) {
        look.why = f.state().causes.isEmpty() ? QStringLiteral("the printer did not answer")
                                              : f.state().causes.last();
        return;
    }
    look.connected = true;
    look.status = status;
    StateBlock block;
    if (f.ReadTimeParams(block) && block.received >= 14)
        look.autoRunPeriod = block.autoRunPeriod();
}

std::vector<Look> lookAt(const std::vector<Printer> &printers, const LineFactory &lines) {
    return eachAtOnce<Look>(printers, lines, [](Functions &f, size_t, Look &look) {
        // A printer busy with another exchange is not polled: its last look stands.
        if (!f.takeTurn(0)) {
            look.busy = true;
            look.why = QStringLiteral("another exchange with the printer is under way");
            return;
        }
        readLook(f, look);
    });
}

std::vector<PrinterResult> applyJob(const std::vector<Printer> &printers, const backup::Job &job,
                                    const LineFactory &lines, const Watch &watch) {
    return eachAtOnce<PrinterResult>(
        printers, lines,
        [&](Functions &f, size_t i, PrinterResult &result) {
            const backup::Progress progress = progressOf(watch, i);
            result.applying = true;
            if (!holdTurn(f, watch, result))
                return;
            // Told as it starts and once it is read back, so that an apply cut off shows as
            // started and never ended; done only when the read-back matches.
            const QString operation = QStringLiteral("ApplyJob");
            const auto words = [&] { return applyWords(job, watch.jobName); };
            recordStart(f.state(), operation, words);
            result.outcome = backup::applyJob(f, job, progress);
            result.wrote = result.outcome.ok();
            if (result.wrote)
                compare(f, job, progress, result);
            recordEnd(f.state(), operation, words,
                      result.end == PrinterResult::End::Verified ? QString() : result.describe());
        },
        watch);
}

std::vector<PrinterResult> verifyJob(const std::vector<Printer> &printers, const backup::Job &job,
                                     const LineFactory &lines, const Watch &watch) {
    return eachAtOnce<PrinterResult>(
        printers, lines,
        [&](Functions &f, size_t i, PrinterResult &result) {
            if (holdTurn(f, watch, result))
                compare(f, job, progressOf(watch, i), result);
        },
        watch);
}

} // namespace line
