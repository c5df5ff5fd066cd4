#pragma once
// The print parameters: the thirteen values the printer reports, listed, and one stepped at a time
// on the printer, with the change undone on "Cancel".

#include "PrintParameters.h"

#include <QDialog>

namespace Ui {
class TParamsForm;
}
class Hub;

class TParamsForm : public QDialog {
    Q_OBJECT

public:
    explicit TParamsForm(Hub &hub, QWidget *parent = nullptr);
    ~TParamsForm() override;

    void FormActivate();
    void ReadAllParams();
    void OpenParamChange();
    void UndoParamChange();
    void LogoNumIncClick();
    void LogoNumDecClick();
    void Button2Click(); // "Ok" on the change page: keep the change
    void Button4Click(); // "Cancel" on the change page: undo it

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showListPage();
    quint8 code() const { return quint8(letter.isEmpty() ? 0 : letter.at(0).toLatin1()); }

    Ui::TParamsForm *ui;
    Hub &hub;
    QString letter;       // of the parameter being changed
    int startValue = 0;   // its value when the change began
    bool reading = false; // the list is being filled
};
