#pragma once
// A form's designer widgets, made and laid out in the form's member initializers, so that members
// made after them (helpers bound to those widgets) can take them at once.
//
//     TForm::TForm(Hub &h, QWidget *parent)
//         : QDialog(parent), ui(setUpUi<Ui::TForm>(this)), fields(h, ui->Edit1, ...) {}

template <class Ui, class Form> Ui *setUpUi(Form *form) {
    auto *ui = new Ui;
    ui->setupUi(form);
    return ui;
}

#include <QLabel>

// A label that shows a value: its text is the value, and assistive tools read what the value is
// with it ("Size: 1*3"), as an operator reads the label's frame and the value together.
inline void showValue(QLabel *label, const QString &what, const QString &value) {
    label->setText(value);
    label->setAccessibleName(value.isEmpty() ? what : what + QStringLiteral(": ") + value);
}

// A widget that comes and goes ("Change") keeps its room while hidden, so nothing beside it moves
// under the operator's mouse (an arrow clicked twice would be missed the second time).
inline void keepRoomWhenHidden(QWidget *widget) {
    QSizePolicy keep = widget->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(keep);
}

#include <QScreen>

// Places a window beside another: to its right where the screen has room, else below it, else
// where it is.
inline void placeBeside(QWidget *window, const QWidget *beside) {
    const QRect other = beside->frameGeometry();
    const QRect room = beside->screen() ? beside->screen()->availableGeometry() : QRect();
    const QSize size = window->sizeHint();
    if (other.right() + 8 + size.width() <= room.right())
        window->move(other.right() + 8, other.top());
    else if (other.bottom() + 8 + size.height() <= room.bottom())
        window->move(other.left(), other.bottom() + 8);
}
