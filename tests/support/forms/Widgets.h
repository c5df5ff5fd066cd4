#pragma once
// Finding a form's widgets by their names, and clicking them, as a test drives them.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

// The widget of that name and type inside `parent`; the test stops when there is none.
template <class T = QWidget> T *child(const QObject &parent, const char *name) {
    auto *w = parent.findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return w;
}

// The named menu entry or tool button action of a window.
inline QAction *entry(const QObject &window, const char *name) {
    return child<QAction>(window, name);
}

// A mouse click on the named button, as the operator makes it: on a check box or a radio button,
// on its indicator (its label may end long before the box does).
inline void click(const QObject &parent, const char *name) {
    auto *button = child<QAbstractButton>(parent, name);
    const bool indicator =
        qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button);
    QTest::mouseClick(button, Qt::LeftButton, {},
                      indicator ? QPoint(6, button->height() / 2) : QPoint());
}

// Runs `act` on the next modal window (a dialog opened with exec(), or a long wait's progress)
// once it shows and `ready` says so, then stops looking. `act` must not wait itself: the modal
// window's own work goes on between two looks.
inline void onNextModal(
    std::function<void(QWidget *)> act, std::function<bool()> ready = [] { return true; }) {
    auto *watch = new QTimer;
    watch->setInterval(0);
    QObject::connect(watch, &QTimer::timeout, watch, [watch, act, ready] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && ready()) {
            watch->stop();
            watch->deleteLater();
            act(modal);
        }
    });
    watch->start();
}

// Presses Cancel on the next long wait's progress as soon as it shows.
inline void cancelNextLongWait(bool *shown = nullptr) {
    onNextModal([shown](QWidget *modal) {
        auto *wait = qobject_cast<QProgressDialog *>(modal);
        if (shown)
            *shown = wait && wait->objectName() == QLatin1String("LongWait");
        if (wait)
            wait->cancel();
    });
}
