#pragma once
// The logos list: one row for every entry of the list the reading progress built — its position,
// the logo's slot and its name in the names list last read. "Ok" or a double click opens the
// chosen logo in the placement window. Shown beside the main window; made anew for every reading.

#include <QDialog>

namespace Ui {
class TShowAllLogoListForm;
}
class Hub;
class QTreeWidgetItem;

class TShowAllLogoListForm : public QDialog {
    Q_OBJECT

public:
    explicit TShowAllLogoListForm(Hub &hub, QWidget *parent = nullptr);
    ~TShowAllLogoListForm() override;

    void Button3Click(); // "Ok"
    void ListView2DblClick(QTreeWidgetItem *row);

private:
    void fillRows();
    void openChosen(const QTreeWidgetItem *row);

    Ui::TShowAllLogoListForm *ui;
    Hub &hub;
};
