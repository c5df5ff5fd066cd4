// The mark view with the largest mark the printer sends (4 bands × 1280 columns) at its zoom of
// 4, grid on, every other dot printed so that no two dots merge: one full repaint of the picture in
// view and one scroll step of it, each against a 60 Hz frame.
//
//   bench_markview [FRAMES]   (default 200 a figure; offscreen unless told otherwise)

#include "BenchReport.h"
#include "BenchWindows.h"
#include "Mark.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frames = argc > 1 ? qMax(1, atoi(argv[1])) : 200;

    bench::BenchHub hub;
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
    auto *picture = view.findChild<QWidget *>(QStringLiteral("Image1"));
    QScrollBar *across =
        view.findChild<QScrollArea *>(QStringLiteral("ScrollBox1"))->horizontalScrollBar();
    across->setValue(across->maximum() / 2);
    bench::note(QStringLiteral("mark view: picture %1 × %2 pixels, window %3 × %4, scroll step %5 "
                               "pixels")
                    .arg(picture->width())
                    .arg(picture->height())
                    .arg(view.width())
                    .arg(view.height())
                    .arg(across->singleStep()));

    bench::reportFrames(QStringLiteral("Mark view 4 × 1280 at zoom 4: full repaint (CPU a frame)"),
                        bench::timeFrames(picture, frames, [&](int) { picture->update(); }));
    bench::reportFrames(
        QStringLiteral("Mark view 4 × 1280 at zoom 4: one scroll step (CPU a frame)"),
        bench::timeFrames(picture, frames, [&](int i) {
            across->setValue(across->value() + (i % 2 ? -1 : 1) * across->singleStep());
        }));
    return 0;
}
