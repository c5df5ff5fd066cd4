#include "SetTimeUnit.h"

#include "Fields.h"
#include "FormUi.h"
#include "Hub.h"
#include "WireText.h"
#include "ui_SetTimeUnit.h"

#include <QDateTime>
#include <QScopedValueRollback>

namespace {
bool isTimeDate(CellKind kind) {
    return kind == CellKind::TimeDate;
}

// The first read tells a logo by the font count and leaves the font field alone for it; the
// reads after a move tell it by the fixed fonts 7 and 13, and show its font as 1 after a row move
// but as its font byte after a column move.
const CellRules kFirstRead{GraphicRule::FontCount, GraphicFont::Unchanged, isTimeDate};
const CellRules kAfterRowMove{GraphicRule::FixedFonts, GraphicFont::One, isTimeDate};
const CellRules kAfterColumnMove{GraphicRule::FixedFonts, GraphicFont::FontByte, isTimeDate};

// A packed BCD byte of the printer's clock as two decimal digits (59h is "59").
QString bcdText(quint8 byte) {
    return QStringLiteral("%1").arg((byte >> 4) * 10 + (byte & 0x0F), 2, 10, QLatin1Char('0'));
}

int bcdValue(quint8 byte) {
    return (byte >> 4) * 10 + (byte & 0x0F);
}

struct ClockField {
    QLineEdit *edit;
    int low, high;
};

qint64 nowMs(const Hub &hub) {
    return hub.clock() ? hub.clock()() : steadyClock();
}
} // namespace

TTimeForm::TTimeForm(Hub &h, QWidget *parent)
    : QDialog(parent), ui(setUpUi<Ui::TTimeForm>(this)), hub(h),
      editor(h, this, editorWidgets(ui, ui->DateFormat), [this](Move m) { readMovedCell(m); }) {
    connect(ui->BtWriteText, &QPushButton::clicked, this, &TTimeForm::BtWriteTextClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->SetSystemDateTime, &QCheckBox::toggled, this, &TTimeForm::SetSystemDateTimeClick);
    ticker.setObjectName(QStringLiteral("ClockTicker"));
    ticker.setInterval(1000);
    connect(&ticker, &QTimer::timeout, this, &TTimeForm::showRunningClock);
    // A clock field the operator edits keeps what is typed: the fields stop running.
    for (QLineEdit *field : {ui->EDay, ui->EMonth, ui->EYear, ui->EHour, ui->EMin, ui->ESec})
        connect(field, &QLineEdit::textChanged, this, [this] {
            if (!showingClock)
                stopClock();
        });
    whenFirstShown(this, [this] { FormCreate(); });
}

TTimeForm::~TTimeForm() {
    delete ui;
}

void TTimeForm::FormCreate() {
    if (!editor.read(kFirstRead))
        return;
    showPrinterClock();
    ui->SetSystemDateTime->setChecked(false);
}

void TTimeForm::readMovedCell(Move move) {
    editor.read(move == Move::Row ? kAfterRowMove : kAfterColumnMove);
}

void TTimeForm::showPrinterClock() {
    StateBlock block;
    // A block cut short of the clock bytes counts as no block: the fields stay empty rather
    // than show a clock the printer never sent.
    if (!hub.readStateBlock(block) || block.received < 10) {
        hub.messages().error(this, QStringLiteral("TimeParamsRead Error"));
        return;
    }
    const std::pair<QLineEdit *, quint8> fields[] = {
        {ui->EDay, block.day()},    {ui->EMonth, block.month()}, {ui->EYear, block.year()},
        {ui->EHour, block.hours()}, {ui->EMin, block.minutes()}, {ui->ESec, block.seconds()},
    };
    const QScopedValueRollback<bool> showing(showingClock, true);
    for (const auto &[edit, byte] : fields)
        edit->setText(bcdText(byte));
    // From here the fields run on; a clock the printer reports as no day and time stays as shown.
    const QDate date(2000 + bcdValue(block.year()), bcdValue(block.month()), bcdValue(block.day()));
    const QTime time(bcdValue(block.hours()) % 24, bcdValue(block.minutes()),
                     bcdValue(block.seconds()));
    printerClock = QDateTime(date, time, Qt::UTC).addDays(bcdValue(block.hours()) == 24 ? 1 : 0);
    readAtMs = nowMs(hub);
    if (printerClock.isValid())
        ticker.start();
}

void TTimeForm::showRunningClock() {
    if (!printerClock.isValid())
        return;
    const QDateTime now = printerClock.addMSecs(nowMs(hub) - readAtMs);
    const QString date = now.toString(QStringLiteral("ddMMyy"));
    const QString time = now.toString(QStringLiteral("hhmmss"));
    const std::pair<QLineEdit *, QString> fields[] = {
        {ui->EDay, date.mid(0, 2)},  {ui->EMonth, date.mid(2, 2)}, {ui->EYear, date.mid(4, 2)},
        {ui->EHour, time.mid(0, 2)}, {ui->EMin, time.mid(2, 2)},   {ui->ESec, time.mid(4, 2)},
    };
    const QScopedValueRollback<bool> showing(showingClock, true);
    for (const auto &[edit, text] : fields)
        edit->setText(text);
}

void TTimeForm::stopClock() {
    printerClock = QDateTime();
    ticker.stop();
}

void TTimeForm::SetSystemDateTimeClick(bool on) {
    if (!on)
        return;
    stopClock(); // the PC's clock from now on
    const QDateTime now = QDateTime::currentDateTime();
    const QString date = now.toString(QStringLiteral("ddMMyy"));
    const QString time = now.toString(QStringLiteral("hhmmss"));
    const std::pair<QLineEdit *, QString> fields[] = {
        {ui->EDay, date.mid(0, 2)},  {ui->EMonth, date.mid(2, 2)}, {ui->EYear, date.mid(4, 2)},
        {ui->EHour, time.mid(0, 2)}, {ui->EMin, time.mid(2, 2)},   {ui->ESec, time.mid(4, 2)},
    };
    for (const auto &[edit, text] : fields)
        edit->setText(text);
}

void TTimeForm::BtWriteTextClick() {
    if (!editor.mayOverwrite(QStringLiteral("DateTimeFormat")))
        return;
    if (ui->SetSystemDateTime->isChecked())
        setClockFromPc();
    else
        writeFragmentAndClock();
}

void TTimeForm::setClockFromPc() {
    if (!hub.messages().confirm(this, QStringLiteral("System DateTime insert only. Continue?")))
        return;
    // One reading of the PC's clock for both, so that midnight cannot fall between them.
    const QDateTime now = QDateTime::currentDateTime();
    if (setTime(now.toString(QStringLiteral("hhmmss")).toLatin1()) &&
        setDate(now.toString(QStringLiteral("ddMMyy")).toLatin1()))
        hub.messages().information(this, QStringLiteral("Ok"));
}

void TTimeForm::writeFragmentAndClock() {
    if (ui->DateFormat->text().isEmpty()) {
        ui->DateFormat->setFocus();
        return;
    }
    const auto format = wireField(hub.messages(), this, ui->DateFormat);
    if (!format)
        return;
    if (!hub.fn().WriteTimeDateFragment(editor.row(), editor.column(), *format)) {
        hub.messages().error(this, QStringLiteral("Time Format Set Error"));
        return;
    }
    showRunningClock(); // the clock as it stands now, while it still follows the printer's
    const auto clock = typedClock();
    if (!clock || !setDate(clock->date) || !setTime(clock->time))
        return;
    if (hub.fn().SetFont(editor.font(), editor.row(), editor.column()))
        hub.messages().information(this, QStringLiteral("Ok"));
    else
        hub.messages().error(this, QStringLiteral("Font Set Error"));
}

std::optional<TTimeForm::TypedClock> TTimeForm::typedClock() {
    // The hour may be 24.
    const ClockField fields[] = {
        {ui->EDay, 1, 31},  {ui->EMonth, 1, 12}, {ui->EYear, 0, 99},
        {ui->EHour, 0, 24}, {ui->EMin, 0, 59},   {ui->ESec, 0, 59},
    };
    QByteArray digits;
    for (const auto &[edit, low, high] : fields) {
        bool isNumber = false;
        const int value = trimBlanks(edit->text()).toInt(&isNumber, 10);
        if (!isNumber || value < low || value > high) {
            refuseField(hub.messages(), edit, QStringLiteral("%1 to %2").arg(low).arg(high));
            return std::nullopt;
        }
        // The number checked is the number sent: "7" goes out as "07", and "007" as "07" too.
        digits += QByteArray::number(value).rightJustified(2, '0');
    }
    // A day that no month has (31.02, 29.02 of a year without it) is refused as the day field.
    const int year = 2000 + digits.mid(4, 2).toInt(), month = digits.mid(2, 2).toInt();
    if (!QDate(year, month, digits.left(2).toInt()).isValid()) {
        refuseField(
            hub.messages(), ui->EDay,
            QStringLiteral("1 to %1 in this month").arg(QDate(year, month, 1).daysInMonth()));
        return std::nullopt;
    }
    return TypedClock{digits.left(6), digits.mid(6)};
}

bool TTimeForm::setDate(const QByteArray &ddmmyy) {
    if (hub.fn().SetDate(ddmmyy))
        return true;
    hub.messages().error(this, QStringLiteral("Date Set Error"));
    return false;
}

bool TTimeForm::setTime(const QByteArray &hhmmss) {
    if (hub.fn().SetTime(hhmmss))
        return true;
    hub.messages().error(this, QStringLiteral("Time Set Error"));
    return false;
}
