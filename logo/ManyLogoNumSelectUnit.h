#pragma once
// The multi-logo dialog: cuts the image editor's band into slices of at most 125 columns (a logo
// of 32 rows holds at most 4000 dots), writes each slice as a logo of its own under the number
// and name chosen for it, and places each into row 1 of the mark at its chosen column, so that
// together they print the whole band. Made anew by the editor at every opening.

#include <QDialog>
#include <array>

namespace Ui {
class TSelectLogosNum;
}
class Hub;
class LogoBand;
class QComboBox;
class QGroupBox;
class QLineEdit;

class TSelectLogosNum : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSlices = 9;
    static constexpr int kSliceColumns = 125;
    static constexpr int kPauseMs = 50;         // between two exchanges
    static constexpr char16_t kLowestName = 49; // the names keep the digits 1 to 9 and above

    TSelectLogosNum(Hub &hub, const LogoBand &band, QWidget *parent = nullptr);
    ~TSelectLogosNum() override;

    void FormCreate();
    void OKBtnClick();
    void CancelBtnClick();

private:
    struct Group {
        QGroupBox *box;
        QComboBox *number;
        QGroupBox *columnBox;
        QComboBox *column;
        QLineEdit *name;
    };
    bool writeSlices();
    int sliceWidth(int slice) const; // slice from 0

    Ui::TSelectLogosNum *ui;
    Hub &hub;
    const LogoBand &band;
    std::array<Group, kSlices> groups;
    int columns = 0; // N: the columns written, one more than the band's width value
};
