#include "ClipBrdRead.h"

#include "BitmapFiles.h"

#include "Artwork.h"
#include "BandView.h"
#include "ClipboardFit.h"
#include "FormUi.h"
#include "Hub.h"
#include "ManyLogoNumSelectUnit.h"
#include "ui_ClipBrdRead.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

TClipBrdReadForm::TClipBrdReadForm(Hub &h, QWidget *parent)
    : QDialog(parent), ui(setUpUi<Ui::TClipBrdReadForm>(this)), hub(h),
      startDirectory(QDir::currentPath()), PopupMenu1(new QMenu(this)) {
    for (auto *button : {ui->ToolButton1, ui->ToolButton6, ui->ToolButton5, ui->ToolButton7})
        button->setIcon(toolIcon(button->text().at(0), button->toolTip()));

    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto entry = [this](const char *name, const char *caption,
                              void (TClipBrdReadForm::*handler)()) {
        QAction *action = PopupMenu1->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    Cut1 = entry("Cut1", "Cut", &TClipBrdReadForm::Cut1Click);
    Copy1 = entry("Copy1", "Copy", &TClipBrdReadForm::Copy1Click);
    Paste1 = entry("Paste1", "Paste", &TClipBrdReadForm::Paste1Click);
    Clear1 = entry("Clear1", "Clear", &TClipBrdReadForm::Clear1Click);
    SavetoFile1 = entry("SavetoFile1", "Save to File", &TClipBrdReadForm::SavetoFile1Click);
    PastefromFile1 =
        entry("PastefromFile1", "Paste from File", &TClipBrdReadForm::PastefromFile1Click);

    // The band: exactly its 32 rows high; the ruler follows its horizontal scroll.
    QScrollBar *across = ui->ScrollBox1->horizontalScrollBar();
    ui->ScrollBox1->setFixedHeight(LogoBand::kHeight * BandView::kCell +
                                   2 * ui->ScrollBox1->frameWidth() + across->sizeHint().height());
    ui->RulerLabels->setOrigin(ui->ScrollBox1->frameWidth());
    connect(across, &QScrollBar::valueChanged, ui->RulerLabels, &BandRuler::setOffset);
    ui->Image3->setBand(&picture);
    ui->Image3->installEventFilter(this);
    ui->CBScale->installEventFilter(this);

    connect(ui->ToolButton1, &QToolButton::clicked, this, &TClipBrdReadForm::ToolButton1Click);
    connect(ui->Button1, &QPushButton::clicked, this, &TClipBrdReadForm::Button1Click);
    connect(ui->ToolButton6, &QToolButton::clicked, this, &TClipBrdReadForm::ToolButton6Click);
    connect(ui->ToolButton5, &QToolButton::clicked, this, &TClipBrdReadForm::ToolButton5Click);
    connect(ui->ToolButton7, &QToolButton::clicked, this, &TClipBrdReadForm::ToolButton7Click);
    FormCreate();
}

TClipBrdReadForm::~TClipBrdReadForm() {
    delete ui;
}

bool TClipBrdReadForm::editMode() const {
    return ui->ToolButton6->isChecked();
}

void TClipBrdReadForm::FormCreate() {
    ui->CBScale->setCurrentIndex(
        std::clamp(hub.logo().textHeightIndex, 0, int(ui->CBScale->count()) - 1));
    ui->CBScale->setFocus();
    if (hub.logo().readAtStart)
        readClipboard();
    else
        showBand();
}

void TClipBrdReadForm::readClipboard() {
    picture.reset();
    const HeightFit fit =
        fitHeight(ClipboardPicture::fromClipboard(), ui->CBScale->currentText().toInt());
    if (fit.outcome == HeightFit::Outcome::NotSupported)
        hub.messages().error(this, QStringLiteral("Not Supported Clipboard Format"));
    if (fit.outcome != HeightFit::Outcome::Fitted)
        hub.messages().error(this, QStringLiteral("ClipBoardImage convert error"));
    else
        placeOnBand(fit, picture);
    showBand();
}

void TClipBrdReadForm::showBand() {
    if (!picture.hasPicture())
        ui->ToolButton6->setChecked(false);
    ui->Image3->bandChanged();
    ui->RulerLabels->setColumns(picture.shownColumns());
}

void TClipBrdReadForm::redraw() {
    ui->Image3->update();
}

// --- The tool bar and the height choice ---------------------------------------------------------

void TClipBrdReadForm::ToolButton1Click() {
    rereadClipboard(kScaledIndex);
}

void TClipBrdReadForm::Button1Click() {
    rereadClipboard(ui->CBScale->currentIndex());
}

void TClipBrdReadForm::rereadClipboard(int heightIndex) {
    // The main window makes the window anew, and the new one reads the clipboard.
    hub.logo().textHeightIndex = heightIndex;
    hub.postMessage(kReadClpBoard);
    close();
}

void TClipBrdReadForm::ToolButton6Click() {
    if (!picture.hasPicture()) {
        ui->ToolButton6->setChecked(false);
        return;
    }
    picture.dropSelection();
    drag = Drag::None;
    ui->Image3->setMouseTracking(editMode());
    ui->Image3->unsetCursor();
    redraw();
}

void TClipBrdReadForm::ToolButton5Click() {
    if (picture.widthValue() == 0)
        return;
    TSelectLogosNum logos(hub, picture, this);
    logos.exec();
}

void TClipBrdReadForm::ToolButton7Click() {
    if (picture.hasPicture())
        saveBitmap(picture.bandBitmap());
}

void TClipBrdReadForm::saveBitmap(const QImage &bitmap) {
    saveBitmapAs(hub, this, QStringLiteral("Save to File"), startDirectory,
                 [&bitmap](const QString &file) { return savePicture(bitmap, file, "BMP"); });
}

// --- The pop-up menu ----------------------------------------------------------------------------

void TClipBrdReadForm::PopupMenu1Popup(QPoint pos) {
    if (!editMode())
        return; // it offers nothing outside edit mode
    menuCell = BandView::cellAt(pos);
    const bool selection = picture.selection().has_value();
    for (QAction *entry : {Cut1, Copy1, Clear1, SavetoFile1})
        entry->setEnabled(selection);
    Paste1->setEnabled(picture.hasCopy());
    PastefromFile1->setEnabled(true);
    PopupMenu1->popup(ui->Image3->mapToGlobal(pos));
}

void TClipBrdReadForm::Cut1Click() {
    picture.cutSelection();
    redraw();
}

void TClipBrdReadForm::Copy1Click() {
    picture.copySelection();
}

void TClipBrdReadForm::Paste1Click() {
    picture.paste(menuCell);
    redraw();
}

void TClipBrdReadForm::Clear1Click() {
    picture.clearSelection();
    redraw();
}

void TClipBrdReadForm::SavetoFile1Click() {
    const auto selection = picture.selection();
    if (!selection)
        return;
    picture.copySelection(); // so that "Paste" can put it elsewhere
    saveBitmap(picture.areaBitmap(*selection));
}

void TClipBrdReadForm::PastefromFile1Click() {
    const QString name = hub.messages().openFileName(this, QStringLiteral("Paste from File"),
                                                     startDirectory, bitmapFilter());
    if (name.isEmpty())
        return;
    DotBand dots;
    switch (LoadPictureDots(name, dots)) {
    case PictureLoad::NotValid:
        hub.messages().information(this, QStringLiteral("Image is not valid..."));
        return;
    case PictureLoad::NotMonochrome:
        hub.messages().information(this, QStringLiteral("Image is not monochrome..."));
        return;
    case PictureLoad::Loaded:
        break;
    }
    picture.pasteDots(dots, menuCell);
    redraw();
}

// --- Mouse and keys -----------------------------------------------------------------------------

bool TClipBrdReadForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == ui->Image3) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            Image3MouseDown(static_cast<QMouseEvent *>(event));
            return true;
        case QEvent::MouseMove:
            Image3MouseMove(static_cast<QMouseEvent *>(event));
            return true;
        case QEvent::MouseButtonRelease:
            Image3MouseUp(static_cast<QMouseEvent *>(event));
            return true;
        case QEvent::ContextMenu:
            PopupMenu1Popup(static_cast<QContextMenuEvent *>(event)->pos());
            return true;
        default:
            break;
        }
    }
    if (watched == ui->CBScale && event->type() == QEvent::KeyPress &&
        CBScaleKeyDown(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TClipBrdReadForm::Image3MouseDown(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint cell = BandView::cellAt(event->position().toPoint());
    if (!editMode()) {
        picture.toggleDot(cell);
        redraw();
        return;
    }
    const auto &selection = picture.selection();
    if (selection && selection->contains(cell)) {
        drag = Drag::Move;
        anchor = cell;
        moveOrigin = refusedAt = selection->topLeft();
        picture.beginMove();
        return;
    }
    drag = Drag::Select;
    anchor = cell;
    picture.select(QRect(cell, cell));
    redraw();
}

void TClipBrdReadForm::Image3MouseMove(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    const QPoint cell = BandView::cellAt(pos);
    switch (drag) {
    case Drag::None:
        if (editMode()) {
            const auto &selection = picture.selection();
            ui->Image3->setCursor(selection && selection->contains(cell) ? Qt::SizeAllCursor
                                                                         : Qt::ArrowCursor);
        }
        return;
    case Drag::Select:
        scrollAtEdge(pos);
        picture.select(
            QRect(QPoint(std::min(anchor.x(), cell.x()), std::min(anchor.y(), cell.y())),
                  QPoint(std::max(anchor.x(), cell.x()), std::max(anchor.y(), cell.y()))));
        redraw();
        return;
    case Drag::Move: {
        const QPoint target = moveOrigin + (cell - anchor);
        switch (picture.moveSelectionTo(target)) {
        case LogoBand::Move::Moved:
            refusedAt = target;
            redraw();
            break;
        case LogoBand::Move::Refused:
            if (target != refusedAt)
                hub.messages().beep();
            refusedAt = target;
            break;
        case LogoBand::Move::Unchanged:
            break;
        }
        return;
    }
    }
}

void TClipBrdReadForm::Image3MouseUp(QMouseEvent *) {
    drag = Drag::None;
}

void TClipBrdReadForm::scrollAtEdge(QPoint pos) {
    // Dragging past the left or right edge of the view scrolls it by one cell.
    const QPoint inView = ui->Image3->mapTo(ui->ScrollBox1->viewport(), pos);
    QScrollBar *across = ui->ScrollBox1->horizontalScrollBar();
    if (inView.x() < 0)
        across->setValue(across->value() - BandView::kCell);
    else if (inView.x() >= ui->ScrollBox1->viewport()->width())
        across->setValue(across->value() + BandView::kCell);
}

bool TClipBrdReadForm::CBScaleKeyDown(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Delete:
        if (editMode())
            Clear1Click();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        picture.dropSelection();
        redraw();
        return true;
    case Qt::Key_Escape:
        if (editMode() && picture.undo())
            redraw();
        return true;
    default:
        return false;
    }
}

void TClipBrdReadForm::keyPressEvent(QKeyEvent *event) {
    // Escape takes back the last edit; it never closes the window with the band in it.
    if (event->key() == Qt::Key_Escape) {
        if (editMode() && picture.undo())
            redraw();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
