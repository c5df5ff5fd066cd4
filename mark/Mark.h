#pragma once
// The mark view: the mark picture as last read, magnified, with its size and an optional dot
// grid. Modeless beside the main window; each read makes a new one. It draws when it becomes
// active after a read asked for a redraw; its "Read" asks the main window for a new read.

#include "Activation.h"
#include "Hub.h"

namespace Ui {
class TMarkForm;
}
class Hub;

// Posted by "Read": this view closed and the mark read again.
inline constexpr WindowMessage kCloseShowStamp{"CloseShowStamp"};

class TMarkForm : public ActivatedDialog {
    Q_OBJECT

public:
    explicit TMarkForm(Hub &hub, QWidget *parent = nullptr);
    ~TMarkForm() override;

    void FormActivate() override;
    void GridsBoxClick(bool checked); // "Grids"
    void ReadBtnClick();              // "Read"

signals:
    // "Read" was pressed: this view is the one the main window closes for the new read.
    void readAsked();

protected:
    // The operator may make the view larger or smaller: the picture's box takes the room, the
    // panel stays at the right edge.
    void resizeEvent(QResizeEvent *event) override;

private:
    void drawMark();
    void fitTo(int scrollBoxHeight);
    void layOut();

    Ui::TMarkForm *ui;
    Hub &hub;
};
