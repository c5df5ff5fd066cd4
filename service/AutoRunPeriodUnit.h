#pragma once
// The period of the printer's automatic run: shown from the state block with "A x L", written
// after the run is stopped, and read back.

#include "Activation.h"

namespace Ui {
class TAutoRunPeriodForm;
}
class Hub;

class TAutoRunPeriodForm : public ActivatedDialog {
    Q_OBJECT

public:
    explicit TAutoRunPeriodForm(Hub &hub, QWidget *parent = nullptr);
    ~TAutoRunPeriodForm() override;

    void FormActivate() override;
    void BtWriteTextClick();
    void CancelBtnClick() { reject(); }

private:
    bool stopAutoRun();
    void readPeriod();

    Ui::TAutoRunPeriodForm *ui;
    Hub &hub;
};
