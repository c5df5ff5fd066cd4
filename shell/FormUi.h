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
