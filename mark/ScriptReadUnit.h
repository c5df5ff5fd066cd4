#pragma once
// Shows the printer's script as the printer returns it: read at every activation and again on
// "Read". Made anew at each opening, beside the main window.

#include "Activation.h"

namespace Ui {
class TScriptReadForm;
}
class Hub;

class TScriptReadForm : public ActivatedDialog {
    Q_OBJECT

public:
    explicit TScriptReadForm(Hub &hub, QWidget *parent = nullptr);
    ~TScriptReadForm() override;

    void FormActivate() override;
    void BtWriteTextClick() { readScript(); } // "Read": no message either way

private:
    // Shows the script; false, with the field unchanged, when the printer did not answer.
    bool readScript();

    Ui::TScriptReadForm *ui;
    Hub &hub;
};
