#include "NewTextFragmentInsertUnit_1.h"

#include "Activation.h"
#include "Fields.h"
#include "FormUi.h"
#include "Hub.h"
#include "WireText.h"
#include "ui_NewTextFragmentInsertUnit_1.h"

#include <QKeyEvent>

namespace {
// The text editor shows a text cell, and a cell of no known kind, as text with its font.
const CellRules kTextRules{GraphicRule::FontCount, GraphicFont::LastFont, [](CellKind kind) {
                               return kind == CellKind::Text || kind == CellKind::Other;
                           }};
} // namespace

TOKHelpRightDlg::TOKHelpRightDlg(Hub &h, QWidget *parent)
    : ActivatedDialog(h, parent), ui(setUpUi<Ui::TOKHelpRightDlg>(this)), hub(h),
      cell(h, ui->Fragtext, ui->Ch_, ui->EFontSize) {
    ui->Ch_->hide();
    const auto moved = [this] { readCurrentCell(); };
    const auto before = [this] { return offerToSave(); };
    bindArrows(
        ui->LogoNumInc, ui->LogoNumDec, ui->RowStr, 1, [] { return kMarkRows; }, moved, before);
    bindArrows(
        ui->BitBtn1, ui->BitBtn2, ui->ColStr, 1, [] { return kMarkColumns; }, moved, before);
    bindArrows(ui->BitBtn3, ui->BitBtn4, ui->EFontSize, 0, [this] { return hub.fontCount() - 1; });
    connect(ui->BtWriteText, &QPushButton::clicked, this, &TOKHelpRightDlg::BtWriteTextClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    ui->Fragtext->installEventFilter(this);
}

TOKHelpRightDlg::~TOKHelpRightDlg() {
    delete ui;
}

int TOKHelpRightDlg::row() const {
    return fieldNumber(ui->RowStr);
}

int TOKHelpRightDlg::column() const {
    return fieldNumber(ui->ColStr);
}

bool TOKHelpRightDlg::eventFilter(QObject *watched, QEvent *event) {
    // Typing past the limit beeps, and shows the limit at the field; the text is not cut.
    if (watched == ui->Fragtext && event->type() == QEvent::KeyRelease &&
        ui->Fragtext->text().size() > kMaxText)
        refuseField(hub.messages(), ui->Fragtext, QStringLiteral("At most 37 characters"));
    return ActivatedDialog::eventFilter(watched, event);
}

void TOKHelpRightDlg::startAt(int row, int column) {
    ui->RowStr->setText(QString::number(row));
    ui->ColStr->setText(QString::number(column));
    textLoaded = false;
}

void TOKHelpRightDlg::FormActivate() {
    ui->Coordinate->show();
    readCurrentCell();
    ui->BtWriteText->setFocus();
}

void TOKHelpRightDlg::readCurrentCell() {
    readOrWrite(Step::Read);
}

bool TOKHelpRightDlg::readOrWrite(Step step, const QByteArray &text) {
    if (row() > kMarkRows) {
        hub.messages().error(this, QStringLiteral("Maximum Row value=4"));
        return false;
    }
    if (column() > kMarkColumns) {
        hub.messages().error(this, QStringLiteral("Maximum Column value=8"));
        return false;
    }
    if (trimBlanks(text).size() >= kMaxText) {
        hub.messages().error(this, QStringLiteral("Maximum Fragment Length=37"));
        return false;
    }
    if (step == Step::Read) {
        // A failed read is said (and the connection indicator turns red); the program and its
        // windows, with whatever work they hold, stay open.
        if (!cell.read(this, row(), column(), kTextRules))
            return false;
        textLoaded = true;
        return true;
    }
    if (!hub.fn().WriteTextFragment(row(), column(), text)) {
        hub.messages().error(this, QStringLiteral("TextFragmentWrite Error"));
        return false;
    }
    hub.messages().information(this, QStringLiteral("Ok"));
    return true;
}

void TOKHelpRightDlg::BtWriteTextClick() {
    if (cell.changeBlocks()) {
        hub.messages().error(this,
                             QStringLiteral("Select \"Change\" mode, if you want Text insert"));
        hub.messages().beep();
        return;
    }
    if (ui->Fragtext->text().size() > kMaxText) {
        hub.messages().error(this, QStringLiteral("Fragment text length <=37 symbols"));
        hub.messages().beep();
        return;
    }
    const auto text = wireField(hub.messages(), this, ui->Fragtext);
    if (!text)
        return;
    // What was written is what the cell holds now: later edits are noticed like any other.
    if (readOrWrite(Step::Write, *text)) {
        cell.keepWritten(ui->Fragtext->text());
        textLoaded = true;
    }
    // The font goes out whatever became of the text.
    if (!hub.fn().SetFont(fieldNumber(ui->EFontSize), row(), column()))
        hub.messages().error(this, QStringLiteral("Font Set Error"));
}

bool TOKHelpRightDlg::offerToSave() {
    if (textLoaded && toWire(ui->Fragtext->text()) != toWire(cell.readText())) {
        if (hub.messages().confirm(this, QStringLiteral("Text was changed. Save?")))
            BtWriteTextClick();
        else
            textLoaded = false;
    }
    textLoaded = false;
    return true;
}
