#include "LogoViewProgress.h"

#include "FormUi.h"
#include "Hub.h"
#include "ui_LogoViewProgress.h"

#include <QScopedValueRollback>

TLogoViewForm::TLogoViewForm(Hub &h, QWidget *parent)
    : ActivatedDialog(h, parent), ui(setUpUi<Ui::TLogoViewForm>(this)), hub(h) {
    setModal(true);
    hub.logo().entries.clear(); // every reading starts a new list
}

TLogoViewForm::~TLogoViewForm() {
    delete ui;
}

void TLogoViewForm::FormActivate() {
    // The repaints while the list fills let activations through: they start nothing.
    if (!filling)
        fillEntries();
}

void TLogoViewForm::fillEntries() {
    const QScopedValueRollback<bool> busy(filling, true);
    hub.letEventsThrough();
    const LogoNames &names = hub.logoNames();
    ui->ProgressBar1->setRange(0, qMax(0, names.count));
    ui->ProgressBar1->setValue(0);
    if (!hub.fn().Connect())
        return;
    for (int i = 0; i < names.count; ++i) {
        const int slot = LogoNumberAt(names, i);
        if (slot == -1)
            continue;
        hub.logo().entries.push_back(slot);
        ui->ProgressBar1->setValue(ui->ProgressBar1->value() + 1);
        hub.letEventsThrough();
    }
    hide();
    hub.postMessage(kLogoViewDone);
    close();
}
