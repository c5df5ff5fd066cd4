#include "SetPostDateUnit.h"

#include "Fields.h"
#include "FormUi.h"
#include "Hub.h"
#include "WireText.h"
#include "ui_SetPostDateUnit.h"

namespace {
bool isPostDate(CellKind kind) {
    return kind == CellKind::PostDate;
}

// Every read tells a logo by the fixed fonts 7 and 13. The first leaves the font field alone for
// a logo; the reads after a move show its font byte.
const CellRules kFirstRead{GraphicRule::FixedFonts, GraphicFont::Unchanged, isPostDate};
const CellRules kAfterMove{GraphicRule::FixedFonts, GraphicFont::FontByte, isPostDate};

constexpr int kDayDigits = 4;
} // namespace

TPostDateForm::TPostDateForm(Hub &h, QWidget *parent)
    : QDialog(parent), ui(setUpUi<Ui::TPostDateForm>(this)), hub(h),
      editor(h, this, editorWidgets(ui, ui->DateFormat),
             [this](Move) { editor.read(kAfterMove); }) {
    connect(ui->BtWriteText, &QPushButton::clicked, this, &TPostDateForm::BtWriteTextClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    whenFirstShown(this, [this] { FormCreate(); });
}

TPostDateForm::~TPostDateForm() {
    delete ui;
}

void TPostDateForm::FormCreate() {
    if (editor.read(kFirstRead))
        showDayCount();
}

void TPostDateForm::showDayCount() {
    StateBlock block;
    // Without both bytes of the count the field stays empty: "Ok" then asks for a count instead
    // of sending one the printer never reported.
    if (!hub.readStateBlock(block) || block.received < 3) {
        hub.messages().error(this, QStringLiteral("PostDate Read Error"));
        return;
    }
    ui->DayQuant->setText(QString::number(block.postDateDays()));
}

std::optional<QByteArray> TPostDateForm::dayCount() const {
    // Digits only: a sign would go out inside the four digits ("-5" as "00-5").
    const QString text = trimBlanks(ui->DayQuant->text());
    if (text.isEmpty() || text.size() > kDayDigits)
        return std::nullopt;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    return text.toLatin1().rightJustified(kDayDigits, '0');
}

void TPostDateForm::BtWriteTextClick() {
    if (!editor.mayOverwrite(QStringLiteral("PostDate")))
        return;
    const auto days = dayCount();
    if (!days) {
        refuseField(hub.messages(), ui->DayQuant, QStringLiteral("0 to 9999 days"));
        return;
    }
    if (ui->DateFormat->text().isEmpty()) {
        ui->DateFormat->setFocus();
        return;
    }
    const auto format = wireField(hub.messages(), this, ui->DateFormat);
    if (!format)
        return;
    if (!hub.fn().WritePostDateFragment(editor.row(), editor.column(), *days, *format)) {
        hub.messages().error(this, QStringLiteral("Post Date Set Error"));
        return;
    }
    hub.messages().information(this, QStringLiteral("Ok"));
    if (!hub.fn().SetFont(editor.font(), editor.row(), editor.column()))
        hub.messages().error(this, QStringLiteral("Font Set Error"));
}
