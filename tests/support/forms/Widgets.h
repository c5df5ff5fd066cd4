#pragma once
// Finding a form's widgets by their names, as a test drives them.

#include <QAbstractButton>
#include <QTest>
#include <QWidget>

// The widget of that name and type inside `parent`; the test stops when there is none.
template <class T = QWidget> T *child(const QObject &parent, const char *name) {
    auto *w = parent.findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return w;
}

// A mouse click on the named button, as the operator makes it.
inline void click(const QObject &parent, const char *name) {
    QTest::mouseClick(child<QAbstractButton>(parent, name), Qt::LeftButton);
}
