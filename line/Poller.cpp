#include "Poller.h"

namespace line {

Poller::Poller(std::vector<Printer> p, LineFactory l, Fresh f, std::chrono::milliseconds interval)
    : printers(std::move(p)), lines(std::move(l)), fresh(std::move(f)), every(interval),
      worker([this] { run(); }) {}

Poller::~Poller() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    worker.join();
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
        const std::vector<Look> looks = lookAt(printers, lines);
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
