#include "Mark.h"

#include "FormUi.h"
#include "Hub.h"
#include "ui_Mark.h"

#include <QResizeEvent>

namespace {
constexpr int kZoom = MarkShare::kZoom;
} // namespace

TMarkForm::TMarkForm(Hub &h, QWidget *parent)
    : ActivatedDialog(h, parent,
                      Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(setUpUi<Ui::TMarkForm>(this)), hub(h) {
    ui->CancelBtn->hide();
    // The panel is as tall as its controls need; the scroll box keeps its designed height until
    // the first drawing.
    ui->Panel1->resize(ui->Panel1->width(),
                       qMax(ui->Panel1->height(), ui->Panel1->sizeHint().height()));
    fitTo(ui->ScrollBox1->height());
    connect(ui->GridsBox, &QCheckBox::clicked, this, &TMarkForm::GridsBoxClick);
    connect(ui->ReadBtn, &QPushButton::clicked, this, &TMarkForm::ReadBtnClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QWidget::close);
}

TMarkForm::~TMarkForm() {
    delete ui;
}

void TMarkForm::FormActivate() {
    if (hub.mark().redrawRequested) {
        drawMark();
        hub.mark().redrawRequested = false;
    }
    ui->ReadBtn->setFocus();
}

// The scroll box and the panel side by side, a dot's width from the edges; the window as tall as
// the taller of them. The operator may resize it: the scroll box takes what the panel leaves.
void TMarkForm::fitTo(int scrollBoxHeight) {
    const int panel = ui->Panel1->width();
    setMinimumSize(panel + 2 * kZoom + 16 * kZoom, ui->Panel1->height());
    resize(kZoom + ui->ScrollBox1->width() + kZoom + panel + kZoom,
           qMax(kZoom + scrollBoxHeight + kZoom, ui->Panel1->height()));
    layOut();
}

void TMarkForm::resizeEvent(QResizeEvent *event) {
    ActivatedDialog::resizeEvent(event);
    layOut();
}

void TMarkForm::layOut() {
    const int panel = ui->Panel1->width();
    ui->ScrollBox1->setGeometry(kZoom, kZoom, qMax(0, width() - panel - 3 * kZoom),
                                qMax(0, height() - 2 * kZoom));
    ui->Panel1->move(width() - panel - kZoom, 0);
}

void TMarkForm::drawMark() {
    const MarkImage &mark = hub.mark().image;
    move(0, 0);
    ui->Image1->move(kZoom, kZoom);
    ui->Image1->draw(mark, kZoom);
    // An empty mark: an empty picture, and the size says so.
    showValue(ui->SizeText, QStringLiteral("Size"),
              QStringLiteral("%1*%2").arg(mark.height).arg(mark.length));
    ui->GridsBox->setChecked(hub.mark().grid);
    ui->ReadBtn->setEnabled(true);
    if (mark.height == 0 && mark.length == 0)
        return;
    const QSize picture = ui->Image1->size();
    ui->ScrollBoxContents->resize(picture.width() + 2 * kZoom, picture.height() + 2 * kZoom);
    fitTo(picture.height() + 8 * kZoom);
    if (hub.mark().grid)
        ui->Image1->drawGrid();
}

void TMarkForm::GridsBoxClick(bool checked) {
    hub.mark().grid = checked;
    if (checked)
        ui->Image1->drawGrid();
    else
        hub.messages().information(this, QStringLiteral("Grid will be deleted after Mark redraw"));
}

void TMarkForm::ReadBtnClick() {
    // Once: the main window closes this view and reads again.
    ui->ReadBtn->setEnabled(false);
    emit readAsked();
    hub.postMessage(kCloseShowStamp);
}
