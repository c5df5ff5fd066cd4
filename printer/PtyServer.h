#pragma once
// Serves a virtual printer on a pseudo-terminal, so a host reaches it through its system serial
// port code. POSIX only; nothing outside printer/ depends on it.

#include "BytePump.h"
#include "VirtualPrinter.h"

#include <QString>
#include <memory>

namespace files {
class OwnerLock;
}

namespace printer {

class PtyServer {
public:
    // With `pace`, every byte takes its line time at the printer's rate (10 bits a byte).
    PtyServer(VirtualPrinter &printer, bool pace);
    ~PtyServer();
    PtyServer(const PtyServer &) = delete;
    PtyServer &operator=(const PtyServer &) = delete;

    // Opens the pseudo-terminal, puts its slave in raw mode at the printer's rate and makes
    // `linkPath` a symbolic link to the slave. A stale symbolic link at that path is replaced; one
    // that another live server holds is refused.
    bool open(const QString &linkPath, QString *error);
    // Serves until SIGTERM or SIGINT arrives; then removes the link. Returns 0, or 1 on a failure
    // of the pseudo-terminal itself.
    int serve();

    QString slavePath() const { return slave; }
    const Lateness &lateness() const { return pump.lateness(); }

private:
    int hostRate() const; // the rate the host last set on the line
    void removeLink();

    VirtualPrinter &printer;
    BytePump pump;
    int master = -1;
    int slaveFd = -1; // kept open so the line never hangs up between the host's opens
    QString slave;
    QString link;
    std::unique_ptr<files::OwnerLock> linkOwner;
};

} // namespace printer
