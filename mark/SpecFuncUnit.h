#pragma once
// The special functions: the expanding counter in one cell of the mark, and the number of marks
// printed as one group. Both live in the printer's script and go out in one transfer, so writing
// one of them sends the other again as the printer holds it. Made anew at each opening, beside
// the main window; every activation fills the fields from the script.

#include "Activation.h"

#include <optional>

namespace Ui {
class TSpecFuncForm;
}
class Hub;
class QLineEdit;

class TSpecFuncForm : public ActivatedDialog {
    Q_OBJECT

public:
    explicit TSpecFuncForm(Hub &hub, QWidget *parent = nullptr);
    ~TSpecFuncForm() override;

    void FormActivate() override;
    void BtWriteTextClick() { writeCounter(); } // "Ok" of "SpecExpandCounter"
    void Button3Click() { deleteCounter(); }    // "Delete Counter"
    void Button1Click() { writeGroup(); }       // "Ok" of "MarkGroupPrint"

private:
    struct Cell {
        int row = 0;
        int column = 0;
    };

    void writeCounter();
    void deleteCounter();
    void writeGroup();
    // The four counter values checked in turn (a 0 empties its field); false after a refusal.
    bool checkCounterValues();
    // The cell that FragmNum names; "FragmentNumber must be >11 " when it names none.
    std::optional<Cell> fragmentCell();
    // The script, or nothing after "Read Error".
    std::optional<QByteArray> readScript();
    void refuse(QLineEdit *field, const QString &allowed);

    Ui::TSpecFuncForm *ui;
    Hub &hub;
    // The fragment number of the cell the window was opened at, kept over the first fill.
    QString startFragment;
};
