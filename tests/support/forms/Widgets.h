#pragma once
// Finding a form's widgets by their names, and clicking them, as a test drives them.

#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QTest>
#include <QWidget>

// The widget of that name and type inside `parent`; the test stops when there is none.
template <class T = QWidget> T *child(const QObject &parent, const char *name) {
    auto *w = parent.findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return w;
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
