#include "SetFontUnit.h"

#include "Cell.h"
#include "FormUi.h"
#include "Hub.h"
#include "ui_SetFontUnit.h"

TSetFontForm::TSetFontForm(Hub &h, QWidget *parent)
    : QDialog(parent), ui(setUpUi<Ui::TSetFontForm>(this)), hub(h) {
    // This dialog's row reaches 0, which it sends unchanged; its fonts run to 9.
    bindArrows(ui->LogoNumInc, ui->LogoNumDec, ui->RowStr, 0, [] { return kMarkRows; });
    bindArrows(ui->BitBtn1, ui->BitBtn2, ui->ColStr, 1, [] { return kMarkColumns; });
    bindArrows(ui->BitBtn3, ui->BitBtn4, ui->EFontSize, 0, [] { return 9; });
    connect(ui->BtWriteText, &QPushButton::clicked, this, &TSetFontForm::BtWriteTextClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TSetFontForm::~TSetFontForm() {
    delete ui;
}

void TSetFontForm::BtWriteTextClick() {
    if (hub.fn().SetFont(fieldNumber(ui->EFontSize), fieldNumber(ui->RowStr),
                         fieldNumber(ui->ColStr)))
        hub.messages().information(this, QStringLiteral("Ok"));
    else
        hub.messages().error(this, QStringLiteral("Font Set Error"));
}
