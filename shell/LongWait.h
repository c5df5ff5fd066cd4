#pragma once
// One long wait of the GUI thread: a retry loop, the printer search or a long transfer. The
// exchanges stay synchronous on the GUI thread; between two steps the wait shows a modal progress
// dialog once it has lasted half a second, repaints it, and lets the operator cancel. Cancel ends
// the work exactly as running out of attempts does: the caller sees a step that may not go on.
//
//     LongWait wait(window, "Stopping the auto-run…", 1000, clock);
//     for (int i = 0; i < 1000 && wait.carryOn(i); ++i) ...

#include <QString>
#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

// Milliseconds from any fixed start; tests move it by hand.
using Clock = std::function<qint64()>;
qint64 steadyClock();

class LongWait {
public:
    static constexpr qint64 kShowAfterMs = 500;

    // maximum 0: a busy bar without steps.
    LongWait(QWidget *over, QString label, int maximum, Clock clock);
    ~LongWait();
    LongWait(const LongWait &) = delete;
    LongWait &operator=(const LongWait &) = delete;

    // Between two steps: shows the dialog once the wait has lasted long enough, moves its bar to
    // `value` (when not negative), lets it repaint, and tells whether the work may go on.
    bool carryOn(int value = -1);
    bool cancelled() const { return wasCancelled; }
    bool shown() const { return dialog != nullptr; }

private:
    QWidget *over;
    QString label;
    int maximum;
    Clock clock;
    qint64 started;
    bool wasCancelled = false;
    std::unique_ptr<QProgressDialog> dialog;
};
