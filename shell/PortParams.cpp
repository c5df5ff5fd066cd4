#include "PortParams.h"

#include "Hub.h"
#include "ui_PortParams.h"

TPortForms::TPortForms(Hub &h, QWidget *parent) : QDialog(parent), ui(new Ui::TPortForms), hub(h) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, &TPortForms::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TPortForms::Button2Click);
}

TPortForms::~TPortForms() {
    delete ui;
}

void TPortForms::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    ui->ComPortNum->setEditText(hub.portName());
    ui->SpeedCB->setEditText(hub.baudName());
}

void TPortForms::Button1Click() {
    // Saved, and connected at once; a port that does not open says why, over the main window.
    const QString port = ui->ComPortNum->currentText(), baud = ui->SpeedCB->currentText();
    hide();
    if (!hub.choosePort(port, baud))
        hub.messages().error(parentWidget(), QStringLiteral("Port Initialization Error"),
                             hub.portState().causes.join(QLatin1Char('\n')));
}

void TPortForms::Button2Click() {
    hide();
}
