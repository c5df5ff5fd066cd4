#include "LineWindow.h"

#include "Hub.h"
#include "Job.h"
#include "LineRecord.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kBar = 1000;

QPushButton *button(const char *name, const QString &text, const QString &tip, QWidget *parent) {
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(tip);
    return b;
}

QCheckBox *checkBox(const char *name, const QString &text, QWidget *parent) {
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

// The cell at (row, column), made when it is not there yet.
QTableWidgetItem *cell(QTableWidget *table, int row, int column) {
    QTableWidgetItem *item = table->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        table->setItem(row, column, item);
    }
    return item;
}

void setCell(QTableWidget *table, int row, int column, const QString &text,
             const QString &tip = {}) {
    QTableWidgetItem *item = cell(table, row, column);
    item->setText(text);
    item->setToolTip(tip.isEmpty() ? text : tip);
}

// A time of today by the clock, an earlier one with its day.
QString shortTime(const QDateTime &t) {
    const QDateTime local = t.toLocalTime();
    return local.date() == QDate::currentDate()
               ? local.toString(QStringLiteral("HH:mm:ss"))
               : local.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace

TLineWindow::TLineWindow(Hub &h, QWidget *parent) : QDockWidget(parent), hub(h) {
    setObjectName(QStringLiteral("TLineWindow"));
    setWindowTitle(QStringLiteral("Line"));
    auto *contents = new QWidget(this);
    contents->setObjectName(QStringLiteral("Contents"));
    auto *layout = new QVBoxLayout(contents);
    layout->setContentsMargins(4, 4, 4, 4);

    // Keys beside the main window's menus (Alt+F, T, G, M, C, P, R, H): J, A, O, V, S, E, U, I, Y.
    auto *jobRow = new QHBoxLayout;
    auto *jobLabel = new QLabel(QStringLiteral("&Job:"), contents);
    jobs = new QComboBox(contents);
    jobs->setObjectName(QStringLiteral("Jobs"));
    jobs->setMinimumContentsLength(16);
    jobs->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    jobs->setToolTip(QStringLiteral("The jobs of the job library"));
    jobLabel->setBuddy(jobs);
    all = button("BtAll", QStringLiteral("&All"), QStringLiteral("Check every printer, or none"),
                 contents);
    apply = button("BtApply", QStringLiteral("Apply J&ob"),
                   QStringLiteral("Write the job into the checked printers at once, then read "
                                  "each back and compare"),
                   contents);
    verify = button("BtVerify", QStringLiteral("&Verify against Job"),
                    QStringLiteral("Compare the checked printers with the job, writing nothing"),
                    contents);
    cancelJobs = button("BtCancel", QStringLiteral("Cancel"),
                        QStringLiteral("Stop the job on every printer at its next step"), contents);
    jobRow->addWidget(jobLabel);
    jobRow->addWidget(jobs, 1);
    jobRow->addWidget(all);
    jobRow->addWidget(apply);
    jobRow->addWidget(verify);
    jobRow->addWidget(cancelJobs);
    layout->addLayout(jobRow);

    auto *saveRow = new QHBoxLayout;
    saveJob = button("BtSaveJob", QStringLiteral("&Save as Job…"),
                     QStringLiteral("The main window's printer's cells and the logos they place "
                                    "into a job of the library"),
                     contents);
    withParameters = checkBox("WithParameters", QStringLiteral("with param&eters"), contents);
    withAutoRun = checkBox("WithAutoRun", QStringLiteral("with a&uto-run period"), contents);
    withScript = checkBox("WithScript", QStringLiteral("with scr&ipt"), contents);
    auto *intervalLabel = new QLabel(QStringLiteral("Refresh ever&y"), contents);
    interval = new QSpinBox(contents);
    interval->setObjectName(QStringLiteral("Interval"));
    interval->setRange(1, 3600);
    interval->setSuffix(QStringLiteral(" s"));
    interval->setToolTip(QStringLiteral("How often every printer is looked at"));
    intervalLabel->setBuddy(interval);
    saveRow->addWidget(saveJob);
    saveRow->addWidget(withParameters);
    saveRow->addWidget(withAutoRun);
    saveRow->addWidget(withScript);
    saveRow->addStretch(1);
    saveRow->addWidget(intervalLabel);
    saveRow->addWidget(interval);
    layout->addLayout(saveRow);

    problems = new QLabel(contents);
    problems->setObjectName(QStringLiteral("Problems"));
    problems->setWordWrap(true);
    problems->hide();
    layout->addWidget(problems);

    table = new QTableWidget(0, ColumnCount, contents);
    table->setObjectName(QStringLiteral("Printers"));
    table->setHorizontalHeaderLabels({QStringLiteral("Printer"), QStringLiteral("Device"),
                                      QStringLiteral("Connection"), QStringLiteral("Auto-run"),
                                      QStringLiteral("Status"), QStringLiteral("Job"),
                                      QStringLiteral("Verified")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    const int digit = table->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int widths[ColumnCount] = {14, 22, 14, 10, 40, 28, 10};
    for (int column = 0; column < ColumnCount; ++column)
        table->horizontalHeader()->resizeSection(column, widths[column] * digit);
    table->setAccessibleName(QStringLiteral("Printers of the line"));
    layout->addWidget(table, 1);
    setWidget(contents);

    connect(all, &QPushButton::clicked, this, &TLineWindow::BtAllClick);
    connect(apply, &QPushButton::clicked, this, &TLineWindow::BtApplyClick);
    connect(verify, &QPushButton::clicked, this, &TLineWindow::BtVerifyClick);
    connect(saveJob, &QPushButton::clicked, this, &TLineWindow::BtSaveJobClick);
    connect(cancelJobs, &QPushButton::clicked, this, &TLineWindow::BtCancelClick);
    connect(interval, &QSpinBox::valueChanged, this, &TLineWindow::IntervalChange);
    // A double click or Enter on a row.
    connect(table, &QTableWidget::activated, this,
            [this](const QModelIndex &index) { RowActivated(index.row()); });
    updateButtons();
}

TLineWindow::~TLineWindow() {
    cancel = true;
    if (worker.joinable())
        worker.join();
    stopPolling();
    hub.fn().shareLine(false);
}

void TLineWindow::open() {
    if (!jobRunning()) {
        settings =
            line::LineSettings::load(hub.settingsPath(), DeviceSettings::load(hub.settingsPath()));
        const line::LineRecord record(settings.jobFolder);
        table->setRowCount(int(settings.printers.size()));
        for (int row = 0; row < table->rowCount(); ++row) {
            const line::Printer &p = settings.printers[size_t(row)];
            QTableWidgetItem *name = cell(table, row, Name);
            name->setText(p.name);
            name->setFlags(name->flags() | Qt::ItemIsUserCheckable);
            name->setCheckState(Qt::Unchecked);
            setCell(table, row, Device, p.device, p.device + QStringLiteral(" at ") + p.speed);
            for (int column = Connection; column < ColumnCount; ++column)
                setCell(table, row, column, QString());
            // What it last received, in this run or an earlier one (or through stampctl).
            const line::Record last = record.of(p.name);
            if (!last.job.isEmpty())
                setCell(table, row, Job, last.job + QStringLiteral(": ") + last.outcome,
                        last.describe());
            if (last.verified.isValid())
                setCell(table, row, Verified, shortTime(last.verified));
        }
        problems->setText(settings.problems.join(QLatin1Char('\n')));
        problems->setVisible(!settings.problems.isEmpty());
        const QSignalBlocker quiet(interval);
        interval->setValue(settings.pollSeconds);
        fillJobs();
        markChosen();
    }
    // From now on the main window's printer takes turns with the line's exchanges.
    hub.fn().shareLine(true);
    if (!poller)
        startPolling();
    show();
    raise();
}

void TLineWindow::closeEvent(QCloseEvent *event) {
    stopPolling();
    if (!jobRunning())
        hub.fn().shareLine(false);
    QDockWidget::closeEvent(event);
}

void TLineWindow::startPolling() {
    poller = std::make_unique<line::Poller>(
        settings.printers, hub.lines(),
        [this](const std::vector<line::Look> &looks) {
            QMetaObject::invokeMethod(
                this, [this, looks] { showLooks(looks); }, Qt::QueuedConnection);
        },
        std::chrono::seconds(interval->value()));
}

void TLineWindow::stopPolling() {
    poller.reset(); // waits for a round under way
}

void TLineWindow::showLooks(const std::vector<line::Look> &looks) {
    for (size_t i = 0; i < looks.size() && int(i) < table->rowCount(); ++i) {
        const line::Look &look = looks[i];
        const int row = int(i);
        if (look.busy) {
            setCell(table, row, Connection, QStringLiteral("busy"), look.why);
            continue; // its last look stands
        }
        if (!look.connected) {
            setCell(table, row, Connection, QStringLiteral("not connected"), look.why);
            setCell(table, row, AutoRun, QString());
            setCell(table, row, Status, QString());
            continue;
        }
        setCell(table, row, Connection, QStringLiteral("connected"));
        setCell(table, row, AutoRun,
                look.autoRunPeriod < 0    ? QString()
                : look.autoRunPeriod == 0 ? QStringLiteral("off")
                                          : QStringLiteral("every %1").arg(look.autoRunPeriod));
        if (look.status)
            setCell(
                table, row, Status,
                QString::number(*look.status, 16).rightJustified(2, QLatin1Char('0')).toUpper() +
                    QStringLiteral(": ") + line::statusWords(*look.status));
    }
}

void TLineWindow::fillJobs() {
    const QString current = jobs->currentData().toString();
    jobs->clear();
    const QFileInfoList files =
        QDir(settings.jobFolder)
            .entryInfoList({QStringLiteral("*.json")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo &file : files)
        jobs->addItem(file.completeBaseName(), file.absoluteFilePath());
    const int again = jobs->findData(current);
    if (again >= 0)
        jobs->setCurrentIndex(again);
    jobs->setToolTip(QStringLiteral("The jobs in %1").arg(settings.jobFolder));
    updateButtons();
}

std::vector<size_t> TLineWindow::checkedRows() const {
    std::vector<size_t> rows;
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, Name)->checkState() == Qt::Checked)
            rows.push_back(size_t(row));
    return rows;
}

void TLineWindow::markChosen() {
    // The row of the printer the windows work on, in bold.
    for (int row = 0; row < table->rowCount(); ++row) {
        QTableWidgetItem *name = table->item(row, Name);
        QFont font = name->font();
        font.setBold(hub.printerName().isEmpty() ? settings.ofOne
                                                 : name->text() == hub.printerName());
        name->setFont(font);
    }
}

void TLineWindow::BtAllClick() {
    const bool every = checkedRows().size() == size_t(table->rowCount());
    for (int row = 0; row < table->rowCount(); ++row)
        table->item(row, Name)->setCheckState(every ? Qt::Unchecked : Qt::Checked);
}

void TLineWindow::BtApplyClick() {
    runJob(true);
}

void TLineWindow::BtVerifyClick() {
    runJob(false);
}

void TLineWindow::BtCancelClick() {
    cancel = true;
}

void TLineWindow::IntervalChange(int seconds) {
    if (poller)
        poller->setInterval(std::chrono::seconds(seconds));
    line::LineSettings::savePollSeconds(hub.settingsPath(), seconds);
}

void TLineWindow::RowActivated(int row) {
    if (row < 0 || row >= int(settings.printers.size()))
        return;
    const line::Printer &p = settings.printers[size_t(row)];
    const bool answered = settings.ofOne ? hub.choosePort(hub.portName(), p.speed)
                                         : hub.choosePrinter(p.name, p.device, p.speed);
    markChosen();
    if (!answered)
        hub.messages().error(this,
                             QStringLiteral("%1 does not answer; the windows work on it all the "
                                            "same.")
                                 .arg(p.name),
                             hub.portState().causes.join(QLatin1Char('\n')));
}

void TLineWindow::BtSaveJobClick() {
    QDir().mkpath(settings.jobFolder);
    QString file =
        hub.messages().saveFileName(this, QStringLiteral("Save as Job"), settings.jobFolder,
                                    QStringLiteral("Jobs (*.json);;All files (*)"));
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".json");
    const backup::Parts parts{withParameters->isChecked(), withAutoRun->isChecked(),
                              withScript->isChecked()};
    // The whole read in one turn of the printer: no poll comes in between.
    if (!hub.fn().takeTurn(hub.portState().turnWaitMs))
        return hub.messages().error(this, QStringLiteral("The job was not read: another exchange "
                                                         "with the printer is under way."));
    backup::Job job;
    backup::Outcome outcome;
    {
        const auto wait = hub.longWait(this, QStringLiteral("Reading the job…"), kBar);
        outcome = backup::takeJob(hub.fn(), job, parts, [&wait = *wait](int done, int total) {
            return wait.carryOn(total ? done * kBar / total : 0);
        });
    }
    hub.fn().giveTurn();
    if (!outcome.ok())
        return hub.messages().error(
            this, backup::describeBackUp(outcome).replace(QStringLiteral("Back-up"),
                                                          QStringLiteral("Reading "
                                                                         "the job")));
    if (auto wrong = backup::saveJob(file, job))
        return hub.messages().error(this, *wrong);
    fillJobs();
    const int saved = jobs->findData(QFileInfo(file).absoluteFilePath());
    if (saved >= 0)
        jobs->setCurrentIndex(saved);
    hub.messages().information(this, QStringLiteral("The job is saved to %1.").arg(file));
}

void TLineWindow::runJob(bool applying) {
    const QString path = jobs->currentData().toString();
    if (path.isEmpty())
        return hub.messages().error(this, QStringLiteral("Choose a job first: save one with "
                                                         "\"Save as Job…\", or put job files into "
                                                         "%1.")
                                              .arg(settings.jobFolder));
    const std::vector<size_t> rows = checkedRows();
    if (rows.empty())
        return hub.messages().error(this, QStringLiteral("Check the printers first (or \"All\")."));
    // A job that fails its checks changes no printer.
    const backup::ParsedJob parsed = backup::loadJob(path);
    const QString name = QFileInfo(path).completeBaseName();
    if (!parsed.job)
        return hub.messages().error(
            this, QStringLiteral("%1: %2; no printer was changed.").arg(name, parsed.error));
    std::vector<line::Printer> printers;
    QStringList names;
    for (size_t row : rows) {
        printers.push_back(settings.printers[row]);
        names << settings.printers[row].name;
    }
    if (applying && !hub.messages().confirmDestructive(
                        this, QStringLiteral("Apply %1 to %2? It overwrites their marks and the "
                                             "logos the job places.")
                                  .arg(name, names.join(QStringLiteral(", ")))))
        return;
    for (size_t row : rows)
        setCell(table, int(row), Job, QStringLiteral("waiting"));
    cancel = false;
    worker =
        std::thread([this, applying, printers, job = *parsed.job, rows, name, lines = hub.lines()] {
            line::Watch watch;
            watch.cancel = &cancel;
            watch.recorders = &Hub::threadRecorder;
            watch.jobName = name;
            watch.progress = [this, applying, rows](size_t i, int done, int total) {
                QMetaObject::invokeMethod(
                    this,
                    [this, row = rows[i], applying, done, total] {
                        showProgress(row, applying, done, total);
                    },
                    Qt::QueuedConnection);
            };
            const std::vector<line::PrinterResult> results =
                applying ? line::applyJob(printers, job, lines, watch)
                         : line::verifyJob(printers, job, lines, watch);
            QMetaObject::invokeMethod(
                this,
                [this, applying, name, rows, results] { finished(applying, name, rows, results); },
                Qt::QueuedConnection);
        });
    updateButtons();
}

void TLineWindow::showProgress(size_t row, bool applying, int done, int total) {
    if (!jobRunning())
        return; // a late report of a job that has ended
    setCell(table, int(row), Job,
            QStringLiteral("%1: %2 of %3")
                .arg(applying ? QStringLiteral("applying") : QStringLiteral("verifying"))
                .arg(done)
                .arg(total));
}

void TLineWindow::finished(bool applying, const QString &job, const std::vector<size_t> &rows,
                           const std::vector<line::PrinterResult> &results) {
    worker.join();
    QStringList lines;
    int good = 0;
    for (size_t i = 0; i < results.size(); ++i) {
        const line::PrinterResult &r = results[i];
        const int row = int(rows[i]);
        setCell(table, row, Job, job + QStringLiteral(": ") + r.word(), r.describe());
        if (r.end == line::PrinterResult::End::Verified) {
            ++good;
            setCell(table, row, Verified,
                    QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
        }
        lines << r.printer + QStringLiteral(": ") + r.describe();
    }
    line::LineRecord(settings.jobFolder).note(job, results);
    updateButtons();
    if (!isVisible())
        hub.fn().shareLine(false);
    const int count = int(results.size());
    if (good == count)
        return hub.messages().information(
            this, applying ? QStringLiteral("%1 is applied: every printer verified.").arg(job)
                           : QStringLiteral("Every printer matches %1.").arg(job));
    hub.messages().error(
        this,
        applying ? QStringLiteral("%1 is applied and verified on %2 of %3 "
                                  "printers.")
                       .arg(job)
                       .arg(good)
                       .arg(count)
                 : QStringLiteral("%1 of %2 printers match %3.").arg(good).arg(count).arg(job),
        lines.join(QLatin1Char('\n')));
}

void TLineWindow::updateButtons() {
    const bool running = jobRunning();
    const bool haveJob = jobs->count() > 0;
    apply->setEnabled(!running && haveJob);
    verify->setEnabled(!running && haveJob);
    saveJob->setEnabled(!running);
    cancelJobs->setEnabled(running);
}
