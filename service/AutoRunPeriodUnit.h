#pragma once
// The period of the printer's automatic run: shown from the state block with "A x L", written
// after the run is stopped, and read back.

#include <QDialog>

namespace Ui {
class TAutoRunPeriodForm;
}
class Hub;

class TAutoRunPeriodForm : public QDialog {
    Q_OBJECT

public:
    explicit TAutoRunPeriodForm(Hub &hub, QWidget *parent = nullptr);
    ~TAutoRunPeriodForm() override;

    void FormActivate();
    void BtWriteTextClick();
    void CancelBtnClick() { reject(); }

protected:
    void changeEvent(QEvent *event) override;

private:
    bool stopAutoRun();
    void readPeriod();

    Ui::TAutoRunPeriodForm *ui;
    Hub &hub;
};
