#pragma once
// One exchange at a time per printer within the program, whoever asks (the main window, the
// line's background poll, a job applied to the line): the turn of each device, shared by every
// user of the same device however they name it.
//
// A user that looks at a printer often (the line's poll) may keep its line open between its
// turns, as a keeper: the next other user to take the turn first has the keeper let go of the
// line (close it, on the keeper's own thread), so that it can open the device itself.

#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace turns {

class Keeper {
public:
    virtual ~Keeper() = default;
    // Closes the kept line and returns once it is closed. Called by the user that has just taken
    // the turn, so the keeper is not using the line.
    virtual void letGo() = 0;
};

class Turn {
public:
    // Takes the turn, waiting at most `waitMs` for it (0: only a free one; -1: as long as it
    // takes); false when another user holds it still. A line kept open by a keeper other than
    // `self` is let go of first.
    bool take(int waitMs, const Keeper *self = nullptr);
    // Gives it back to the next user; only the holder calls it. With `keeping`, the holder keeps
    // its line open until another user takes the turn.
    void give(const std::shared_ptr<Keeper> &keeping = nullptr);
    // The keeper closed its line of its own accord: nobody needs to ask it any more.
    void forget(const Keeper *keeper);

private:
    std::mutex mutex;
    std::condition_variable freed;
    bool held = false;
    std::weak_ptr<Keeper> keeper;
};

// The device's turn; the same for every name of one device (a serial port through a link, a
// virtual printer's state file by another path, a device server's host in other letters).
std::shared_ptr<Turn> of(const QString &device);

} // namespace turns
