#pragma once
// stampline-vprinter as the benchmarks run it: on a pseudo-terminal of its own, paced to the line
// rate, reporting at its end how late its own bytes were (--lateness).

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace bench {

// The stand-in's own account of a run (stampline-vprinter --lateness).
struct StandInLateness {
    bool read = false;
    qint64 bytes = 0;       // paced bytes it took and sent
    qint64 bytesIn = 0;     // of them from the host
    qint64 bytesOut = 0;    // and to the host
    qint64 medianNs = 0;    // a byte's lateness against its schedule
    qint64 p95Ns = 0;       //
    qint64 maxNs = 0;       //
    qint64 totalNs = 0;     // every byte's lateness added up
    qint64 waits = 0;       // bytes after which it waited for the host
    qint64 waitsLateNs = 0; // their lateness added up: what a waiting host saw of it

    double waitsLateMs() const { return double(waitsLateNs) / 1e6; }
};

class PacedPrinter {
public:
    // `program`: stampline-vprinter; `state`: its state file, or empty for a printer in its first
    // state; `extra`: more options (--pace is always given).
    PacedPrinter(const QString &program, const QString &state, const QStringList &extra = {});
    ~PacedPrinter();
    PacedPrinter(const PacedPrinter &) = delete;
    PacedPrinter &operator=(const PacedPrinter &) = delete;

    bool ready() const { return served; }
    QString link() const { return linkPath; }
    // The stand-in's process id while it runs (0 once it has ended), for its CPU time in /proc.
    qint64 pid() const { return process.processId(); }
    // SIGTERM, and the stand-in's report once it has ended.
    StandInLateness stop();

private:
    QTemporaryDir folder;
    QString linkPath;
    QString report;
    QProcess process;
    bool served = false;
};

} // namespace bench
