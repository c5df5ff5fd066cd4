#include "ByteStatusForm.h"

#include "Hub.h"
#include "Lamps.h"
#include "ui_ByteStatusForm.h"

#include <QTimer>

TByteStatusForm_::TByteStatusForm_(Hub &h, QWidget *parent)
    : QDialog(parent), ui(new Ui::TByteStatusForm_), hub(h) {
    ui->setupUi(this);
    ui->R->setPixmap(signalLamp(Lamp::Red));
    ui->PR->setPixmap(signalLamp(Lamp::Red));
    ui->G->setPixmap(signalLamp(Lamp::Green));
    ui->PG->setPixmap(signalLamp(Lamp::Green));
    ui->B->setPixmap(signalLamp(Lamp::Yellow));
    ui->PB->setPixmap(signalLamp(Lamp::Yellow));
    for (QLabel *lamp : {ui->R, ui->G, ui->B, ui->PR, ui->PG, ui->PB})
        lamp->setFixedSize(32, 32);
    for (QLabel *word :
         {ui->HighVoltUnitStat_label, ui->UnitOnOff_label, ui->Head_label, ui->Mark_label})
        word->setMinimumWidth(word->fontMetrics().horizontalAdvance(QStringLiteral("Destroy")) + 8);
    // The groups keep their size with no lamp lit.
    ui->GroupBox1->setMinimumSize(ui->GroupBox1->sizeHint());
    ui->GroupBox2->setMinimumSize(ui->GroupBox2->sizeHint());
}

TByteStatusForm_::~TByteStatusForm_() {
    delete ui;
}

void TByteStatusForm_::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, &TByteStatusForm_::FormActivate);
}

void TByteStatusForm_::FormActivate() {
    quint8 status = 0;
    if (hub.fn().ReadByteStatus(status)) {
        showStatus(status);
    } else {
        // Lamps and words from a byte the printer never sent would mislead: show none.
        showStatus(std::nullopt);
        hub.messages().error(this, QStringLiteral("ByteStatus Read Error"));
    }
}

void TByteStatusForm_::showStatus(std::optional<quint8> status) {
    for (QLabel *lamp : {ui->R, ui->G, ui->B, ui->PR, ui->PG, ui->PB})
        lamp->hide();
    if (!status) {
        for (QLabel *word :
             {ui->HighVoltUnitStat_label, ui->UnitOnOff_label, ui->Head_label, ui->Mark_label})
            word->clear();
        return;
    }
    const quint8 s = *status;
    // 11 yellow, 10 red, 01 green, 00 none.
    QLabel *const fase[] = {nullptr, ui->G, ui->R, ui->B};
    QLabel *const process[] = {nullptr, ui->PG, ui->PR, ui->PB};
    if (QLabel *lamp = fase[(s >> 6) & 3])
        lamp->show();
    if (QLabel *lamp = process[(s >> 4) & 3])
        lamp->show();
    const auto word = [s](int bit, const char *set, const char *clear) {
        return QString::fromLatin1(s & (1 << bit) ? set : clear);
    };
    ui->HighVoltUnitStat_label->setText(word(3, "Ok", "Destroy"));
    ui->UnitOnOff_label->setText(word(2, "On", "Off"));
    ui->Head_label->setText(word(1, "Close", "Open"));
    ui->Mark_label->setText(word(0, "Yes", "No"));
}
