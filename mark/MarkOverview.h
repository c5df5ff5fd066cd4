#pragma once
// The mark overview: every cell of the mark at a glance, as a grid of 4 rows and 8 columns — each
// cell's kind, its text (a counter's value, a date/time or post-date format, a logo's slot and
// name) and its font. It reads the state block for the font count, then the 32 cells with the
// editors' retries under one long wait; "Read" reads them again. A double click or Enter on a
// cell opens the editor of the cell's kind at that cell. Made anew at every opening, beside the
// main window.

#include "MarkCells.h"

#include <QDialog>
#include <array>
#include <optional>

namespace Ui {
class TMarkOverviewForm;
}
class Hub;

class TMarkOverviewForm : public QDialog {
    Q_OBJECT

public:
    explicit TMarkOverviewForm(Hub &hub, QWidget *parent = nullptr);
    ~TMarkOverviewForm() override;

    void FormShow();    // the first read
    void BtReadClick(); // "Read"
    // Opens the editor of the cell's kind at the cell (row and column from 0, as the grid counts
    // them); a cell that was not read opens none and beeps.
    void CellsDblClick(int row, int column);

    // What the last read left, by row and column from 1: nothing for a cell not read.
    const std::optional<CellSummary> &cell(int row, int column) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // How a whole read went.
    struct Outcome {
        bool stateBlock = false; // the font count came
        bool cancelled = false;
        int read = 0;        // cells read
        QStringList notRead; // "row,column" of the cells whose every attempt failed
    };
    void readAll();
    Outcome readCells();
    void showOutcome(const Outcome &outcome);
    void showCell(int index);

    Ui::TMarkOverviewForm *ui;
    Hub &hub;
    std::array<std::optional<CellSummary>, kMarkCells> cells;
};
