#include "Hydro.h"

#include "Hub.h"
#include "WireText.h"
#include "ui_Hydro.h"

THydroForm::THydroForm(Hub &h, QWidget *parent) : QDialog(parent), ui(new Ui::THydroForm), hub(h) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, &THydroForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &THydroForm::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &THydroForm::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &THydroForm::Button4Click);
}

THydroForm::~THydroForm() {
    delete ui;
}

// The caption is set before the command runs, so a failure leaves it standing.
void THydroForm::Button1Click() {
    ui->Button1->setText(QStringLiteral("not select"));
    if (hub.fn().KeyboardSelect())
        ui->Button1->setText(QStringLiteral("select"));
}

void THydroForm::Button2Click() {
    ui->Button2->setText(QStringLiteral("not free"));
    if (hub.fn().KeyboardOff())
        ui->Button2->setText(QStringLiteral("free"));
}

void THydroForm::Button3Click() {
    ui->Button3->setText(QStringLiteral("read not ok"));
    QByteArray status;
    const bool ok = hub.fn().ReadHydroStatus(status);
    ui->Edit1->setText(fromWire(status)); // what arrived, also after a failure
    if (ok)
        ui->Button3->setText(QStringLiteral("read ok"));
}

void THydroForm::Button4Click() {
    // The code in the wire code page; an empty Edit2 has no first character and shows none.
    const QString text = ui->Edit2->text();
    const QByteArray code = text.isEmpty() ? QByteArray() : toWire(text.left(1));
    ui->Edit3->setText(code.isEmpty() ? QString() : QString::number(quint8(code[0])));
}
