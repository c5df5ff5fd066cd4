#include "ShowAllLogoListFormUnit.h"

#include "FormUi.h"
#include "Hub.h"
#include "LogoToMarkUnit.h"
#include "WireText.h"
#include "ui_ShowAllLogoListFormUnit.h"

namespace {
enum Column { Position, Slot, Name };
}

TShowAllLogoListForm::TShowAllLogoListForm(Hub &h, QWidget *parent)
    : QDialog(parent), ui(setUpUi<Ui::TShowAllLogoListForm>(this)), hub(h) {
    connect(ui->Button3, &QPushButton::clicked, this, &TShowAllLogoListForm::Button3Click);
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::close);
    connect(ui->ListView2, &QTreeWidget::itemDoubleClicked, this,
            &TShowAllLogoListForm::ListView2DblClick);
    fillRows();
}

TShowAllLogoListForm::~TShowAllLogoListForm() {
    delete ui;
}

void TShowAllLogoListForm::fillRows() {
    const auto &entries = hub.logo().entries;
    for (size_t i = 0; i < entries.size(); ++i) {
        const int slot = entries[i];
        auto *row = new QTreeWidgetItem(ui->ListView2);
        row->setText(Position, QString::number(i + 1));
        row->setText(Slot, QString::number(slot));
        row->setText(Name, fromWire(LogoNameOf(hub.logoNames(), slot)));
        row->setData(Slot, Qt::UserRole, slot);
    }
    for (int c = Position; c <= Name; ++c)
        ui->ListView2->resizeColumnToContents(c);
}

void TShowAllLogoListForm::Button3Click() {
    openChosen(ui->ListView2->currentItem());
}

void TShowAllLogoListForm::ListView2DblClick(QTreeWidgetItem *row) {
    openChosen(row);
}

void TShowAllLogoListForm::openChosen(const QTreeWidgetItem *row) {
    if (!row || !row->isSelected())
        return;
    TLogoToMarkForm::openFor(hub, this, row->data(Slot, Qt::UserRole).toInt());
}
