#include "LogoReadWriteUnit.h"

#include "BitmapFiles.h"

#include "Artwork.h"
#include "Cell.h"
#include "Fields.h"
#include "FormUi.h"
#include "Hub.h"
#include "NameFilter.h"
#include "WireText.h"
#include "ui_LogoReadWriteUnit.h"

#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

namespace {
constexpr int kLastSlot = 255;
const QString kNotASlot = QStringLiteral("Fragment № must be a number from 0 to 255");

// What the number edit holds.
struct TypedSlot {
    enum Kind { Slot, NotNumber, AboveMaximum, Negative } kind;
    int number = 0;
};

TypedSlot typedSlot(const QString &text) {
    bool isNumber = false;
    const int number = text.trimmed().toInt(&isNumber);
    if (!isNumber)
        return {TypedSlot::NotNumber};
    if (number > kLastSlot)
        return {TypedSlot::AboveMaximum, number};
    return {number < 0 ? TypedSlot::Negative : TypedSlot::Slot, number};
}

// The name as the printer keeps it: its first 8 bytes, without the padding.
QString storedName(const QString &name) {
    return trimBlanks(fromWire(toWire(name).left(8)));
}

} // namespace

TLogoReadWriteForm::TLogoReadWriteForm(Hub &h, QWidget *parent)
    : QDialog(parent), ui(setUpUi<Ui::TLogoReadWriteForm>(this)), hub(h) {
    for (auto *button : {ui->ToolButton4, ui->ToolButton9, ui->BtSaveToFile, ui->ToolButton5})
        button->setIcon(toolIcon(button->text().at(0), button->toolTip()));
    ui->Image1->hide(); // nothing is drawn until a logo is loaded or read
    fitPicture();

    bindNameFilter(ui->Edit1, kLowestName);
    bindArrows(
        ui->UpDown1Up, ui->UpDown1Down, ui->RowStr, 0, [] { return kLastSlot; },
        [this] { UpDown1Click(); });

    connect(ui->ToolButton4, &QToolButton::clicked, this, &TLogoReadWriteForm::ToolButton4Click);
    connect(ui->ToolButton9, &QToolButton::clicked, this, &TLogoReadWriteForm::ToolButton9Click);
    connect(ui->BtSaveToFile, &QToolButton::clicked, this, &TLogoReadWriteForm::BtSaveToFileClick);
    connect(ui->DrawGrids_, &QCheckBox::clicked, this, &TLogoReadWriteForm::DrawGrids_Click);
    connect(ui->Button1, &QPushButton::clicked, this, &TLogoReadWriteForm::Button1Click);
    connect(ui->BtRename, &QPushButton::clicked, this, &TLogoReadWriteForm::BtRenameClick);
    connect(ui->OKBtn, &QPushButton::clicked, this, &TLogoReadWriteForm::OKBtnClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &TLogoReadWriteForm::CancelBtnClick);
}

TLogoReadWriteForm::~TLogoReadWriteForm() {
    delete ui;
}

LogoShare &TLogoReadWriteForm::logo() const {
    return hub.logo();
}

bool TLogoReadWriteForm::readMode() const {
    return logo().mode == LogoMode::Read;
}

DotOrder TLogoReadWriteForm::dotOrder() const {
    // A read leaves the dots as the printer sends them; a loaded picture is packed for the write.
    return readMode() ? DotOrder::Wire : DotOrder::File;
}

bool TLogoReadWriteForm::hasPicture() const {
    return !ui->Image1->isHidden() && logo().image.hasDots();
}

// --- Showing ------------------------------------------------------------------------------------

void TLogoReadWriteForm::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TLogoReadWriteForm::FormShow() {
    ui->Edit1->clear();
    ui->Edit1->setReadOnly(false);
    const bool read = readMode();
    for (QWidget *w : std::initializer_list<QWidget *>{ui->BtRename, ui->Button1, ui->BtSaveToFile})
        w->setVisible(read);
    ui->FragNumPanel->show();
    setWindowTitle(QStringLiteral("Logo"));
    if (read) {
        ui->OKBtn->setText(QStringLiteral("Read"));
    } else {
        ui->OKBtn->setText(QStringLiteral("Load"));
        loadPicture();
    }
    if (logo().gridShown)
        ui->DrawGrids_->setChecked(true);
}

void TLogoReadWriteForm::loadPicture() {
    LogoShare &share = logo();
    share.pictureLoaded = false;
    PictureKept kept;
    switch (LoadPictureToLogo(share.pictureFile, share.image, share.staging, nullptr, &kept)) {
    case PictureLoad::NotValid:
        hub.messages().information(this, QStringLiteral("Image is not valid..."));
        hub.postMessage(kImageNotLoadOK); // the main window closes this window
        return;
    case PictureLoad::NotMonochrome:
        hub.messages().information(this, QStringLiteral("Image is not monochrome..."));
        hub.postMessage(kImageNotLoadOK);
        return;
    case PictureLoad::Loaded:
        break;
    }
    share.pictureLoaded = true;
    drawLogo(false);
    if (kept.cut()) // nothing of the picture is left out without a word
        hub.messages().information(this, kept.note());
}

void TLogoReadWriteForm::drawLogo(bool withName) {
    const LogoImage &image = logo().image;
    ui->Image1->showLogo(image, dotOrder(), logo().cell);
    ui->Image1->setGrid(logo().gridShown);
    ui->Image1->show();
    fitPicture();
    showValue(ui->Label1, QStringLiteral("Size"), logoSizeText(image));
    if (withName && readMode())
        ui->Edit1->setText(image.name);
}

void TLogoReadWriteForm::fitPicture() {
    // The panel takes the whole picture while the screen has room for it beside the right-hand
    // panel and below the tool bar, and scrolls beyond; the window follows the panel.
    const QSize picture =
        ui->Image1->isHidden() ? QSize(32, 32) * LogoShare::kDefaultCell : ui->Image1->size();
    const QRect room = screen()->availableGeometry();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize most = QSize(room.width() * 9 / 10 - ui->RightPanel->sizeHint().width() - bar,
                             room.height() * 8 / 10 - ui->ToolBar1->sizeHint().height() - bar)
                           .expandedTo(QSize(200, 150));
    const int frame = 2 * ui->Panel1->frameWidth();
    const QSize whole = picture + QSize(frame, frame);
    const bool across = whole.width() > most.width(), down = whole.height() > most.height();
    ui->Panel1->setFixedSize(whole.boundedTo(most) + QSize(down ? bar : 0, across ? bar : 0));
}

// --- The number: "Load" / "Read" and the arrows -------------------------------------------------

void TLogoReadWriteForm::OKBtnClick() {
    const TypedSlot typed = typedSlot(ui->RowStr->text());
    switch (typed.kind) {
    case TypedSlot::NotNumber:
        hub.messages().beep();
        ui->RowStr->setFocus();
        return;
    case TypedSlot::AboveMaximum:
        hub.messages().error(this, QStringLiteral("Maximum Fragment №=255"));
        return;
    case TypedSlot::Negative:
        // A read asks for the number's low byte; a write never goes to a slot not typed.
        if (!readMode()) {
            hub.messages().error(this, kNotASlot);
            ui->RowStr->setFocus();
            return;
        }
        break;
    case TypedSlot::Slot:
        break;
    }
    if (readMode())
        readSlot(typed.number);
    else
        writeLoadedLogo(typed.number);
}

void TLogoReadWriteForm::UpDown1Click() {
    // In Load mode the arrows only choose the slot of the next "Load".
    if (!readMode())
        return;
    readSlot(fieldNumber(ui->RowStr));
}

void TLogoReadWriteForm::writeLoadedLogo(int number) {
    if (!logo().pictureLoaded)
        return; // the picture was refused: there is nothing of it to write
    const auto name = wireField(hub.messages(), this, ui->Edit1);
    if (!name)
        return;
    const LogoImage &image = logo().image;
    if (hub.fn().WriteLogoChecked(number, image.bytesPerColumn, image.columnCount, *name, image) !=
        LogoWrite::Failed) {
        hub.messages().information(this, QStringLiteral("Ok"));
        return;
    }
    hub.messages().error(this, QStringLiteral("Logo Load Error"));
}

void TLogoReadWriteForm::readSlot(int number) {
    LogoShare &share = logo();
    share.number = number;
    // Read into a copy: a failed read leaves the logo shown, and the image, as they were.
    LogoImage read = share.image;
    QByteArray name;
    bool done = false;
    {
        const auto wait = hub.longWait(this, QStringLiteral("Reading the logo…"), kReadAttempts);
        for (int i = 0; i < kReadAttempts && !done && wait->carryOn(i); ++i)
            done = hub.fn().ReadLogo(number, read, name);
    }
    if (!done) {
        hub.messages().error(this, QStringLiteral("Logo Read Error"));
        return;
    }
    read.name = trimBlanks(fromWire(name));
    read.number = number;
    share.image = read;
    drawLogo(true);
}

// --- Zoom and grid ------------------------------------------------------------------------------

void TLogoReadWriteForm::ToolButton4Click() {
    if (!hasPicture())
        return;
    if (logo().cell >= kMaxCell) {
        hub.messages().beep();
        return;
    }
    logo().cell *= 2;
    drawLogo(false);
}

void TLogoReadWriteForm::ToolButton9Click() {
    if (!hasPicture())
        return;
    if (logo().cell <= LogoShare::kDefaultCell) {
        hub.messages().beep();
        return;
    }
    logo().cell /= 2;
    drawLogo(false);
}

void TLogoReadWriteForm::DrawGrids_Click() {
    logo().gridShown = ui->DrawGrids_->isChecked();
    if (ui->Image1->isHidden())
        return; // the grid comes with the first picture
    ui->Image1->setGrid(logo().gridShown);
    fitPicture();
}

// --- The slot: "Clear", "Rename", save ----------------------------------------------------------

std::optional<int> TLogoReadWriteForm::writableSlot() {
    const TypedSlot typed = typedSlot(ui->RowStr->text());
    switch (typed.kind) {
    case TypedSlot::Slot:
        return typed.number;
    case TypedSlot::AboveMaximum:
        hub.messages().error(this, QStringLiteral("Maximum Fragment №=255"));
        break;
    case TypedSlot::NotNumber:
    case TypedSlot::Negative:
        hub.messages().error(this, kNotASlot);
        break;
    }
    ui->RowStr->setFocus();
    return std::nullopt;
}

void TLogoReadWriteForm::Button1Click() {
    const auto number = writableSlot();
    if (!number ||
        !hub.messages().confirmDestructive(this, QStringLiteral("Logo delete. Are You Sure?")))
        return;
    LogoImage deleted = logo().image;
    if (!hub.fn().DeleteLogo(*number, deleted)) {
        hub.messages().error(this, QStringLiteral("Logo Delete Error"));
        return;
    }
    deleted.name.clear();
    deleted.number = *number;
    logo().image = deleted;
    drawLogo(true);
    hub.messages().information(this, QStringLiteral("Ok"));
}

void TLogoReadWriteForm::BtRenameClick() {
    const auto number = writableSlot();
    if (!number)
        return;
    const QString name = ui->Edit1->text();
    const auto wire = wireField(hub.messages(), this, ui->Edit1);
    if (!wire)
        return;
    LogoImage renamed = logo().image;
    if (!hub.fn().RenameLogo(*number, *wire, renamed)) {
        hub.messages().error(this, QStringLiteral("Logo Rename Error"));
        return;
    }
    // The rename read the slot: the window shows it under its new name.
    renamed.name = storedName(name);
    renamed.number = *number;
    logo().image = renamed;
    drawLogo(true);
    hub.messages().information(this, QStringLiteral("Ok"));
}

void TLogoReadWriteForm::BtSaveToFileClick() {
    // A deleted logo (one blank column of 4 bytes) and a logo without dots are not saved.
    if (!hasPicture() || isDeletedShape(logo().image))
        return;
    saveBitmapAs(hub, this, QStringLiteral("SaveToFile"), QDir::currentPath(),
                 [this](const QString &file) { return SaveLogoToBitmap(file, logo().image); });
}

void TLogoReadWriteForm::CancelBtnClick() {
    reject();
}
