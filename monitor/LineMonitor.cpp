#include "LineMonitor.h"

#include "FileAccess.h"

#include "FormUi.h"
#include "Hub.h"
#include "ui_LineMonitor.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>

TLineMonitor::TLineMonitor(Hub &h, QWidget *parent)
    : QDockWidget(parent), ui(setUpUi<Ui::TLineMonitor>(this)), hub(h) {
    ui->Rows->setModel(&rows);
    // Rows of one height, columns sized by the operator: nothing is measured as rows arrive.
    QHeaderView *across = ui->Rows->horizontalHeader();
    across->setSectionResizeMode(QHeaderView::Interactive);
    across->setStretchLastSection(true);
    const int digit = ui->Rows->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int widths[] = {14, 22, 40, 40, 16, 10};
    for (int column = 0; column < ExchangeLog::ColumnCount; ++column)
        across->resizeSection(column, widths[column] * digit);
    QHeaderView *down = ui->Rows->verticalHeader();
    down->setSectionResizeMode(QHeaderView::Fixed);
    down->setDefaultSectionSize(ui->Rows->fontMetrics().lineSpacing() + 6);
    down->hide();

    batch.setInterval(kBatchMs);
    batch.setSingleShot(true);
    connect(&batch, &QTimer::timeout, this, &TLineMonitor::showBatch);
    connect(ui->BtPause, &QPushButton::toggled, this, &TLineMonitor::BtPauseClick);
    connect(ui->BtClear, &QPushButton::clicked, this, &TLineMonitor::BtClearClick);
    connect(ui->BtSave, &QPushButton::clicked, this, &TLineMonitor::BtSaveClick);
}

TLineMonitor::~TLineMonitor() {
    stopListening();
    delete ui;
}

void TLineMonitor::open() {
    hub.fn().state().watcher = this;
    show();
    raise();
}

bool TLineMonitor::listening() const {
    return hub.fn().state().watcher == this;
}

void TLineMonitor::closeEvent(QCloseEvent *event) {
    stopListening();
    QDockWidget::closeEvent(event);
}

void TLineMonitor::stopListening() {
    if (listening())
        hub.fn().state().watcher = nullptr;
    flush(); // what came before the close stays to be read and saved
}

void TLineMonitor::ended(const Exchange &exchange) {
    rows.add(exchange);
    if (!batch.isActive())
        batch.start();
}

void TLineMonitor::flush() {
    batch.stop();
    showBatch();
}

void TLineMonitor::showBatch() {
    if (ui->BtPause->isChecked()) {
        showHeld();
        return;
    }
    QScrollBar *bar = ui->Rows->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    if (rows.flush() && following)
        ui->Rows->scrollToBottom();
}

void TLineMonitor::BtPauseClick(bool held) {
    if (!held)
        showBatch();
    showHeld();
}

void TLineMonitor::showHeld() {
    const int held = ui->BtPause->isChecked() ? rows.waiting() : 0;
    ui->Held->setText(held > 0 ? QStringLiteral("%1 held").arg(held) : QString());
}

void TLineMonitor::BtClearClick() {
    rows.clear();
    showHeld();
}

void TLineMonitor::BtSaveClick() {
    const QString name = hub.messages().saveFileName(
        this, QStringLiteral("Save"), QDir::currentPath(), QStringLiteral("Text files (*.txt)"));
    if (name.isEmpty())
        return;
    if (const auto why = files::writeWhole(name, rows.text().toUtf8()))
        hub.messages().error(this, QStringLiteral("File Save Error"), *why);
}
