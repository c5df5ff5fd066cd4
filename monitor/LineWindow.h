#pragma once
// "Line": the printers of the line, a row each (name, device, connected or why not, auto-run, the
// status byte in words, the job it last received and when it was last verified), kept fresh in
// the background while the window is open, at the interval the operator chooses. Check printers
// (or "All"), choose a job of the job library, and "Apply Job" or "Verify against Job": every
// printer at once, each on a thread and a line of its own, each row with its progress, "Cancel"
// for all of them. "Save as Job…" takes the job from the main window's printer. Double click (or
// Enter) on a row makes that printer the one the windows work on. A window docked to the main
// window; while it is open the main window's printer takes turns with the line's exchanges.

#include "LineRun.h"
#include "LineSettings.h"
#include "Poller.h"

#include <QDockWidget>
#include <atomic>
#include <memory>
#include <thread>

class Hub;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

class TLineWindow : public QDockWidget {
    Q_OBJECT

public:
    enum Column { Name, Device, Connection, AutoRun, Status, Job, Verified, ColumnCount };

    explicit TLineWindow(Hub &hub, QWidget *parent = nullptr);
    ~TLineWindow() override;

    // Reads the line from the settings, shows the window and starts keeping the rows fresh.
    void open();
    bool polling() const { return poller != nullptr; }
    // A job applied or verified, not yet finished.
    bool jobRunning() const { return worker.joinable(); }
    const line::LineSettings &line() const { return settings; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void startPolling();
    void stopPolling();
    void showLooks(const std::vector<line::Look> &looks);
    void fillJobs();
    std::vector<size_t> checkedRows() const;
    void markChosen();

    void BtAllClick();
    void BtApplyClick();
    void BtVerifyClick();
    void BtSaveJobClick();
    void BtCancelClick();
    void IntervalChange(int seconds);
    void RowActivated(int row);

    void runJob(bool applying);
    void showProgress(size_t row, bool applying, int done, int total);
    void finished(bool applying, const QString &job, const std::vector<size_t> &rows,
                  const std::vector<line::PrinterResult> &results);
    void updateButtons();

    Hub &hub;
    line::LineSettings settings;
    std::unique_ptr<line::Poller> poller;
    std::thread worker;
    std::atomic<bool> cancel{false};

    QTableWidget *table;
    QSpinBox *interval;
    QComboBox *jobs;
    QCheckBox *withParameters;
    QCheckBox *withAutoRun;
    QCheckBox *withScript;
    QPushButton *all;
    QPushButton *apply;
    QPushButton *verify;
    QPushButton *saveJob;
    QPushButton *cancelJobs;
    QLabel *problems;
};
