#pragma once
// One long wait of the GUI thread: a retry loop, the printer search or a long transfer. The
// exchanges stay synchronous on the GUI thread; between two steps the wait shows a modal progress
// dialog once it has lasted half a second, repaints it, and lets the operator cancel. Cancel ends
// the work exactly as running out of attempts does: the caller sees a step that may not go on.
// While a wait lasts the hub is busy: the events it lets through start no exchange of their own.
//
//     const auto wait = hub.longWait(window, "Stopping the auto-run…", 1000);
//     for (int i = 0; i < 1000 && wait->carryOn(i); ++i) ...

#include <QString>
#include <functional>
#include <memory>

class Hub;
class QProgressDialog;
class QWidget;

// Milliseconds from any fixed start; tests move it by hand.
using Clock = std::function<qint64()>;
qint64 steadyClock();

class LongWait {
public:
    static constexpr qint64 kShowAfterMs = 500;

    // maximum 0: a busy bar without steps. The dialog opens over `over`'s window.
    LongWait(Hub &hub, QWidget *over, QString label, int maximum);
    ~LongWait();
    LongWait(const LongWait &) = delete;
    LongWait &operator=(const LongWait &) = delete;

    // Between two steps: shows the dialog once the wait has lasted long enough, moves its bar to
    // `value` (when not negative), lets it repaint, and tells whether the work may go on.
    bool carryOn(int value = -1);
    bool cancelled() const { return wasCancelled; }
    bool shown() const { return dialog != nullptr; }

private:
    void show();
    qint64 now() const; // the hub's clock, or the steady one

    Hub &hub;
    QWidget *over;
    QString label;
    int maximum;
    qint64 started = 0;
    bool wasCancelled = false;
    // The wait's own, and only the wait's: no window holds it, so it goes exactly when the wait
    // ends, whichever window it was shown over.
    std::unique_ptr<QProgressDialog> dialog;
};
