#include "LongWait.h"

#include "Hub.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QWindow>

qint64 steadyClock() {
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

LongWait::LongWait(Hub &h, QWidget *o, QString l, int m)
    : hub(h), over(o), label(std::move(l)), maximum(m), started(now()) {
    hub.waitBegins();
}

qint64 LongWait::now() const {
    return hub.clock() ? hub.clock()() : steadyClock();
}

LongWait::~LongWait() {
    dialog.reset();
    hub.waitEnds();
}

void LongWait::show() {
    dialog = std::make_unique<QProgressDialog>(label, QStringLiteral("Cancel"), 0, maximum);
    dialog->setObjectName(QStringLiteral("LongWait"));
    dialog->setWindowTitle(QCoreApplication::applicationName());
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    dialog->setMinimumDuration(0);
    // Over the window that waits, and kept above it by the window system.
    if (QWidget *window = over ? over->window() : nullptr) {
        dialog->winId();
        if (QWindow *handle = dialog->windowHandle(); handle && window->windowHandle())
            handle->setTransientParent(window->windowHandle());
        dialog->adjustSize();
        dialog->move(window->geometry().center() - dialog->rect().center());
    }
    dialog->show();
}

bool LongWait::carryOn(int value) {
    if (wasCancelled)
        return false;
    if (!dialog && now() - started >= kShowAfterMs)
        show();
    if (!dialog)
        return true;
    if (value >= 0 && maximum > 0)
        dialog->setValue(qMin(value, maximum));
    hub.letEventsThrough();
    wasCancelled = dialog->wasCanceled();
    return !wasCancelled;
}
