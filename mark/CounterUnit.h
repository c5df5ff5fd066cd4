#pragma once
// The counter dialog: writes a counter fragment (a running number the printer counts up or down
// from the typed value) into a cell of the mark. Modeless beside the main window, made anew at
// every opening; it reads cell 1,1 as it first shows, and each cell an arrow moves to.

#include "FragmentEditor.h"

#include <QDialog>

namespace Ui {
class TCounterForm;
}
class Hub;

class TCounterForm : public QDialog {
    Q_OBJECT

public:
    explicit TCounterForm(Hub &hub, QWidget *parent = nullptr);
    ~TCounterForm() override;

    void FormShow();         // reads the current cell
    void BtWriteTextClick(); // "Ok"

private:
    void readCurrentCell();

    Ui::TCounterForm *ui;
    Hub &hub;
    FragmentEditor editor;
};
