#include "AutoRunPeriodUnit.h"

#include "Activation.h"
#include "Fields.h"
#include "Hub.h"
#include "WireText.h"
#include "ui_AutoRunPeriodUnit.h"

TAutoRunPeriodForm::TAutoRunPeriodForm(Hub &h, QWidget *parent)
    : ActivatedDialog(h, parent), ui(new Ui::TAutoRunPeriodForm), hub(h) {
    ui->setupUi(this);
    connect(ui->BtWriteText, &QPushButton::clicked, this, &TAutoRunPeriodForm::BtWriteTextClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &TAutoRunPeriodForm::CancelBtnClick);
}

TAutoRunPeriodForm::~TAutoRunPeriodForm() {
    delete ui;
}

bool TAutoRunPeriodForm::stopAutoRun() {
    if (hub.autoRunStop(this, 1000))
        return true;
    hub.messages().error(this, QStringLiteral("AutoRun Stop Error"));
    return false;
}

void TAutoRunPeriodForm::readPeriod() {
    ui->MarkNum->clear();
    StateBlock block;
    // Both edits stay empty when the printer did not send the bytes they show.
    if (!hub.readStateBlock(block) || block.received < 13) {
        ui->AL->clear();
        hub.messages().error(this, QStringLiteral("AutoRunPeriod Read Error"));
        return;
    }
    ui->MarkNum->setText(QString::number(block.autoRunPeriod()));
    ui->AL->setText(QString::number(block.axl()));
}

void TAutoRunPeriodForm::FormActivate() {
    if (stopAutoRun())
        readPeriod();
}

void TAutoRunPeriodForm::BtWriteTextClick() {
    const QString text = trimBlanks(ui->MarkNum->text());
    bool isNumber = false;
    const int period = text.toInt(&isNumber);
    if (text.isEmpty() || !isNumber || period < 0 || period > 255) {
        refuseField(hub.messages(), ui->MarkNum, QStringLiteral("0 to 255 tenths of a second"));
        return;
    }
    if (!stopAutoRun())
        return;
    if (!hub.fn().SetAutoRunPeriod(QByteArray::number(period))) {
        hub.messages().error(this, QStringLiteral("Error"));
        return;
    }
    readPeriod();
    hub.messages().information(this, QStringLiteral("Ok"));
}
