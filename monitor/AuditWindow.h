#pragma once
// "Audit Trail": every change made to the printers of this station, a row a record (when, where,
// who, which printer, what was done with what, how it ended, what a cell held before), narrowed
// by printer, user, operation and dates; "Export CSV…" writes the rows shown to a file. The top
// line says whether the chain of records holds, and plainly where it is broken when it is not.
// Records this program writes appear as they are written; those of other programs (stampctl, the
// agent) each time the window is activated. Only what is new is read then; "Refresh" reads and
// checks the whole trail again.

#include "AuditRecord.h"

#include <QWidget>

class Hub;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;
namespace audit {
class Model;
class Trail;
struct Filter;
} // namespace audit

class TAuditWindow : public QWidget {
    Q_OBJECT

public:
    explicit TAuditWindow(Hub &hub, QWidget *parent = nullptr);
    ~TAuditWindow() override;

    // Shows the window with the trail as it is now.
    void open();
    // Reads the trail again: the whole chain, the filters' choices and the rows.
    void refresh();
    // Only what was written since: the chain checked on from where it held, the new rows.
    void catchUp();
    const audit::Model &records() const { return *model; }

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void showChain();
    void showRows();
    void showCount();
    audit::Filter filter() const;
    void fillChoices();
    void BtExportClick();
    void listen(bool on);

    Hub &hub;
    audit::Model *model;
    QLabel *chain;
    QComboBox *printer;
    QComboBox *user;
    QComboBox *operation;
    QCheckBox *useSince;
    QDateEdit *since;
    QCheckBox *useUntil;
    QDateEdit *until;
    QTableView *table;
    QLabel *shown;
    QPushButton *refreshButton;
    QPushButton *exportButton;
    QPushButton *closeButton;
    bool refreshQueued = false;
    audit::ChainCheck chainState;
    qint64 listedUpTo = 0; // every record up to this one was listed (shown when it passed)
};
