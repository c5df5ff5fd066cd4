#include "SpecFuncUnit.h"

#include "Cell.h"
#include "Fields.h"
#include "FormUi.h"
#include "Hub.h"
#include "Script.h"
#include "WireText.h"
#include "ui_SpecFuncUnit.h"

namespace {
// A whole number written in decimal digits only: the printer's items hold digits, so a sign is
// no number here.
std::optional<qint64> wholeNumber(const QString &text) {
    if (text.isEmpty())
        return std::nullopt;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

QString trimmed(const QLineEdit *field) {
    return trimBlanks(field->text());
}

// What the counter's cell shows: the finish value, or the initial value when that has more
// digits. An empty value reaches the printer as zeros, so it counts as 0 here.
QByteArray displayText(const QString &initial, const QString &finish) {
    const QByteArray from = QByteArray::number(wholeNumber(initial).value_or(0));
    const QByteArray to = QByteArray::number(wholeNumber(finish).value_or(0));
    return from.size() > to.size() ? from : to;
}
} // namespace

TSpecFuncForm::TSpecFuncForm(Hub &h, QWidget *parent)
    : ActivatedDialog(h, parent), ui(setUpUi<Ui::TSpecFuncForm>(this)), hub(h) {
    bindArrows(ui->BitBtn3, ui->BitBtn1, ui->EFontSize, 0, [this] { return hub.fontCount() - 1; });
    connect(ui->BtWriteText, &QPushButton::clicked, this, &TSpecFuncForm::BtWriteTextClick);
    connect(ui->Button3, &QPushButton::clicked, this, &TSpecFuncForm::Button3Click);
    connect(ui->Button1, &QPushButton::clicked, this, &TSpecFuncForm::Button1Click);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    // Enter presses the "Ok" of the page in front.
    connect(ui->PageControl1, &QTabWidget::currentChanged, this,
            [this](int page) { (page == 0 ? ui->BtWriteText : ui->Button1)->setDefault(true); });
    // Opened at a cell: its fragment number, which the first fill from the script keeps.
    if (const auto start = std::exchange(hub.mark().startCell, std::nullopt)) {
        startFragment = QStringLiteral("%1%2").arg(start->first).arg(start->second);
        ui->FragmNum->setText(startFragment);
    }
}

TSpecFuncForm::~TSpecFuncForm() {
    delete ui;
}

void TSpecFuncForm::FormActivate() {
    QByteArray script;
    if (!hub.fn().ReadScript(script))
        return;
    const struct {
        char letter;
        int width;
        QLineEdit *field;
    } items[] = {{'Q', 2, ui->FragmNum}, {'N', 8, ui->InitValue}, {'E', 8, ui->FinishValue},
                 {'S', 4, ui->CounStep}, {'P', 4, ui->Discret},   {'G', 1, ui->MarkQuantaty}};
    for (const auto &item : items)
        if (const auto value = scriptValue(script, item.letter, item.width))
            item.field->setText(fromWire(*value));
    if (!startFragment.isEmpty())
        ui->FragmNum->setText(std::exchange(startFragment, QString()));
}

void TSpecFuncForm::refuse(QLineEdit *field, const QString &allowed) {
    refuseField(hub.messages(), field, allowed);
}

bool TSpecFuncForm::checkCounterValues() {
    const std::pair<QLineEdit *, int> values[] = {
        {ui->InitValue, 8}, {ui->FinishValue, 8}, {ui->CounStep, 4}, {ui->Discret, 4}};
    for (const auto &[field, width] : values) {
        const QString text = trimmed(field);
        if (text.isEmpty())
            continue;
        const QString allowed = QStringLiteral("A whole number of at most %1 digits").arg(width);
        const auto value = wholeNumber(text);
        if (!value) {
            refuse(field, allowed);
            return false;
        }
        if (*value == 0) {
            field->clear();
            continue;
        }
        if (text.size() > width) {
            refuse(field, allowed);
            return false;
        }
    }
    // A counter without a single value would send no counter at all, only its cell.
    for (const auto &[field, width] : values)
        if (!trimmed(field).isEmpty())
            return true;
    refuse(ui->InitValue, QStringLiteral("A counter needs at least one of its values"));
    return false;
}

std::optional<TSpecFuncForm::Cell> TSpecFuncForm::fragmentCell() {
    // Two digits, row then column; 11 is the first cell although the message says ">11".
    // The message is for a number that is no whole number; one too long or below 11 gets the
    // beep and the focus, as every other field.
    const QString text = trimmed(ui->FragmNum);
    const auto number = wholeNumber(text);
    if (!number) {
        hub.messages().error(this, QStringLiteral("FragmentNumber must be >11 "));
        ui->FragmNum->setFocus();
        return std::nullopt;
    }
    const int row = int(*number / 10), column = int(*number % 10);
    if (text.size() > 2 || row < 1 || row > kMarkRows || column < 1 || column > kMarkColumns) {
        refuse(ui->FragmNum, QStringLiteral("The counter's cell: row 1 to 4, then column 1 to 8 "
                                            "(11 to 48)"));
        return std::nullopt;
    }
    return Cell{row, column};
}

std::optional<QByteArray> TSpecFuncForm::readScript() {
    // Without the script the other special function could not be sent again: it would be lost.
    QByteArray script;
    if (!hub.fn().ReadScript(script)) {
        hub.messages().error(this, QStringLiteral("Read Error"));
        return std::nullopt;
    }
    return script;
}

void TSpecFuncForm::writeCounter() {
    if (!checkCounterValues())
        return;
    const auto cell = fragmentCell();
    if (!cell)
        return;
    const auto script = readScript();
    if (!script)
        return;
    const QByteArray group = scriptValue(*script, 'G', 1).value_or(QByteArray());

    Functions &fn = hub.fn();
    if (!fn.RunningNumberForward()) {
        hub.messages().error(this, QStringLiteral("RunningNumberDirectionSet Error"));
        return;
    }
    if (!fn.WriteCounterFragment(cell->row, cell->column,
                                 displayText(trimmed(ui->InitValue), trimmed(ui->FinishValue)))) {
        hub.messages().error(this, QStringLiteral("Counter Set Error"));
        return;
    }
    if (!fn.WriteSpecFunc(group, toWire(ui->InitValue->text()), toWire(ui->FinishValue->text()),
                          toWire(ui->CounStep->text()), toWire(ui->Discret->text()),
                          toWire(ui->FragmNum->text()))) {
        hub.messages().error(this, QStringLiteral("Write Error"));
        return;
    }
    if (fn.SetFont(fieldNumber(ui->EFontSize), cell->row, cell->column))
        hub.messages().information(this, QStringLiteral("Ok"));
    else
        hub.messages().error(this, QStringLiteral("Font Set Error"));
}

void TSpecFuncForm::deleteCounter() {
    // The cell is emptied afterwards: it must be a cell before anything is asked or sent.
    const auto cell = fragmentCell();
    if (!cell)
        return;
    if (!hub.messages().confirmDestructive(this, QStringLiteral("Are you sure?"),
                                           QStringLiteral("Question")))
        return;
    const auto script = readScript();
    if (!script)
        return;
    const QByteArray group = scriptValue(*script, 'G', 1).value_or(QByteArray());
    // Empty counter values leave only the group item, or no special function.
    if (!hub.fn().WriteSpecFunc(group, {}, {}, {}, {}, toWire(ui->FragmNum->text()))) {
        hub.messages().error(this, QStringLiteral("Write Error"));
        return;
    }
    if (hub.fn().WriteTextFragment(cell->row, cell->column, {}))
        hub.messages().information(this, QStringLiteral("Ok"));
    else
        hub.messages().error(this, QStringLiteral("TextFragmentDeleteError"));
}

void TSpecFuncForm::writeGroup() {
    const QString quantity = trimmed(ui->MarkQuantaty);
    if (!quantity.isEmpty()) {
        const auto value = wholeNumber(quantity);
        if (!value || *value > 8) {
            refuse(ui->MarkQuantaty, QStringLiteral("0 to 8"));
            return;
        }
    }
    const auto script = readScript();
    if (!script)
        return;
    // The counter the printer holds goes out again unchanged.
    const ScriptItems counter = counterOf(*script);
    if (hub.fn().WriteSpecFunc(toWire(quantity), counter.initial, counter.finish, counter.step,
                               counter.discrete, counter.fragment))
        hub.messages().information(this, QStringLiteral("Ok"));
    else
        hub.messages().error(this, QStringLiteral("Write Error"));
}
