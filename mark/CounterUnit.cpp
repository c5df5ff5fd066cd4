#include "CounterUnit.h"

#include "Fields.h"
#include "FormUi.h"
#include "Hub.h"
#include "WireText.h"
#include "ui_CounterUnit.h"

namespace {
// A logo is told by the font count and leaves the font field alone.
const CellRules kCounterRules{GraphicRule::FontCount, GraphicFont::Unchanged, isCounter};
} // namespace

TCounterForm::TCounterForm(Hub &h, QWidget *parent)
    : QDialog(parent), ui(setUpUi<Ui::TCounterForm>(this)), hub(h),
      editor(h, this, editorWidgets(ui, ui->DayQuant), [this](Move) { readCurrentCell(); }) {
    connect(ui->BtWriteText, &QPushButton::clicked, this, &TCounterForm::BtWriteTextClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    whenFirstShown(this, [this] { FormShow(); });
}

TCounterForm::~TCounterForm() {
    delete ui;
}

void TCounterForm::FormShow() {
    readCurrentCell();
}

void TCounterForm::readCurrentCell() {
    ui->BUp->setChecked(true);
    const auto shown = editor.read(kCounterRules);
    if (shown && shown->kind == CellKind::CounterDown)
        ui->BDown->setChecked(true);
}

void TCounterForm::BtWriteTextClick() {
    if (ui->DayQuant->text().isEmpty()) {
        ui->DayQuant->setFocus();
        return;
    }
    if (!editor.mayOverwrite(QStringLiteral("Counter")))
        return;
    const auto value = wireField(hub.messages(), this, ui->DayQuant);
    if (!value)
        return;
    const bool up = ui->BUp->isChecked();
    if (!(up ? hub.fn().RunningNumberForward() : hub.fn().RunningNumberBack())) {
        hub.messages().error(this, QStringLiteral("RunningNumberDirectionSet Error"));
        return;
    }
    if (hub.fn().WriteCounterFragment(editor.row(), editor.column(), *value)) {
        hub.messages().information(this, QStringLiteral("Ok"));
    } else {
        hub.messages().error(this, QStringLiteral("Counter Set Error"));
    }
    // The font goes out whatever became of the value.
    if (hub.fn().SetFont(editor.font(), editor.row(), editor.column()))
        ui->BUp->setChecked(true);
    else
        hub.messages().error(this, QStringLiteral("Font Set Error"));
}
