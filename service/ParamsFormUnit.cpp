#include "ParamsFormUnit.h"

#include "Hub.h"
#include "ui_ParamsFormUnit.h"

#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTabBar>
#include <QTimer>

namespace {
enum Column { Number, Name, Value, Letter };
}

TParamsForm::TParamsForm(Hub &h, QWidget *parent)
    : QDialog(parent), ui(new Ui::TParamsForm), hub(h) {
    ui->setupUi(this);
    // The dialog switches its pages itself: no tab strip.
    ui->PageControl1->tabBar()->hide();
    ui->PageControl1->setDocumentMode(true);
    ui->ListView2->setColumnHidden(Letter, true); // the letter is kept, not shown
    ui->ListView2->setColumnWidth(Number, 36);
    ui->ListView2->setColumnWidth(Name, 200);
    ui->ListView2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->ListView2->setStyleSheet(
        QStringLiteral("QTreeWidget::item { border-right: 1px solid #d0d0d0; "
                       "border-bottom: 1px solid #d0d0d0; }"));

    connect(ui->ListView2, &QTreeWidget::itemDoubleClicked, this, &TParamsForm::OpenParamChange);
    connect(ui->Button3, &QPushButton::clicked, this, &TParamsForm::OpenParamChange);
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->LogoNumInc, &QToolButton::clicked, this, &TParamsForm::LogoNumIncClick);
    connect(ui->LogoNumDec, &QToolButton::clicked, this, &TParamsForm::LogoNumDecClick);
    connect(ui->Button2, &QPushButton::clicked, this, &TParamsForm::Button2Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TParamsForm::Button4Click);
}

TParamsForm::~TParamsForm() {
    delete ui;
}

void TParamsForm::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    // The window appears first, then fills its list row by row.
    QTimer::singleShot(0, this, &TParamsForm::FormActivate);
}

void TParamsForm::FormActivate() {
    showListPage();
    ReadAllParams();
}

void TParamsForm::showListPage() {
    ui->PageControl1->setCurrentWidget(ui->ParamsMainTabSheet);
}

void TParamsForm::ReadAllParams() {
    // The list paints while it fills, so the operator's clicks arrive in the middle of it: none of
    // them may start another fill or open a change until this one is over.
    if (reading)
        return;
    const QScopedValueRollback<bool> busy(reading, true);
    showListPage();
    ui->ListView2->clear();
    ui->Button3->setEnabled(false);
    const auto enableOk = qScopeGuard([this] { ui->Button3->setEnabled(true); });
    // Thirteen exchanges: under a long wait, whose Cancel ends the list where it is (nothing more
    // is sent; the rows not read stay without a value).
    const auto wait =
        hub.longWait(this, QStringLiteral("Reading the parameters…"), int(kPrintParameters.size()));
    int number = 1;
    for (const PrintParameter &p : kPrintParameters) {
        auto *row = new QTreeWidgetItem(ui->ListView2);
        row->setText(Number, QString::number(number));
        row->setText(Name, QString::fromLatin1(p.name));
        row->setText(Letter, QString(QLatin1Char(p.letter)));
        quint8 value = 0;
        if (wait->carryOn(number - 1) && hub.fn().ReadParam(quint8(p.letter), value))
            row->setText(Value, QString::number(value));
        ++number;
    }
}

void TParamsForm::OpenParamChange() {
    if (reading)
        return;
    const QTreeWidgetItem *row = ui->ListView2->currentItem();
    if (!row || !row->isSelected())
        return;
    ui->PageControl1->setCurrentWidget(ui->ParamsChangeTabSheet);
    ui->ParamName->setTitle(row->text(Name));
    letter = row->text(Letter);
    quint8 value = 0;
    if (!hub.fn().ReadParam(code(), value)) {
        hub.messages().error(this, QStringLiteral("ParamsRead Error"));
        showListPage();
        return;
    }
    ui->Edit1->setText(QString::number(value));
    startValue = value;
}

void TParamsForm::LogoNumIncClick() {
    quint8 value = 0;
    if (hub.fn().IncreaseParam(code(), value))
        ui->Edit1->setText(QString::number(value));
}

void TParamsForm::LogoNumDecClick() {
    quint8 value = 0;
    if (hub.fn().DecreaseParam(code(), value))
        ui->Edit1->setText(QString::number(value));
}

void TParamsForm::Button2Click() {
    ReadAllParams();
}

void TParamsForm::Button4Click() {
    UndoParamChange();
}

void TParamsForm::UndoParamChange() {
    const int current = ui->Edit1->text().trimmed().toInt();
    if (current != startValue) {
        // Step back the other way, under a long wait; the first step that fails ends the undo
        // with one message, which names the operator's change being undone, and Cancel ends it
        // without one.
        const bool wasDecreased = startValue > current;
        const int steps = qAbs(startValue - current);
        bool failed = false;
        {
            const auto wait = hub.longWait(this, QStringLiteral("Undoing the change…"), steps);
            for (int i = 0; i < steps && !failed && wait->carryOn(i); ++i) {
                quint8 value = 0;
                failed = !(wasDecreased ? hub.fn().IncreaseParam(code(), value)
                                        : hub.fn().DecreaseParam(code(), value));
            }
        }
        if (failed)
            hub.messages().error(this, wasDecreased ? QStringLiteral("ParamsDecrease Error")
                                                    : QStringLiteral("ParamsIcrease Error"));
    }
    ReadAllParams();
}
