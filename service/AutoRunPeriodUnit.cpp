#include "AutoRunPeriodUnit.h"

#include "Activation.h"
#include "KvorMain.h"
#include "WireText.h"
#include "ui_AutoRunPeriodUnit.h"

TAutoRunPeriodForm::TAutoRunPeriodForm(TAutoControl &m, QWidget *parent)
    : QDialog(parent), ui(new Ui::TAutoRunPeriodForm), main(m) {
    ui->setupUi(this);
    connect(ui->BtWriteText, &QPushButton::clicked, this, &TAutoRunPeriodForm::BtWriteTextClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &TAutoRunPeriodForm::CancelBtnClick);
}

TAutoRunPeriodForm::~TAutoRunPeriodForm() {
    delete ui;
}

void TAutoRunPeriodForm::changeEvent(QEvent *event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isOwnActivation(this))
        FormActivate();
}

bool TAutoRunPeriodForm::stopAutoRun() {
    if (main.autoRunStop(1000))
        return true;
    main.messages().error(QStringLiteral("AutoRun Stop Error"));
    return false;
}

void TAutoRunPeriodForm::readPeriod() {
    ui->MarkNum->clear();
    StateBlock block;
    // Both edits stay empty when the printer did not send the bytes they show.
    if (!main.readStateBlock(block) || block.received < 13) {
        ui->AL->clear();
        main.messages().error(QStringLiteral("AutoRunPeriod Read Error"));
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
        main.messages().beep();
        ui->MarkNum->setFocus();
        return;
    }
    if (!stopAutoRun())
        return;
    if (!main.fn().SetAutoRunPeriod(QByteArray::number(period))) {
        main.messages().error(QStringLiteral("Error"));
        return;
    }
    readPeriod();
    main.messages().information(QStringLiteral("Ok"));
}
