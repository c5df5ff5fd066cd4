#pragma once
// Serves a virtual printer on a pseudo-terminal, so a host reaches it through its system serial
// port code. POSIX only; nothing outside printer/ depends on it.

#include "VirtualPrinter.h"

#include <QByteArray>
#include <QString>
#include <deque>
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

private:
    int hostRate() const; // the rate the host last set on the line
    void takeHostBytes(qint64 nowUs);
    void sendPrinterBytes(qint64 nowUs);
    qint64 byteTimeUs() const;
    void removeLink();

    VirtualPrinter &printer;
    bool pace;
    int master = -1;
    int slaveFd = -1; // kept open so the line never hangs up between the host's opens
    QString slave;
    QString link;
    std::unique_ptr<files::OwnerLock> linkOwner;
    std::deque<quint8> fromHost;
    QByteArray toHost;
    qint64 nextInUs = 0;  // paced: when the next host byte may be taken
    qint64 nextOutUs = 0; // paced: when the next printer byte may leave
    qint64 lastHostUs = 0;
    bool exchangeOpen = false;
};

} // namespace printer
