#pragma once
// One run of stampctl against a device at 57600 baud: its exit code and what it printed; the
// dots of the pictures it reads and writes.

#include <QImage>
#include <QProcess>
#include <QStringList>

struct StampctlRun {
    int exitCode = -1; // -1 when it crashed or did not end
    QByteArray out;
    QByteArray err;

    QStringList lines() const { return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts); }
};

inline StampctlRun runStampctl(const QString &program, const QString &device,
                               const QStringList &operation) {
    QProcess p;
    p.start(program, QStringList{"--device", device, "--baud", "57600"} + operation);
    StampctlRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// A picture file's size and its black pixels, row by row: "2x8: 1,0 0,7".
inline QString dotsOf(const QString &path) {
    const QImage image(path);
    QString dots = QStringLiteral("%1x%2:").arg(image.width()).arg(image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) == 0)
                dots += QStringLiteral(" %1,%2").arg(x).arg(y);
    return dots;
}
