#pragma once
// What the drawing benchmarks share: a Hub with no main window behind it, and frames timed with
// the paints they cause counted, so that a frame which drew nothing never passes for a fast one.

#include "Hub.h"

#include <QString>
#include <functional>

class QWidget;

namespace bench {

// Window messages go nowhere (no window receives them), boxes are not shown, file dialogs answer
// nothing.
class BenchHub : public Hub {
public:
    BenchHub();
};

struct Frames {
    int count = 0;
    int painted = 0;  // frames in which the view painted
    double cpuMs = 0; // the process's CPU time over all frames
    double wallMs = 0;
};

// `count` frames: each runs `frame(i)`, then the events it caused, so that what it exposed is
// painted before the next one begins.
Frames timeFrames(QWidget *view, int count, const std::function<void(int)> &frame);
// The figure of a drawing: CPU time a frame (which other programs on the machine do not stretch)
// against the 16 ms of a frame at 60 Hz; the wall time in a note.
void reportFrames(const QString &name, const Frames &frames);

// The process's resident memory (VmRSS) in kB; -1 where there is none.
long residentKb();

} // namespace bench
