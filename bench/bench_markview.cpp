// The mark view with the largest mark the printer sends (4 bands × 1280 columns) at its fixed
// zoom, grid on, every other dot printed so no two dots merge into one square: the time of one
// full repaint of the window, and of one scroll step of its picture, against a 60 Hz frame.
//
//   bench_markview [FRAMES]   (default 200 a figure; runs offscreen unless told otherwise)

#include "Hub.h"
#include "Mark.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollArea>
#include <QScrollBar>

#include <cstdio>

namespace {

constexpr double kFrameMs = 16.0;

class Quiet : public Messages {
public:
    void show(QWidget *, Severity, const QString &, const QString &, const QString &) override {}
    bool ask(QWidget *, const QString &, const QString &, DefaultButton) override { return false; }
    void beep() override {}
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override {
        return {};
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override {
        return {};
    }
    bool openDocument(const QUrl &) override { return false; }
};

class BenchHub : public Hub {
public:
    explicit BenchHub(Messages &messages) : Hub(messages, QString()) {}
    void postMessage(WindowMessage) override {}
    void sendMessage(WindowMessage) override {}
};

void report(const char *figure, double totalMs, int frames, double worstMs) {
    const double perFrame = totalMs / frames;
    std::printf("%-34s %7.3f ms per frame (worst %.3f) against %.0f ms: %s\n", figure, perFrame,
                worstMs, kFrameMs, perFrame <= kFrameMs ? "within" : "OVER");
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frames = argc > 1 ? qMax(1, atoi(argv[1])) : 200;

    Quiet quiet;
    BenchHub hub(quiet);
    MarkImage &mark = hub.mark().image;
    mark.height = 4;
    mark.length = 1280;
    for (int c = 0; c < mark.length; ++c)
        for (int k = 0; k < mark.height; ++k)
            mark.dots[size_t(c)][size_t(k)] = c % 2 ? 0xAA : 0x55;
    hub.mark().grid = true;
    hub.mark().redrawRequested = true;

    TMarkForm view(hub);
    view.show();
    view.FormActivate();
    QApplication::processEvents();

    QElapsedTimer timer;
    double total = 0, worst = 0;
    for (int i = 0; i < frames; ++i) {
        timer.start();
        view.repaint();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        total += ms;
        worst = qMax(worst, ms);
    }
    report("full repaint of the view", total, frames, worst);

    QScrollBar *bar =
        view.findChild<QScrollArea *>(QStringLiteral("ScrollBox1"))->horizontalScrollBar();
    total = worst = 0;
    for (int i = 0; i < frames; ++i) {
        const int next = bar->value() + bar->singleStep();
        timer.start();
        bar->setValue(next > bar->maximum() ? 0 : next);
        QApplication::processEvents(); // paints the part the step uncovered
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        total += ms;
        worst = qMax(worst, ms);
    }
    char figure[64];
    std::snprintf(figure, sizeof figure, "scroll step of %d pixels", bar->singleStep());
    report(figure, total, frames, worst);
    return 0;
}
