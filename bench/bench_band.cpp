// The image editor at its widest: a band of 10280 columns, every one of them holding dots. One
// full repaint of the band in view and one scroll step, each against a 60 Hz frame; and the
// resident memory of the process with that band open, above the same process showing only an
// empty window.
//
//   bench_band [FRAMES]   (default 200 a figure; offscreen unless told otherwise)

#include "BenchReport.h"
#include "BenchWindows.h"
#include "ClipBrdRead.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frames = argc > 1 ? qMax(1, atoi(argv[1])) : 200;

    // The empty program: one empty window of the editor's size, shown and painted.
    const QSize size(1040, 420);
    QWidget empty;
    empty.resize(size);
    empty.show();
    QApplication::processEvents();
    const long before = bench::residentKb();

    bench::BenchHub hub;
    TClipBrdReadForm editor(hub);
    LogoBand &band = editor.band();
    for (int x = 0; x < LogoBand::kColumns; ++x)
        for (int y = 0; y < LogoBand::kHeight; ++y)
            if ((x + y) % 3 == 0 || (7 * x + y) % 5 == 0)
                band.setDot(x, LogoBand::kTop + y, true);
    band.setWidthValue(LogoBand::kColumns - 1);
    editor.showBand();
    editor.resize(size);
    editor.show();
    QApplication::processEvents();
    const long after = bench::residentKb();

    auto *picture = editor.findChild<QWidget *>(QStringLiteral("Image3"));
    QScrollBar *across =
        editor.findChild<QScrollArea *>(QStringLiteral("ScrollBox1"))->horizontalScrollBar();
    across->setValue(across->maximum() / 2);
    bench::note(QStringLiteral("band: %1 columns shown, picture %2 × %3 pixels, window %4 × %5, "
                               "scroll step %6 pixels")
                    .arg(band.shownColumns())
                    .arg(picture->width())
                    .arg(picture->height())
                    .arg(editor.width())
                    .arg(editor.height())
                    .arg(across->singleStep()));

    bench::reportFrames(QStringLiteral("Editor band of 10280 columns: full repaint (CPU a frame)"),
                        bench::timeFrames(picture, frames, [&](int) { picture->update(); }));
    bench::reportFrames(
        QStringLiteral("Editor band of 10280 columns: one scroll step (CPU a frame)"),
        bench::timeFrames(picture, frames, [&](int i) {
            across->setValue(across->value() + (i % 2 ? -1 : 1) * across->singleStep());
        }));

    const double mb = double(after - before) / 1024;
    bench::note(
        QStringLiteral("resident memory: %1 MB with the empty window, %2 MB with the band")
            .arg(bench::number(double(before) / 1024, 1), bench::number(double(after) / 1024, 1)));
    bench::figure(QStringLiteral("Resident memory with that band open, above an empty program"),
                  before > 0 && after > 0 ? bench::number(mb, 1) + QStringLiteral(" MB")
                                          : QStringLiteral("unknown"),
                  QStringLiteral("≤ 64 MB"), before > 0 && after > 0 && mb <= 64);
    return 0;
}
