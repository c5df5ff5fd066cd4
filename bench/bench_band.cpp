// The image editor at its widest: a band of 10280 columns, every one of them holding dots. Draws
// it offscreen and reports one full repaint of the band in view and one scroll step of one cell,
// in milliseconds a frame, against the 16 ms of a frame at 60 Hz; and the resident memory of the
// process with that band open, above the same process showing only an empty window, against the
// goal of 64 MB.

#include "ClipBrdRead.h"
#include "Hub.h"
#include "Messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <cstdio>

namespace {
class BenchHub : public Hub {
public:
    explicit BenchHub(Messages &messages) : Hub(messages, QString()) {}
    void postMessage(WindowMessage) override {}
    void sendMessage(WindowMessage) override {}
};

// VmRSS of /proc/self/status in kB; -1 where there is none.
long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).simplified().split(' ').value(0).toLong();
    return -1;
}

template <class Frame> double msPerFrame(int frames, Frame frame) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < frames; ++i)
        frame(i);
    return double(timer.nsecsElapsed()) / 1e6 / frames;
}

double mb(long kb) {
    return double(kb) / 1024.0;
}
} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QSize window(1040, 420);

    // The empty program: one empty window, shown and painted.
    QWidget empty;
    empty.resize(window);
    empty.show();
    QApplication::processEvents();
    const long before = residentKb();

    BoxMessages messages;
    BenchHub hub(messages);
    TClipBrdReadForm editor(hub);
    LogoBand &band = editor.band();
    for (int x = 0; x < LogoBand::kColumns; ++x)
        for (int y = 0; y < LogoBand::kHeight; ++y)
            if ((x + y) % 3 == 0 || (7 * x + y) % 5 == 0)
                band.setDot(x, LogoBand::kTop + y, true);
    band.setWidthValue(LogoBand::kColumns - 1);
    editor.showBand();
    editor.resize(window);
    editor.show();
    QApplication::processEvents();
    const long after = residentKb();

    auto *box = editor.findChild<QScrollArea *>(QStringLiteral("ScrollBox1"));
    QScrollBar *across = box->horizontalScrollBar();
    across->setValue(across->maximum() / 2);
    QApplication::processEvents();

    // Frames that did not paint the band would measure nothing: they are counted.
    struct Paints : QObject {
        int count = 0;
        bool eventFilter(QObject *, QEvent *event) override {
            count += event->type() == QEvent::Paint;
            return false;
        }
    } paints;
    QWidget *view = editor.findChild<QWidget *>(QStringLiteral("Image3"));
    view->installEventFilter(&paints);
    const int frames = 200;
    // The whole band in view, then the strip that one cell of scrolling brings in.
    const double repaint = msPerFrame(frames, [&](int) {
        view->update();
        QApplication::processEvents();
    });
    const double scroll = msPerFrame(frames, [&](int i) {
        across->setValue(across->value() + (i % 2 ? -8 : 8));
        QApplication::processEvents();
    });

    if (paints.count < 2 * frames) {
        std::printf("only %d of %d frames painted the band\n", paints.count, 2 * frames);
        return 1;
    }
    std::printf("band: %d columns x %d rows shown, view %d x %d pixels\n", band.shownColumns(),
                LogoBand::kHeight, box->viewport()->width(), box->viewport()->height());
    std::printf("full repaint:      %.3f ms a frame (goal 16 ms)\n", repaint);
    std::printf("scroll one cell:   %.3f ms a frame (goal 16 ms)\n", scroll);
    std::printf("resident memory:   %.1f MB with the band open, %.1f MB without (+%.1f MB; goal "
                "64 MB)\n",
                mb(after), mb(before), mb(after - before));
    return repaint < 16 && scroll < 16 ? 0 : 1;
}
