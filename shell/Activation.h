#pragma once
// Which activations of a window count as the operator coming back to it. A window becomes active
// again when a message box or a file dialog over it closes; that is no return to the window, and
// a window that reads the printer at every activation must not read again (a failing read would
// show its box again, for ever).

class QWidget;

// True when `window` has just become active and the window that had the focus before it was
// another of the program's own windows: not a message box or a system dialog, not the window
// itself (the operator coming back from another program), and not none (the first activation).
bool isOwnActivation(const QWidget *window);

#include <QDialog>

class Hub;

// A dialog that runs FormActivate at every activation that is the operator coming to it (the
// first showing included), as isOwnActivation tells; while the hub is busy with an exchange or a
// long wait, once that is over and only if the dialog is still the active window then.
class ActivatedDialog : public QDialog {
    Q_OBJECT

public:
    ActivatedDialog(Hub &hub, QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    virtual void FormActivate() = 0;

protected:
    void changeEvent(QEvent *event) override;

private:
    Hub &activationHub;
};
