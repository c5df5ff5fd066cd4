#pragma once
// The font dialog: sets the font of a cell without touching its text. Nothing is read from the
// printer; the dialog stays open after each "Ok".

#include <QDialog>

namespace Ui {
class TSetFontForm;
}
class Hub;

class TSetFontForm : public QDialog {
    Q_OBJECT

public:
    explicit TSetFontForm(Hub &hub, QWidget *parent = nullptr);
    ~TSetFontForm() override;

    void BtWriteTextClick(); // "Ok"

private:
    Ui::TSetFontForm *ui;
    Hub &hub;
};
