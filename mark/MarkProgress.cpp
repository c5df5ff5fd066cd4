#include "MarkProgress.h"

#include "FormUi.h"
#include "Hub.h"
#include "ui_MarkProgress.h"

TMarkProgreesForm::TMarkProgreesForm(Hub &h, QWidget *parent)
    : ActivatedDialog(h, parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(setUpUi<Ui::TMarkProgreesForm>(this)), hub(h) {
    setModal(true);
    setFixedSize(sizeHint());
    connect(ui->CancelBtn, &QPushButton::clicked, this, &TMarkProgreesForm::CancelBtnClick);
}

TMarkProgreesForm::~TMarkProgreesForm() {
    delete ui;
}

void TMarkProgreesForm::FormActivate() {
    // An activation while the read runs (its repaints let events through) starts nothing.
    if (hub.mark().readRequested && !reading)
        readMark();
}

void TMarkProgreesForm::CancelBtnClick() {
    if (reading)
        cancelAsked = true;
    else
        close();
}

void TMarkProgreesForm::reject() {
    if (reading)
        cancelAsked = true;
    else
        ActivatedDialog::reject();
}

bool TMarkProgreesForm::onProgress(int position) {
    ui->ProgressBar1->setValue(position);
    hub.letEventsThrough();
    return !cancelAsked;
}

void TMarkProgreesForm::readMark() {
    MarkShare &mark = hub.mark();
    reading = true;
    cancelAsked = false;
    mark.valid = false;
    hub.letEventsThrough();
    const bool read = !cancelAsked && hub.fn().ReadMarkImage(mark.image, [this](int position) {
        return onProgress(position);
    });
    reading = false;
    if (read) {
        mark.valid = true;
    } else {
        hub.messages().error(this, QStringLiteral("Mark Read Error"));
        close();
    }
    if (mark.valid && mark.image.height == 0 && mark.image.length == 0) {
        hub.messages().information(this, QStringLiteral("Mark is Clear"));
        close();
    }
    mark.readRequested = false;
    hub.postMessage(kShowStamp);
}
