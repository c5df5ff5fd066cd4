#include "Activation.h"

#include "Hub.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QWidget>
#include <QWindow>

namespace {
// The last window that had the focus, as last reported, and whether it was a message box or a
// system dialog. Both are taken when the focus arrives, because a box is gone by the time the
// window under it becomes active again. During a window's activation change the report of that
// change has not been made yet, so these still describe the window active before it.
struct LastFocus {
    const QWindow *window = nullptr; // compared only, never used: it may be gone
    bool passingBox = false;
};

bool isPassingBox(const QWindow *window) {
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->windowHandle() == window)
            return qobject_cast<QMessageBox *>(top) || qobject_cast<QFileDialog *>(top) ||
                   qobject_cast<QColorDialog *>(top) || qobject_cast<QProgressDialog *>(top);
    return false;
}

LastFocus &lastFocus() {
    static LastFocus last;
    static const bool following = [] {
        QObject::connect(qApp, &QGuiApplication::focusWindowChanged, [](QWindow *now) {
            // Focus that leaves the program reports no window: the last one it had counts.
            if (now)
                last = {now, isPassingBox(now)};
        });
        return true;
    }();
    Q_UNUSED(following);
    return last;
}
} // namespace

bool isOwnActivation(const QWidget *window) {
    const LastFocus &last = lastFocus();
    if (!window->isVisible() || !window->isActiveWindow())
        return false;
    // A return from a box, from another program (the window itself had the focus last), or a
    // first activation with no window before it is no coming back.
    return last.window && last.window != window->windowHandle() && !last.passingBox;
}

ActivatedDialog::ActivatedDialog(Hub &hub, QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), activationHub(hub) {}

void ActivatedDialog::changeEvent(QEvent *event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isOwnActivation(this))
        activationHub.whenFree(this, [this] { FormActivate(); });
}
