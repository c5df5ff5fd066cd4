#include "Activation.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {
// The focus window as last reported. During a widget's activation change the report for that
// change has not been made yet, so this still names the window active before it.
QPointer<QWindow> &previousWindow() {
    static QPointer<QWindow> previous;
    static const bool tracking = [] {
        QObject::connect(qApp, &QGuiApplication::focusWindowChanged,
                         [](QWindow *now) { previous = now; });
        previous = QGuiApplication::focusWindow();
        return true;
    }();
    Q_UNUSED(tracking);
    return previous;
}

bool isPassingBox(const QWindow *window) {
    if (!window)
        return false;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->windowHandle() == window)
            return qobject_cast<QMessageBox *>(top) || qobject_cast<QFileDialog *>(top) ||
                   qobject_cast<QColorDialog *>(top);
    return false;
}
} // namespace

bool isOwnActivation(const QWidget *window) {
    if (!window->isVisible() || !window->isActiveWindow())
        return false;
    return !isPassingBox(previousWindow());
}
