#include "BenchWindows.h"

#include "BenchReport.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>

namespace bench {

namespace {

QuietMessages &quiet() {
    static QuietMessages messages;
    return messages;
}

class PaintCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

constexpr double kFrameMs = 16;
} // namespace

BenchHub::BenchHub() : Hub(quiet(), QString()) {}

Frames timeFrames(QWidget *view, int count, const std::function<void(int)> &frame) {
    PaintCounter paints;
    view->installEventFilter(&paints);
    QApplication::processEvents();
    Frames result;
    result.count = count;
    const double cpu0 = processCpuMs(), wall0 = wallMs();
    for (int i = 0; i < count; ++i) {
        const int before = paints.count;
        frame(i);
        QApplication::processEvents();
        result.painted += paints.count > before;
    }
    result.cpuMs = processCpuMs() - cpu0;
    result.wallMs = wallMs() - wall0;
    view->removeEventFilter(&paints);
    return result;
}

void reportFrames(const QString &name, const Frames &frames) {
    const double cpu = frames.cpuMs / frames.count;
    note(QStringLiteral("%1: %2 frames, %3 painted; %4 ms CPU and %5 ms wall a frame")
             .arg(name)
             .arg(frames.count)
             .arg(frames.painted)
             .arg(number(cpu, 3), number(frames.wallMs / frames.count, 3)));
    const bool drawn = frames.painted == frames.count;
    figure(name, drawn ? number(cpu, 2) + QStringLiteral(" ms") : QStringLiteral("not drawn"),
           QStringLiteral("≤ 16 ms"), drawn && cpu <= kFrameMs);
}

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).simplified().split(' ').value(0).toLong();
    return -1;
}

} // namespace bench
