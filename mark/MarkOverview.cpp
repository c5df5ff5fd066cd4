#include "MarkOverview.h"

#include "Cell.h"
#include "FormUi.h"
#include "FragmentEditor.h"
#include "Hub.h"
#include "MarkCells.h"
#include "WireText.h"
#include "ui_MarkOverview.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QTime>

namespace {
// The three lines of a read cell: what it holds, its data, its font.
QStringList cellLines(const CellSummary &cell, const LogoNames &names) {
    QString data = cell.text;
    if (cell.logoSlot) {
        data = QStringLiteral("Logo %1").arg(*cell.logoSlot);
        const QString name = fromWire(LogoNameOf(names, *cell.logoSlot));
        if (!name.isEmpty())
            data += QLatin1Char(' ') + name;
    } else if (cell.kind == CellKind::CounterUp) {
        data += QStringLiteral(" (up)");
    } else if (cell.kind == CellKind::CounterDown) {
        data += QStringLiteral(" (down)");
    }
    const QString label =
        cell.kind == CellKind::Other ? QStringLiteral("Unknown fragment") : cellLabel(cell.kind);
    return {label, data, QStringLiteral("Font %1").arg(cell.font)};
}
} // namespace

TMarkOverviewForm::TMarkOverviewForm(Hub &h, QWidget *parent)
    : QDialog(parent), ui(setUpUi<Ui::TMarkOverviewForm>(this)), hub(h) {
    // Every row as high as the three lines of a cell, empty or not.
    ui->Cells->horizontalHeader()->setMinimumSectionSize(90);
    // The table's corner button selects every cell: named so, not left nameless.
    if (auto *corner = ui->Cells->findChild<QAbstractButton *>())
        corner->setAccessibleName(QStringLiteral("Select every cell"));
    ui->Cells->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui->Cells->verticalHeader()->setDefaultSectionSize(3 * ui->Cells->fontMetrics().lineSpacing() +
                                                       8);
    for (int i = 0; i < kMarkCells; ++i)
        showCell(i);
    ui->Cells->setCurrentCell(0, 0);
    connect(ui->BtRead, &QPushButton::clicked, this, &TMarkOverviewForm::BtReadClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->Cells, &QTableWidget::cellDoubleClicked, this, &TMarkOverviewForm::CellsDblClick);
    ui->Cells->installEventFilter(this);
    whenFirstShown(this, [this] { FormShow(); });
}

TMarkOverviewForm::~TMarkOverviewForm() {
    delete ui;
}

const std::optional<CellSummary> &TMarkOverviewForm::cell(int row, int column) const {
    return cells[size_t((row - 1) * kMarkColumns + column - 1)];
}

void TMarkOverviewForm::FormShow() {
    readAll();
    // Wide enough for what the cells hold, as far as the screen allows.
    const int wanted = ui->Cells->verticalHeader()->width() +
                       ui->Cells->horizontalHeader()->length() + 2 * ui->Cells->frameWidth() +
                       layout()->contentsMargins().left() + layout()->contentsMargins().right();
    const int room = screen() ? screen()->availableGeometry().width() - 40 : wanted;
    if (wanted > width())
        resize(qMin(wanted, room), height());
}

void TMarkOverviewForm::BtReadClick() {
    readAll();
}

bool TMarkOverviewForm::eventFilter(QObject *watched, QEvent *event) {
    // Enter on a cell does what a double click does.
    if (watched == ui->Cells && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CellsDblClick(ui->Cells->currentRow(), ui->Cells->currentColumn());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TMarkOverviewForm::CellsDblClick(int row, int column) {
    if (row < 0 || row >= kMarkRows || column < 0 || column >= kMarkColumns)
        return;
    const auto &summary = cell(row + 1, column + 1);
    if (!summary) {
        hub.messages().beep(); // no kind known, so no editor to open
        return;
    }
    hub.openCellEditor({summary->kind, row + 1, column + 1, summary->logoSlot.value_or(0)});
}

void TMarkOverviewForm::readAll() {
    ui->BtRead->setEnabled(false);
    cells.fill(std::nullopt);
    for (int i = 0; i < kMarkCells; ++i)
        showCell(i);
    ui->ReadState->setText(QStringLiteral("Reading…"));
    showOutcome(readCells());
    ui->Cells->resizeColumnsToContents();
    ui->BtRead->setEnabled(true);
}

TMarkOverviewForm::Outcome TMarkOverviewForm::readCells() {
    // One wait for the whole read: its bar counts cells, its Cancel ends the read where it is. A
    // cell that does not answer is noted, and the read goes on.
    const auto wait = hub.longWait(this, QStringLiteral("Reading the mark's cells…"), kMarkCells);
    Outcome outcome;
    const MarkCells mark = readMarkCells(
        hub.fn(), {.stopAtFailure = false,
                   .carryOn = [&](int cell) { return cell < 0 || wait->carryOn(cell); },
                   .cellDone =
                       [&](int cell, const MarkCells &soFar) {
                           if (const auto &reply = soFar.cells[size_t(cell)])
                               cells[size_t(cell)] = summarize(*reply, soFar.block.fontCount());
                           else
                               outcome.notRead << cellName(cell).mid(5); // "2,5"
                           showCell(cell);
                       }});
    // Without the font count a logo cannot be told from a text: nothing is read then.
    outcome.stateBlock = mark.stateBlock;
    outcome.cancelled = mark.stopped;
    outcome.read = mark.read;
    return outcome;
}

void TMarkOverviewForm::showOutcome(const Outcome &outcome) {
    const QString at = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    QString state;
    if (!outcome.stateBlock)
        state = QStringLiteral("Not read: the printer sent no font count.");
    else if (outcome.cancelled)
        state = QStringLiteral("Read cancelled: %1 of %2 cells read.")
                    .arg(outcome.read)
                    .arg(kMarkCells);
    else if (outcome.notRead.isEmpty())
        state = QStringLiteral("All %1 cells read at %2.").arg(kMarkCells).arg(at);
    else
        state = QStringLiteral("%1 of %2 cells read at %3; the others did not answer.")
                    .arg(outcome.read)
                    .arg(kMarkCells)
                    .arg(at);
    ui->ReadState->setText(state);
    // One message for the whole read, whatever it met.
    if (!outcome.stateBlock)
        hub.messages().error(this, QStringLiteral("TimeParamsRead Error"));
    else if (!outcome.notRead.isEmpty())
        hub.messages().error(this, QStringLiteral("TextFragmentRead Error"),
                             QStringLiteral("Cells not read (row,column): %1")
                                 .arg(outcome.notRead.join(QLatin1Char(' '))));
}

void TMarkOverviewForm::showCell(int index) {
    const int row = index / kMarkColumns, column = index % kMarkColumns;
    QTableWidgetItem *item = ui->Cells->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        ui->Cells->setItem(row, column, item);
    }
    const QString where = QStringLiteral("Row %1, column %2: ").arg(row + 1).arg(column + 1);
    const auto &summary = cells[size_t(index)];
    QFont font = ui->Cells->font();
    font.setItalic(!summary);
    item->setFont(font);
    item->setForeground(summary ? palette().text() : palette().placeholderText());
    QString text, spoken;
    if (!summary) {
        text = QStringLiteral("(not read)");
        spoken = QStringLiteral("not read");
    } else if (summary->empty()) {
        spoken = QStringLiteral("empty");
    } else {
        const QStringList lines = cellLines(*summary, hub.logoNames());
        text = lines.join(QLatin1Char('\n'));
        spoken = lines.join(QStringLiteral(", "));
    }
    item->setText(text);
    item->setData(Qt::AccessibleTextRole, where + spoken);
    item->setToolTip(where + spoken);
}
