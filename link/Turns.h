#pragma once
// One exchange at a time per printer within the program, whoever asks (the main window, the
// line's background poll, a job applied to the line): the turn of each device, shared by every
// user of the same device however they name it.

#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace turns {

class Turn {
public:
    // Takes the turn, waiting at most `waitMs` for it (0: only a free one; -1: as long as it
    // takes); false when another user holds it still.
    bool take(int waitMs);
    // Gives it back to the next user; only the holder calls it.
    void give();

private:
    std::mutex mutex;
    std::condition_variable freed;
    bool held = false;
};

// The device's turn; the same for every name of one device (a serial port through a link, a
// virtual printer's state file by another path, a device server's host in other letters).
std::shared_ptr<Turn> of(const QString &device);

} // namespace turns
