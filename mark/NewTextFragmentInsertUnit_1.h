#pragma once
// The text fragment editor: walks the cells of the mark, shows what each holds, and writes a text
// fragment with its font into the chosen cell. Made once at start; modal from the fragment menu,
// modeless from the read-write action. Every activation reads the current cell again.

#include "Activation.h"
#include "Cell.h"

namespace Ui {
class TOKHelpRightDlg;
}
class Hub;

class TOKHelpRightDlg : public ActivatedDialog {
    Q_OBJECT

public:
    static constexpr int kMaxText = 38; // characters the dialog takes before it refuses

    explicit TOKHelpRightDlg(Hub &hub, QWidget *parent = nullptr);
    ~TOKHelpRightDlg() override;

    // Moves the editor to a cell without reading it: the next activation reads it.
    void startAt(int row, int column);

    void FormActivate() override;
    void BtWriteTextClick(); // "Ok"
    // The read-or-write step for the current cell: reads it, or writes `text` (bytes in the
    // printer's code page) into it.
    // Whether the step went through.
    enum class Step { Read, Write };
    bool readOrWrite(Step step, const QByteArray &text = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool offerToSave(); // before a move: "Text was changed. Save?"
    void readCurrentCell();
    int row() const;
    int column() const;

    Ui::TOKHelpRightDlg *ui;
    Hub &hub;
    CellFields cell;
    bool textLoaded = false; // a cell has been read and not yet written
};
