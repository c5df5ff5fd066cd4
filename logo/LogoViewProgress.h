#pragma once
// The logos list's reading progress: made for every opening of the logos list, it starts a new
// entry list in the hub's logo share and, when it becomes active, fills it with the slot of every
// record of the names list last read, moving its bar. It then asks the main window, through the
// logo-view-done message, to show the logos list, and closes. A printer that does not answer
// leaves it open with nothing filled.

#include "Activation.h"
#include "Hub.h"

namespace Ui {
class TLogoViewForm;
}
class Hub;

// Posted once every logo of the list is taken: the logos list to be shown.
inline constexpr WindowMessage kLogoViewDone{"LogoViewDone"};

class TLogoViewForm : public ActivatedDialog {
    Q_OBJECT

public:
    explicit TLogoViewForm(Hub &hub, QWidget *parent = nullptr);
    ~TLogoViewForm() override;

    void FormActivate() override;

private:
    void fillEntries();

    Ui::TLogoViewForm *ui;
    Hub &hub;
    bool filling = false;
};
