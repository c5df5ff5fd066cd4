#include "ScriptReadUnit.h"

#include "FormUi.h"
#include "Hub.h"
#include "WireText.h"
#include "ui_ScriptReadUnit.h"

TScriptReadForm::TScriptReadForm(Hub &h, QWidget *parent)
    : ActivatedDialog(h, parent), ui(setUpUi<Ui::TScriptReadForm>(this)), hub(h) {
    connect(ui->BtWriteText, &QPushButton::clicked, this, &TScriptReadForm::BtWriteTextClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TScriptReadForm::~TScriptReadForm() {
    delete ui;
}

void TScriptReadForm::FormActivate() {
    if (!readScript())
        hub.messages().error(this, QStringLiteral("Read Error"));
}

bool TScriptReadForm::readScript() {
    QByteArray script;
    if (!hub.fn().ReadScript(script))
        return false;
    ui->FragText->setText(fromWire(script));
    return true;
}
