#include "AuditWindow.h"

#include "AuditModel.h"
#include "AuditTrail.h"
#include "FileAccess.h"
#include "Hub.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kAll = QStringLiteral("(all)");

QComboBox *choice(const char *name, const QString &accessible) {
    auto *box = new QComboBox;
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(accessible);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    box->setMinimumContentsLength(10);
    return box;
}

QDateEdit *dateEdit(const char *name, const QString &accessible) {
    auto *edit = new QDateEdit(QDate::currentDate());
    edit->setObjectName(QLatin1String(name));
    edit->setAccessibleName(accessible);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    edit->setEnabled(false);
    return edit;
}

QString chosen(const QComboBox *box) {
    return box->currentText() == kAll ? QString() : box->currentText();
}

} // namespace

TAuditWindow::TAuditWindow(Hub &h, QWidget *parent)
    : QWidget(parent, Qt::Window), hub(h), model(new audit::Model(this)) {
    setObjectName(QStringLiteral("AuditWindow"));
    setWindowTitle(QStringLiteral("Audit Trail"));
    resize(980, 480);

    chain = new QLabel;
    chain->setObjectName(QStringLiteral("ChainState"));
    chain->setWordWrap(true);
    chain->setTextInteractionFlags(Qt::TextSelectableByMouse);

    printer = choice("Printer", QStringLiteral("Printer"));
    user = choice("User", QStringLiteral("User"));
    operation = choice("Operation", QStringLiteral("Operation"));
    useSince = new QCheckBox(QStringLiteral("&From"));
    useSince->setObjectName(QStringLiteral("UseSince"));
    since = dateEdit("Since", QStringLiteral("From"));
    useUntil = new QCheckBox(QStringLiteral("&To"));
    useUntil->setObjectName(QStringLiteral("UseUntil"));
    until = dateEdit("Until", QStringLiteral("To"));

    auto *filters = new QGridLayout;
    const auto labelled = [&](int column, const QString &text, QWidget *field) {
        auto *label = new QLabel(text);
        label->setBuddy(field);
        filters->addWidget(label, 0, column);
        filters->addWidget(field, 1, column);
    };
    labelled(0, QStringLiteral("&Printer:"), printer);
    labelled(1, QStringLiteral("&User:"), user);
    labelled(2, QStringLiteral("&Operation:"), operation);
    filters->addWidget(useSince, 0, 3);
    filters->addWidget(since, 1, 3);
    filters->addWidget(useUntil, 0, 4);
    filters->addWidget(until, 1, 4);
    filters->setColumnStretch(5, 1);

    table = new QTableView;
    table->setObjectName(QStringLiteral("Records"));
    table->setAccessibleName(QStringLiteral("Records"));
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);

    shown = new QLabel;
    shown->setObjectName(QStringLiteral("Shown"));
    refreshButton = new QPushButton(QStringLiteral("&Refresh"));
    refreshButton->setObjectName(QStringLiteral("BtRefresh"));
    exportButton = new QPushButton(QStringLiteral("&Export CSV…"));
    exportButton->setObjectName(QStringLiteral("BtExport"));
    closeButton = new QPushButton(QStringLiteral("Close"));
    closeButton->setObjectName(QStringLiteral("BtClose"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(shown, 1);
    buttons->addWidget(refreshButton);
    buttons->addWidget(exportButton);
    buttons->addWidget(closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(chain);
    layout->addLayout(filters);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);

    setTabOrder(printer, user);
    setTabOrder(user, operation);
    setTabOrder(operation, useSince);
    setTabOrder(useSince, since);
    setTabOrder(since, useUntil);
    setTabOrder(useUntil, until);
    setTabOrder(until, table);
    setTabOrder(table, refreshButton);
    setTabOrder(refreshButton, exportButton);
    setTabOrder(exportButton, closeButton);

    for (QComboBox *box : {printer, user, operation})
        connect(box, &QComboBox::currentTextChanged, this, [this] { showRows(); });
    connect(useSince, &QCheckBox::toggled, since, &QWidget::setEnabled);
    connect(useUntil, &QCheckBox::toggled, until, &QWidget::setEnabled);
    for (QCheckBox *box : {useSince, useUntil})
        connect(box, &QCheckBox::toggled, this, [this] { showRows(); });
    for (QDateEdit *edit : {since, until})
        connect(edit, &QDateEdit::dateChanged, this, [this] { showRows(); });
    connect(refreshButton, &QPushButton::clicked, this, &TAuditWindow::refresh);
    connect(exportButton, &QPushButton::clicked, this, &TAuditWindow::BtExportClick);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
}

TAuditWindow::~TAuditWindow() {
    listen(false);
}

void TAuditWindow::open() {
    refresh();
    listen(true);
    show();
    raise();
    activateWindow();
}

void TAuditWindow::listen(bool on) {
    audit::Trail *trail = hub.auditTrail();
    if (!trail)
        return;
    if (!on) {
        trail->written = nullptr;
        return;
    }
    // A record is written in the middle of an exchange: the new rows are read once it is over.
    trail->written = [this](const audit::Record &) {
        if (refreshQueued)
            return;
        refreshQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                refreshQueued = false;
                catchUp();
            },
            Qt::QueuedConnection);
    };
}

void TAuditWindow::refresh() {
    audit::Trail *trail = hub.auditTrail();
    const bool usable = trail != nullptr;
    for (QWidget *w : std::initializer_list<QWidget *>{printer, user, operation, useSince, useUntil,
                                                       table, refreshButton, exportButton})
        w->setEnabled(usable);
    if (!usable) {
        chain->setText(hub.auditProblem().isEmpty() ? QStringLiteral("There is no audit trail.")
                                                    : hub.auditProblem());
        chain->setStyleSheet(QStringLiteral("color: #a00000; font-weight: bold;"));
        model->setRecords({});
        shown->clear();
        return;
    }
    chainState = trail->verify();
    showChain();
    fillChoices();
    showRows();
}

void TAuditWindow::catchUp() {
    audit::Trail *trail = hub.auditTrail();
    if (!trail || !isVisible())
        return;
    chainState = trail->verify(chainState);
    showChain();
    audit::Filter newer = filter();
    newer.afterId = listedUpTo;
    const std::vector<audit::Record> fresh = trail->list(newer);
    if (fresh.empty())
        return;
    // The filters offer what the new records brought.
    for (const audit::Record &r : fresh)
        for (const auto &[box, value] : {std::pair{printer, r.printer}, std::pair{user, r.user},
                                         std::pair{operation, r.operation}})
            if (box->findText(value) < 0) {
                const QSignalBlocker quiet(box);
                box->addItem(value);
            }
    listedUpTo = std::max(listedUpTo, fresh.back().id);
    model->append(fresh);
    showCount();
    table->scrollToBottom();
}

void TAuditWindow::showChain() {
    audit::Trail *trail = hub.auditTrail();
    const bool broken = chainState.broken.has_value() || !trail->problem().isEmpty();
    chain->setText(trail->problem().isEmpty()
                       ? chainState.describe()
                       : QStringLiteral("The audit trail could not be read: ") + trail->problem());
    chain->setStyleSheet(broken ? QStringLiteral("color: #a00000; font-weight: bold;") : QString());
    model->setBroken(chainState.broken.value_or(0));
}

void TAuditWindow::fillChoices() {
    audit::Trail *trail = hub.auditTrail();
    const std::pair<QComboBox *, const char *> columns[] = {
        {printer, "printer"}, {user, "user"}, {operation, "operation"}};
    for (const auto &[box, column] : columns) {
        const QString kept = box->currentText();
        const QSignalBlocker quiet(box);
        box->clear();
        box->addItem(kAll);
        box->addItems(trail->values(column));
        box->setCurrentIndex(qMax(0, box->findText(kept)));
    }
}

void TAuditWindow::showCount() {
    shown->setText(model->rowCount() == 1 ? QStringLiteral("1 record")
                                          : QStringLiteral("%1 records").arg(model->rowCount()));
}

audit::Filter TAuditWindow::filter() const {
    audit::Filter f;
    f.printer = chosen(printer);
    f.user = chosen(user);
    f.operation = chosen(operation);
    // The dates are days of the records' own time, UTC.
    if (useSince->isChecked())
        f.since = QDateTime(since->date(), QTime(0, 0), Qt::UTC);
    if (useUntil->isChecked())
        f.until = QDateTime(until->date(), QTime(23, 59, 59, 999), Qt::UTC);
    return f;
}

void TAuditWindow::showRows() {
    audit::Trail *trail = hub.auditTrail();
    if (!trail)
        return;
    std::vector<audit::Record> rows = trail->list(filter());
    listedUpTo = std::max(chainState.lastId, rows.empty() ? 0 : rows.back().id);
    model->setRecords(std::move(rows));
    showCount();
    table->resizeColumnsToContents();
    if (model->rowCount() > 0)
        table->scrollToBottom();
}

void TAuditWindow::BtExportClick() {
    const QString path =
        hub.messages().saveFileName(this, QStringLiteral("Export CSV"),
                                    QDir::home().filePath(QStringLiteral("audit-trail.csv")),
                                    QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    if (const auto why = files::writeWhole(path, audit::toCsv(model->records())))
        return hub.messages().error(this,
                                    QStringLiteral("The records were not exported: %1").arg(*why));
    hub.messages().information(
        this,
        QStringLiteral("%1 exported to %2.").arg(shown->text(), QDir::toNativeSeparators(path)));
}

void TAuditWindow::changeEvent(QEvent *event) {
    // Other programs of the station write to the trail too: seen each time the window comes up.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        catchUp();
    QWidget::changeEvent(event);
}

void TAuditWindow::closeEvent(QCloseEvent *event) {
    listen(false);
    QWidget::closeEvent(event);
}
