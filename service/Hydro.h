#pragma once
// The ink system: keyboard select and off, the 38-character status text, and a character-code
// row. Each button's caption tells the outcome of its last use.

#include <QDialog>

namespace Ui {
class THydroForm;
}
class Hub;

class THydroForm : public QDialog {
    Q_OBJECT

public:
    explicit THydroForm(Hub &hub, QWidget *parent = nullptr);
    ~THydroForm() override;

    void Button1Click(); // KeyboardSelect
    void Button2Click(); // KeyboardOff
    void Button3Click(); // ReadHydroStatus
    void Button4Click(); // the code of Edit2's first character

private:
    Ui::THydroForm *ui;
    Hub &hub;
};
