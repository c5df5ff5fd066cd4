#include "PortParams.h"

#include "Hub.h"
#include "ui_PortParams.h"

TPortForms::TPortForms(Hub &h, QWidget *parent) : QDialog(parent), ui(new Ui::TPortForms), hub(h) {
    ui->setupUi(this);
    ui->ComPortNum->setEditText(hub.portName());
    ui->SpeedCB->setEditText(hub.baudName());
    connect(ui->Button1, &QPushButton::clicked, this, &TPortForms::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TPortForms::Button2Click);
}

TPortForms::~TPortForms() {
    delete ui;
}

void TPortForms::Button1Click() {
    // The connect's result is not shown here: the next command tells.
    const QString port = ui->ComPortNum->currentText(), baud = ui->SpeedCB->currentText();
    hide();
    hub.choosePort(port, baud);
}

void TPortForms::Button2Click() {
    hide();
}
