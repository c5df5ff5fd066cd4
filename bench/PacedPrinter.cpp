#include "PacedPrinter.h"

#include <QFile>

namespace bench {

PacedPrinter::PacedPrinter(const QString &program, const QString &state, const QStringList &extra)
    : linkPath(folder.filePath(QStringLiteral("line"))),
      report(folder.filePath(QStringLiteral("lateness"))) {
    QStringList arguments = {"--link", linkPath, "--pace", "--lateness", report};
    if (!state.isEmpty())
        arguments << "--state" << state;
    process.start(program, arguments + extra);
    QByteArray output;
    while (!output.contains('\n') && process.waitForReadyRead(30000))
        output += process.readAllStandardOutput();
    served = output == "ready " + linkPath.toUtf8() + '\n';
}

PacedPrinter::~PacedPrinter() {
    stop();
}

StandInLateness PacedPrinter::stop() {
    StandInLateness l;
    if (process.state() == QProcess::NotRunning)
        return l;
    process.terminate();
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return l;
    }
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly))
        return l;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() != 2)
            continue;
        const qint64 value = words[1].toLongLong();
        const QByteArray &key = words[0];
        if (key == "bytes")
            l.bytes = value;
        else if (key == "bytes_in")
            l.bytesIn = value;
        else if (key == "bytes_out")
            l.bytesOut = value;
        else if (key == "median_ns")
            l.medianNs = value;
        else if (key == "p95_ns")
            l.p95Ns = value;
        else if (key == "max_ns")
            l.maxNs = value;
        else if (key == "total_late_ns")
            l.totalNs = value;
        else if (key == "waits")
            l.waits = value;
        else if (key == "waits_late_ns")
            l.waitsLateNs = value;
    }
    l.read = true;
    return l;
}

} // namespace bench
