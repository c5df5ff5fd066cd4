#pragma once
// The mark store: stores the current mark in one of the printer's 64 places, or brings a stored
// one back, as the main window's mode says. Made anew at each opening, beside the main window;
// every activation takes the mode afresh and empties the place number.

#include "Activation.h"

namespace Ui {
class TMarkNotCusrrent;
}
class Hub;

class TMarkNotCusrrent : public ActivatedDialog {
    Q_OBJECT

public:
    static constexpr int kPlaces = 64;

    explicit TMarkNotCusrrent(Hub &hub, QWidget *parent = nullptr);
    ~TMarkNotCusrrent() override;

    void FormActivate() override;
    void BtWriteTextClick(); // "Ok"

private:
    void takeMode(); // the main window's mode, and its caption

    Ui::TMarkNotCusrrent *ui;
    Hub &hub;
    int mode = 0; // as the group's caption shows it: 0 read, 1 restore, 2 store
};
