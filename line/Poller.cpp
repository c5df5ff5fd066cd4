#include "Poller.h"

#include "Turns.h"

#include <QThread>

namespace line {

// One printer's looks, on a Qt thread of its own (a serial port or a socket needs the event
// dispatcher of the thread it is opened on), keeping its line open from one look to the next
// until another user of the printer takes the turn.
class PrinterWatch : public turns::Keeper, public std::enable_shared_from_this<PrinterWatch> {
public:
    PrinterWatch(Printer p, LineFactory l, bool keep)
        : printer(std::move(p)), lines(std::move(l)), keepLine(keep) {}
    ~PrinterWatch() override { stop(); }

    void start() {
        thread.reset(QThread::create([this] { run(); }));
        thread->start();
    }
    void stop() {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        if (thread)
            thread->wait();
    }
    void ask() {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            looked = false;
            lookAsked = true;
        }
        changed.notify_all();
    }
    // The look asked for, once it is done (an empty one when the watch stopped first).
    Look take() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return looked || exited; });
        Look result = look;
        result.printer = printer.name;
        return result;
    }
    void letGo() override {
        std::unique_lock<std::mutex> lock(mutex);
        if (exited)
            return;
        closeAsked = true;
        changed.notify_all();
        changed.wait(lock, [this] { return !closeAsked || exited; });
    }

private:
    void run() {
        PortState state;
        aimAt(state, printer);
        state.openLine = lines;
        state.sharesLine = true; // an exchange outside a look would take its own turn
        Functions f(state);
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return lookAsked || closeAsked || stopping; });
            if (closeAsked) {
                lock.unlock();
                f.closeKeptLine(this);
                lock.lock();
                closeAsked = false;
                changed.notify_all();
                continue;
            }
            if (stopping)
                break;
            lookAsked = false;
            lock.unlock();
            Look fresh;
            // A printer busy with another exchange is not looked at: its last look stands.
            if (!f.takeTurn(0, this)) {
                fresh.busy = true;
                fresh.why = QStringLiteral("another exchange with the printer is under way");
            } else {
                readLook(f, fresh);
                if (keepLine)
                    f.keepLine(shared_from_this());
                else
                    f.giveTurn(); // the line closes: other programs may open the printer
            }
            lock.lock();
            look = fresh;
            looked = true;
            changed.notify_all();
        }
        lock.unlock();
        f.closeKeptLine(this);
        lock.lock();
        exited = true;
        changed.notify_all();
    }

    const Printer printer;
    const LineFactory lines;
    const bool keepLine;
    std::mutex mutex;
    std::condition_variable changed;
    bool lookAsked = false, looked = false, closeAsked = false, stopping = false, exited = false;
    Look look;
    std::unique_ptr<QThread> thread;
};

Poller::Poller(std::vector<Printer> printers, LineFactory lines, Fresh f,
               std::chrono::milliseconds interval, Lines kept)
    : fresh(std::move(f)), every(interval) {
    for (Printer &p : printers) {
        watches.push_back(
            std::make_shared<PrinterWatch>(std::move(p), lines, kept == Lines::KeptOpen));
        watches.back()->start();
    }
    worker = std::thread([this] { run(); });
}

Poller::~Poller() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    worker.join();
    for (const auto &watch : watches)
        watch->stop();
}

void Poller::setInterval(std::chrono::milliseconds interval) {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        every = interval;
    }
    wake.notify_all();
}

void Poller::pollNow() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        now = true;
    }
    wake.notify_all();
}

int Poller::rounds() const {
    const std::lock_guard<std::mutex> lock(mutex);
    return done;
}

void Poller::run() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        now = false;
        lock.unlock();
        const auto began = std::chrono::steady_clock::now();
        for (const auto &watch : watches)
            watch->ask();
        std::vector<Look> looks;
        for (const auto &watch : watches)
            looks.push_back(watch->take());
        if (fresh)
            fresh(looks);
        lock.lock();
        ++done;
        // The next round the interval after this one began; a new interval or a request for a
        // round now shortens the wait, and stopping ends it.
        while (!stopping && !now) {
            const auto due = began + every;
            if (std::chrono::steady_clock::now() >= due)
                break;
            wake.wait_until(lock, due);
        }
    }
}

} // namespace line
