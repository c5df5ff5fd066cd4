#include "ManyLogoNumSelectUnit.h"

#include "Fields.h"
#include "FormUi.h"
#include "Hub.h"
#include "LogoBand.h"
#include "NameFilter.h"
#include "ui_ManyLogoNumSelectUnit.h"

#include <algorithm>

TSelectLogosNum::TSelectLogosNum(Hub &h, const LogoBand &b, QWidget *parent)
    : QDialog(parent), ui(setUpUi<Ui::TSelectLogosNum>(this)), hub(h),
      band(b), groups{{{ui->GB1, ui->CB1, ui->GB_1, ui->Col1, ui->Name1},
                       {ui->GB2, ui->CB2, ui->GB_2, ui->Col2, ui->Name2},
                       {ui->GB3, ui->CB3, ui->GB_3, ui->Col3, ui->Name3},
                       {ui->GB4, ui->CB4, ui->GB_4, ui->Col4, ui->Name4},
                       {ui->GB5, ui->CB5, ui->GB_5, ui->Col5, ui->Name5},
                       {ui->GB6, ui->CB6, ui->GB_6, ui->Col6, ui->Name6},
                       {ui->GB7, ui->CB7, ui->GB_7, ui->Col7, ui->Name7},
                       {ui->GB8, ui->CB8, ui->GB_8, ui->Col8, ui->Name8},
                       {ui->GB9, ui->CB9, ui->GB_9, ui->Col9, ui->Name9}}} {
    for (const Group &group : groups)
        bindNameFilter(group.name, kLowestName);
    connect(ui->OKBtn, &QPushButton::clicked, this, &TSelectLogosNum::OKBtnClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &TSelectLogosNum::CancelBtnClick);
    FormCreate();
}

TSelectLogosNum::~TSelectLogosNum() {
    delete ui;
}

void TSelectLogosNum::FormCreate() {
    ui->PB1->hide();
    ui->PB1->setRange(0, 0);
    ui->PB1->setValue(0);
    columns = band.widthValue() + 1;
    int slices = 0;
    for (int k = 0; k < kSlices; ++k) {
        const Group &group = groups[size_t(k)];
        const bool exists = columns > kSliceColumns * k;
        for (QWidget *w : std::initializer_list<QWidget *>{group.box, group.number, group.columnBox,
                                                           group.column, group.name})
            w->setEnabled(exists);
        if (exists) {
            for (int number = 32; number <= 255; ++number)
                group.number->addItem(QString::number(number));
            // Only the mark's own columns are offered: a ninth would place the logo nowhere.
            for (int column = 1; column <= kMarkColumns; ++column)
                group.column->addItem(QString::number(column));
            ++slices;
        }
        // Slice k goes to logo 32 + k at column k + 1 unless the operator chooses otherwise.
        group.number->setCurrentIndex(k < group.number->count() ? k : -1);
        group.column->setCurrentIndex(std::min(k, group.column->count() - 1));
    }
    ui->PB1->setMaximum(slices);
    ui->Name1->clear();
}

int TSelectLogosNum::sliceWidth(int slice) const {
    return std::min(kSliceColumns, columns - kSliceColumns * slice);
}

void TSelectLogosNum::OKBtnClick() {
    // Every slice's number, column and name may go before the first slice is written; one that
    // may not is said at its field, not blamed on the printer.
    for (const Group &group : groups) {
        if (!group.number->isEnabled())
            continue;
        bool numbered = false;
        const int number = group.number->currentText().trimmed().toInt(&numbered);
        if (!numbered || number < 0 || number > 255) {
            refuseField(hub.messages(), group.number, QStringLiteral("A logo number: 0 to 255"));
            return;
        }
        bool columned = false;
        const int column = group.column->currentText().trimmed().toInt(&columned);
        if (!columned || column < 1 || column > kMarkColumns) {
            refuseField(hub.messages(), group.column,
                        QStringLiteral("A column of the mark: 1 to 8"));
            return;
        }
        if (!wireField(hub.messages(), this, group.name))
            return;
    }
    if (writeSlices())
        hub.messages().information(this, QStringLiteral("Ok"));
    else
        hub.messages().error(this, QStringLiteral("Write Error"));
    ui->PB1->setValue(0);
}

bool TSelectLogosNum::writeSlices() {
    if (ui->PB1->maximum() > 1)
        ui->PB1->show();
    const auto wait = hub.longWait(this, QStringLiteral("Writing the logos…"), ui->PB1->maximum());
    for (int k = 0; k < kSlices; ++k) {
        const Group &group = groups[size_t(k)];
        if (!group.number->isEnabled())
            continue;
        if (!wait->carryOn(k))
            return false;
        if (k > 0)
            hub.fn().Pause(kPauseMs);
        bool numbered = false;
        const int number = group.number->currentText().toInt(&numbered);
        if (!numbered) {
            hub.messages().beep();
            group.number->setFocus();
            return false;
        }
        if (!WriteImageSlice(hub, this, band, number, kSliceColumns * k, group.name->text(),
                             LogoBand::kHeight, sliceWidth(k))) {
            hub.messages().beep();
            return false;
        }
        // The placement takes the number and the column as they stand now, each as one byte.
        bool placed = false, columned = false;
        const auto logo = quint8(group.number->currentText().toInt(&placed));
        const auto column = quint8(group.column->currentText().toInt(&columned));
        if (!placed || !columned) {
            hub.messages().beep();
            hub.messages().information(this, QStringLiteral("Incorrect params value"));
            return false;
        }
        hub.fn().Pause(kPauseMs);
        if (!hub.fn().PlaceLogo(logo, 1, column)) {
            hub.messages().beep();
            return false;
        }
        ui->PB1->setValue(ui->PB1->value() + 1);
    }
    return true;
}

void TSelectLogosNum::CancelBtnClick() {
    reject();
}
