#pragma once
// One owner per printer. A program that uses a printer holds its owner lock for as long as it
// uses it; a second program is refused with "in use by another program", naming that program
// where it can be known. Two kinds:
// - a file's lock (a virtual printer's state file, a virtual printer's link): an flock on
//   FILE.lock beside it, which names its owner for a person; the system releases it when its
//   program ends, however it ends;
// - a device's lock: flock on the device node the name resolves to, so that every name of the
//   device (a link, another path) and every user, root included, meets the same lock.

#include <QString>
#include <memory>

class QLockFile;

namespace files {

class OwnerLock {
public:
    ~OwnerLock();
    OwnerLock(const OwnerLock &) = delete;
    OwnerLock &operator=(const OwnerLock &) = delete;

    // The lock of the file at `path`; nullptr when another program holds it, with "PATH is in use
    // by another program (stampctl, pid 4711)" in `why`. A lock file that cannot be made at all
    // (a folder we may not write) locks nothing and refuses nothing: a lock that is not there.
    static std::unique_ptr<OwnerLock> onFile(const QString &path, QString *why);

    // The lock of the device; within one program every opening of the same device shares it.
    // nullptr with "the device is in use by another program (…)" in `why` when another holds it;
    // nullptr with `why` empty when the device cannot be locked (it does not open, or the system
    // has no such locks), which is left to the opening of the port to report.
    static std::shared_ptr<OwnerLock> onDevice(const QString &device, QString *why);

private:
    OwnerLock() = default;
    std::unique_ptr<QLockFile> file; // where there is no flock
    int descriptor = -1;
    QString lockPath; // a file's lock: FILE.lock, removed on release
};

// "PATH is in use by another program (stampctl, pid 4711)"; the parenthesis when known.
QString inUseMessage(const QString &what, const QString &holder);

// The program that holds an flock on the file, as "stampctl, pid 4711"; empty when none is known.
QString flockHolder(const QString &path);

} // namespace files
