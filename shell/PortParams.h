#pragma once
// The port dialog: the port and the rate, saved to the settings file and connected at once.

#include <QDialog>

namespace Ui {
class TPortForms;
}
class Hub;

class TPortForms : public QDialog {
    Q_OBJECT

public:
    explicit TPortForms(Hub &hub, QWidget *parent = nullptr);
    ~TPortForms() override;

    void Button1Click(); // "Сохранить"
    void Button2Click(); // "Выйти"

protected:
    // Each showing starts from the port and rate in force, whoever chose them.
    void showEvent(QShowEvent *event) override;

private:
    Ui::TPortForms *ui;
    Hub &hub;
};
