#pragma once
// "Line Monitor": every exchange with the printer as a row while the program runs, the failed ones
// marked; "Pause" holds new rows back, "Clear" forgets them, "Save…" writes them to a text file.
// A window docked to the main window. It listens to the printer's operations only while it is
// open: closed, the link records nothing.

#include "ExchangeLog.h"

#include <QDockWidget>
#include <QTimer>

namespace Ui {
class TLineMonitor;
}
class Hub;

class TLineMonitor : public QDockWidget, private ExchangeWatcher {
    Q_OBJECT

public:
    // How long an exchange waits at most before it becomes a row: the exchanges of that time
    // become rows together. The timer runs only while exchanges wait.
    static constexpr int kBatchMs = 100;

    explicit TLineMonitor(Hub &hub, QWidget *parent = nullptr);
    ~TLineMonitor() override;

    // Shows the window and starts listening.
    void open();
    bool listening() const;

    const ExchangeLog &log() const { return rows; }
    // The waiting exchanges shown now (while paused: counted as held).
    void flush();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void ended(const Exchange &exchange) override;
    void stopListening();
    void showBatch();
    void BtPauseClick(bool held);
    void BtClearClick();
    void BtSaveClick();
    void showHeld();

    Ui::TLineMonitor *ui;
    Hub &hub;
    ExchangeLog rows;
    QTimer batch;
};
