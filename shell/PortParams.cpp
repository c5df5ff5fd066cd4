#include "PortParams.h"

#include "DeviceSettings.h"
#include "KvorMain.h"
#include "ui_PortParams.h"

TPortForms::TPortForms(TAutoControl &m, QWidget *parent)
    : QDialog(parent), ui(new Ui::TPortForms), main(m) {
    ui->setupUi(this);
    ui->ComPortNum->setEditText(main.state().port.portName);
    ui->SpeedCB->setEditText(main.state().port.baudName);
    connect(ui->Button1, &QPushButton::clicked, this, &TPortForms::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TPortForms::Button2Click);
}

TPortForms::~TPortForms() {
    delete ui;
}

void TPortForms::Button1Click() {
    PortState &port = main.state().port;
    port.portName = ui->ComPortNum->currentText();
    port.baudName = ui->SpeedCB->currentText();
    DeviceSettings::savePortParams(main.settingsPath(), port.portName, port.baudName);
    hide();
    main.fn().Connect();
}

void TPortForms::Button2Click() {
    hide();
}
