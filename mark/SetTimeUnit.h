#pragma once
// The date/time dialog: writes a time/date fragment (a format the printer expands from its own
// clock) into a cell of the mark, and sets the printer's clock from typed values or from the PC's
// clock. Made anew at every opening; it reads cell 1,1 and the printer's clock as it first shows.
// Until the operator edits a clock field, the fields keep running from the printer's clock as it
// was read, so that "Ok" does not set the printer back by the time the dialog stayed open.

#include "FragmentEditor.h"

#include <QDateTime>
#include <QDialog>
#include <QTimer>

namespace Ui {
class TTimeForm;
}
class Hub;

class TTimeForm : public QDialog {
    Q_OBJECT

public:
    explicit TTimeForm(Hub &hub, QWidget *parent = nullptr);
    ~TTimeForm() override;

    void FormCreate();                    // the first read: cell, then clock
    void BtWriteTextClick();              // "Ok"
    void SetSystemDateTimeClick(bool on); // "LoadSystemDateTime"

private:
    // Both clock texts from the typed fields, two digits a field.
    struct TypedClock {
        QByteArray date; // ddmmyy
        QByteArray time; // hhmmss
    };
    void readMovedCell(Move move);
    void showPrinterClock();
    // The printer's clock as read, moved on by the time since; shown in the six fields while
    // none of them has been edited.
    void showRunningClock();
    void stopClock();
    void setClockFromPc();
    void writeFragmentAndClock();
    // Checks the six fields in order; the first one in error beeps, takes the focus and ends it.
    std::optional<TypedClock> typedClock();
    bool setDate(const QByteArray &ddmmyy);
    bool setTime(const QByteArray &hhmmss);

    Ui::TTimeForm *ui;
    Hub &hub;
    FragmentEditor editor;
    QDateTime printerClock;    // as read; invalid when none was read or the fields were edited
    qint64 readAtMs = 0;       // when, on the hub's clock
    QTimer ticker;             // moves the fields on while they follow the printer's clock
    bool showingClock = false; // the fields are being filled from a clock, not edited
};
