#include "NotCurrentMarkReadWriteUnit.h"

#include "Fields.h"
#include "FormUi.h"
#include "Hub.h"
#include "WireText.h"
#include "ui_NotCurrentMarkReadWriteUnit.h"

namespace {
QString modeName(int mode) {
    switch (mode) {
    case 1:
        return QStringLiteral("MarkReadFromStorage");
    case 2:
        return QStringLiteral("MarkWriteToStorage");
    default: // 0, the hidden read entry: the printer brings the place back, as in mode 1
        return QStringLiteral("MarkRead");
    }
}
} // namespace

TMarkNotCusrrent::TMarkNotCusrrent(Hub &h, QWidget *parent)
    : ActivatedDialog(h, parent), ui(setUpUi<Ui::TMarkNotCusrrent>(this)), hub(h) {
    connect(ui->BtWriteText, &QPushButton::clicked, this, &TMarkNotCusrrent::BtWriteTextClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    takeMode();
}

TMarkNotCusrrent::~TMarkNotCusrrent() {
    delete ui;
}

void TMarkNotCusrrent::takeMode() {
    // The mode is kept with its caption, so "Ok" does what the window says.
    mode = hub.storageMode();
    ui->GB->setTitle(modeName(mode));
}

void TMarkNotCusrrent::FormActivate() {
    ui->MarkNum->clear();
    takeMode();
}

void TMarkNotCusrrent::BtWriteTextClick() {
    bool isNumber = false;
    const int place = trimBlanks(ui->MarkNum->text()).toInt(&isNumber);
    if (!isNumber || place < 1 || place > kPlaces) {
        refuseField(hub.messages(), ui->MarkNum, QStringLiteral("1 to %1").arg(kPlaces));
        return;
    }
    // What the printer holds is replaced: the current mark by a restore, the place by a store.
    // Asked first, No the default, as before a mark is deleted.
    const QString question =
        mode == 2 ? QStringLiteral("Storing the current mark in place %1 replaces what the place "
                                   "holds. Are You Sure?")
                        .arg(place)
                  : QStringLiteral("Restoring place %1 replaces the current mark. Are You Sure?")
                        .arg(place);
    if (!hub.messages().confirmDestructive(this, question))
        return;
    if (hub.fn().MarkStorage(mode, place - 1))
        hub.messages().information(this, QStringLiteral("Ok"));
    else
        hub.messages().error(this, QStringLiteral("Error"));
}
