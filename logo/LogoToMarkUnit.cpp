#include "LogoToMarkUnit.h"

#include "BitmapFiles.h"

#include "Cell.h"
#include "Fields.h"
#include "FormUi.h"
#include "FragmentEditor.h"
#include "Hub.h"
#include "LogoPicture.h"
#include "NameFilter.h"
#include "WireText.h"
#include "ui_LogoToMarkUnit.h"

#include <QDir>
#include <QFileInfo>

namespace {
std::optional<int> integerIn(const QLineEdit *field) {
    bool ok = false;
    const int value = field->text().trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// A logo deleted by this program is one blank column of 4 bytes: nothing to save.
} // namespace

bool TLogoToMarkForm::openFor(Hub &hub, QWidget *over, int slot) {
    LogoShare &logo = hub.logo();
    // The window redraws itself in place when it moves to another slot, so it never asks the
    // main window to reopen it.
    logo.previewNumber = slot;
    logo.nameNumber = slot;
    if (!hub.fn().ReadLogoPreview(slot, logo.image)) {
        hub.messages().error(over, QStringLiteral("Logo Read Error"));
        return false;
    }
    TLogoToMarkForm form(hub, over);
    form.exec();
    return true;
}

TLogoToMarkForm::TLogoToMarkForm(Hub &h, QWidget *parent)
    : QDialog(parent), ui(setUpUi<Ui::TLogoToMarkForm>(this)), hub(h) {
    bindNameFilter(ui->Edit1, kLowestName);
    keepRoomWhenHidden(ui->Ch_);
    // The row field is ColStr and the column field RowStr_, as the window has always named them.
    bindArrows(
        ui->BitBtn3, ui->BitBtn5, ui->ColStr, 1, [] { return kMarkRows; },
        [this] {
            hub.logo().row = fieldNumber(ui->ColStr);
            showCell();
        });
    bindArrows(
        ui->BitBtn2, ui->BitBtn4, ui->RowStr_, 1, [] { return kMarkColumns; },
        [this] {
            hub.logo().column = fieldNumber(ui->RowStr_);
            showCell();
        });
    connect(ui->Button7, &QPushButton::clicked, this, &TLogoToMarkForm::Button7Click);
    connect(ui->LogoNumInc, &QToolButton::clicked, this, &TLogoToMarkForm::LogoNumIncClick);
    connect(ui->LogoNumDec, &QToolButton::clicked, this, &TLogoToMarkForm::LogoNumDecClick);
    connect(ui->OKBtn, &QPushButton::clicked, this, &TLogoToMarkForm::OKBtnClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->BtRename, &QPushButton::clicked, this, &TLogoToMarkForm::BtRenameClick);
    connect(ui->Button1, &QPushButton::clicked, this, &TLogoToMarkForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TLogoToMarkForm::Button2Click);
    connect(ui->Ch_, &QCheckBox::clicked, this, &TLogoToMarkForm::Ch_Click);
    whenFirstShown(this, [this] { FormShow(); });
}

TLogoToMarkForm::~TLogoToMarkForm() {
    delete ui;
}

// --- Showing ------------------------------------------------------------------------------------

void TLogoToMarkForm::FormShow() {
    const LogoShare &logo = hub.logo();
    showLogo();
    setSlotControlsEnabled(true);
    ui->Fragtext->clear();
    ui->RowStr_->setText(QString::number(logo.column));
    ui->ColStr->setText(QString::number(logo.row));
    showCell();
}

void TLogoToMarkForm::showLogo() {
    const LogoShare &logo = hub.logo();
    ui->Edit1->clear();
    ui->RowStr->setText(QString::number(logo.previewNumber));
    ui->Image1->showLogo(logo.image, DotOrder::Wire, logo.cell);
    showValue(ui->Label1, QStringLiteral("Size"), logoSizeText(logo.image));
    if (logo.nameNumber >= 0 && logo.nameNumber <= kLastSlot) {
        hub.readLogoNames(); // a list that cannot be read shows no name
        ui->Edit1->setText(fromWire(LogoNameOf(hub.logoNames(), logo.nameNumber)));
    }
}

void TLogoToMarkForm::showCell() {
    ui->Fragtext->clear();
    const auto reply =
        readCell(hub, this, fieldNumber(ui->ColStr), fieldNumber(ui->RowStr_), kCellReadAttempts);
    // A graphic cell is replaced without asking: "Change" ticked and out of sight. Every other
    // cell, and one whose content is unknown (not read, or of no known kind), needs "Change".
    // An empty cell holds nothing to protect either.
    const CellKind kind =
        reply ? classify(*reply, hub.fontCount(), GraphicRule::FontCount) : CellKind::Other;
    const bool empty = reply && kind == CellKind::Text && reply->text.isEmpty();
    const bool free = kind == CellKind::Graphic || empty;
    ui->Ch_->setChecked(free);
    ui->Ch_->setHidden(free);
    ui->Fragtext->setEnabled(false);
    if (reply)
        ui->Fragtext->setText(empty ? QStringLiteral("Empty cell") : cellLabel(kind));
}

void TLogoToMarkForm::Ch_Click(bool ticked) {
    ui->Fragtext->setEnabled(ticked);
    if (ticked)
        ui->Fragtext->clear();
}

// --- Choosing a slot ----------------------------------------------------------------------------

void TLogoToMarkForm::Button7Click() {
    chooseSlot(Step::Typed);
}

void TLogoToMarkForm::LogoNumIncClick() {
    chooseSlot(Step::Up);
}

void TLogoToMarkForm::LogoNumDecClick() {
    chooseSlot(Step::Down);
}

void TLogoToMarkForm::setSlotControlsEnabled(bool on) {
    QWidget *const controls[] = {ui->FragNumPanel, ui->LogoNumInc, ui->LogoNumDec, ui->Button7};
    for (QWidget *control : controls)
        control->setEnabled(on);
}

void TLogoToMarkForm::chooseSlot(Step step) {
    const auto typed = integerIn(ui->RowStr);
    if (!typed) {
        hub.messages().beep();
        ui->RowStr->setFocus();
        return;
    }
    setSlotControlsEnabled(false);
    const int delta = step == Step::Up ? 1 : step == Step::Down ? -1 : 0;
    const int number = qBound(0, *typed + delta, kLastSlot);
    LogoShare &logo = hub.logo();
    logo.previewNumber = number;
    logo.nameNumber = number;
    const bool read = hub.fn().ReadLogoPreview(number, logo.image);
    if (!read) {
        hub.messages().error(this, QStringLiteral("Logo Read Error"));
    }
    // "Show" and the up arrow move on to the new slot whatever the read gave, showing what the
    // logo image then holds; the down arrow moves only after a good read.
    if (read || step != Step::Down)
        FormShow();
    else
        setSlotControlsEnabled(true);
}

// --- Paste, rename, clear, save -----------------------------------------------------------------

std::optional<int> TLogoToMarkForm::typedSlot() const {
    const auto slot = integerIn(ui->RowStr);
    if (slot && *slot >= 0 && *slot <= kLastSlot)
        return slot;
    return std::nullopt;
}

std::optional<int> TLogoToMarkForm::slotToUse() {
    const auto slot = typedSlot();
    if (!slot) {
        hub.messages().beep();
        hub.messages().information(this, QStringLiteral("Incorrect params value"));
    }
    return slot;
}

void TLogoToMarkForm::OKBtnClick() {
    if (!ui->Ch_->isHidden() && !ui->Ch_->isChecked()) {
        hub.messages().error(
            this, QStringLiteral("Select \"Change\" mode, if you want LogoToMark insert"));
        hub.messages().beep();
        return;
    }
    const auto row = integerIn(ui->ColStr);
    const auto column = integerIn(ui->RowStr_);
    if (!row || !column) {
        hub.messages().beep();
        hub.messages().information(this, QStringLiteral("Incorrect params value"));
        return;
    }
    const auto slot = slotToUse();
    if (!slot)
        return;
    if (hub.fn().PlaceLogo(*slot, *row, *column))
        hub.messages().information(this, QStringLiteral("Ok"));
    else
        hub.messages().error(this, QStringLiteral("Mark Load Error"));
}

void TLogoToMarkForm::BtRenameClick() {
    const auto slot = slotToUse();
    if (!slot)
        return;
    const auto name = wireField(hub.messages(), this, ui->Edit1);
    if (!name)
        return;
    if (hub.fn().RenameLogo(*slot, *name, hub.logo().image))
        hub.messages().information(this, QStringLiteral("Ok"));
    else
        hub.messages().error(this, QStringLiteral("Logo Rename Error"));
    // The list again, so that every later look-up finds the new name.
    if (!hub.readLogoNames()) {
        hub.forgetLogoNames();
        hub.messages().error(this, QStringLiteral("LogoNamesList Read Error"));
        reject();
    }
}

void TLogoToMarkForm::Button1Click() {
    const auto slot = slotToUse();
    if (!slot ||
        !hub.messages().confirmDestructive(this, QStringLiteral("Logo delete. Are You Sure?")))
        return;
    if (hub.fn().DeleteLogo(*slot, hub.logo().image)) {
        hub.messages().information(this, QStringLiteral("Ok"));
    } else {
        hub.messages().error(this, QStringLiteral("Logo Delete Error"));
    }
}

void TLogoToMarkForm::Button2Click() {
    const LogoImage &image = hub.logo().image;
    if (isDeletedShape(image))
        return;
    saveBitmapAs(hub, this, QStringLiteral("Save As"), QDir::currentPath(),
                 [&image](const QString &file) { return SaveLogoToBitmap(file, image); });
}
