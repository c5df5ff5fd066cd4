#pragma once
// Keeps the printers of a line fresh in the background: every interval each printer is looked at
// by a thread of its own (never the GUI's), all at once; a printer busy with another exchange is
// skipped for that round, and the looks are handed to `fresh` on the poll's thread. Between its
// looks each printer's line stays open, kept for the next look, until another user of the
// printer in the program takes its turn: then it is closed, and opened again at the next look.
// Nothing runs between rounds; stopping wakes the wait at once.

#include "LineRun.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace line {

class PrinterWatch;

class Poller {
public:
    using Fresh = std::function<void(const std::vector<Look> &)>;
    // Whether a printer's line stays open between looks (the program's own line window), or is
    // closed after each, so that another program of the station may open the printer between
    // them (the agent).
    enum class Lines { KeptOpen, ClosedBetween };
    Poller(std::vector<Printer> printers, LineFactory lines, Fresh fresh,
           std::chrono::milliseconds interval = std::chrono::seconds(5),
           Lines kept = Lines::KeptOpen);
    ~Poller(); // stops, and waits for a round under way to end
    Poller(const Poller &) = delete;
    Poller &operator=(const Poller &) = delete;

    // The next round waits this long after the last; a shorter wait starts at once.
    void setInterval(std::chrono::milliseconds interval);
    // A round now, then the interval again.
    void pollNow();
    // The rounds done so far.
    int rounds() const;

private:
    void run();

    std::vector<std::shared_ptr<PrinterWatch>> watches;
    const Fresh fresh;
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::chrono::milliseconds every;
    bool stopping = false;
    bool now = false;
    int done = 0;
    std::thread worker; // last: it starts once everything above is made
};

} // namespace line
