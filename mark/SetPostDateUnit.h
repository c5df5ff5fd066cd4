#pragma once
// The post-date dialog: writes a post-date fragment (a date some days ahead of the printer's
// date, in a format the printer expands) into a cell of the mark, with the printer's one day
// count. Made anew at every opening; it reads cell 1,1 and the day count as it first shows.

#include "FragmentEditor.h"

#include <QDialog>

namespace Ui {
class TPostDateForm;
}
class Hub;

class TPostDateForm : public QDialog {
    Q_OBJECT

public:
    explicit TPostDateForm(Hub &hub, QWidget *parent = nullptr);
    ~TPostDateForm() override;

    void FormCreate();       // the first read: cell, then day count
    void BtWriteTextClick(); // "Ok"

private:
    void showDayCount();
    // The four digits of the typed day count; nothing for a count that is not 0 to 9999.
    std::optional<QByteArray> dayCount() const;

    Ui::TPostDateForm *ui;
    Hub &hub;
    FragmentEditor editor;
};
