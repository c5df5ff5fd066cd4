#pragma once
// A pseudo-terminal whose master end plays a printer for end-to-end tests and benchmarks: it
// echoes the bytes that arrive (except a quiet stretch), sends set replies after a given number
// of bytes, and records everything that arrived. The slave end is what the host opens, by its own
// path or through a link that stays while the device is unplugged and plugged in again.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class PtyDevice {
public:
    struct Script {
        bool silent = false; // echo nothing at all
        int quietFrom = -1;  // bytes quietFrom..quietTo (0-based, inclusive) are not echoed:
        int quietTo = -1;    // the raw bytes and blocks of a transfer
        QMap<int, QByteArray> replies; // after that many bytes have arrived, send these
    };

    // linkPath: a symbolic link made to the slave end (and removed at the end); empty: none.
    explicit PtyDevice(const QString &linkPath = {});
    ~PtyDevice();
    PtyDevice(const PtyDevice &) = delete;
    PtyDevice &operator=(const PtyDevice &) = delete;

    bool isOpen() const { return master >= 0 && slave >= 0; }
    QString slavePath() const { return path; }
    // The link when there is one, else the slave end itself.
    QString devicePath() const { return link.isEmpty() ? path : link; }
    QString error() const { return problem; }

    // Starts a new exchange: forgets what arrived, drops unsent replies and whatever waits on
    // the slave side, and plays the script from now on.
    void play(const Script &script);
    // Everything that arrived since play(), once the line holds nothing more for the device
    // (waits at most boundMs for the device thread to catch up).
    QByteArray received(int boundMs = 5000);

    // The adapter is pulled out: both ends close, the slave end vanishes (the link dangles).
    void unplug();
    // Plugged in again: a new pseudo-terminal, the link pointing at it, the script kept.
    bool plugIn();

private:
    void start();
    void serve();
    qsizetype pendingInput() const;

    int master = -1;
    int slave = -1; // kept open so the line never hangs up between the host's opens
    QString path;
    QString link;
    QString problem;

    mutable std::mutex lock;
    std::condition_variable served; // told after every turn of the device thread
    Script script;
    QByteArray arrived;
    QByteArray outgoing;

    std::atomic<bool> stopping{false};
    std::thread worker;
};
