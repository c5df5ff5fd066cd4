#pragma once
// The mark read's progress window: modal, made for each read. When it becomes active with a read
// asked for, it reads the printer's mark picture into the main window's mark image, moving its
// bar as the bytes come, and hands over to the mark view through ShowStamp. Its Cancel ends the
// read as a failed read.

#include "Activation.h"
#include "Hub.h"

namespace Ui {
class TMarkProgreesForm;
}
class Hub;

// Posted when the read is over, the view to show it or not.
inline constexpr WindowMessage kShowStamp{"ShowStamp"};

class TMarkProgreesForm : public ActivatedDialog {
    Q_OBJECT

public:
    explicit TMarkProgreesForm(Hub &hub, QWidget *parent = nullptr);
    ~TMarkProgreesForm() override;

    void FormActivate() override;
    void CancelBtnClick();

public slots:
    // While reading, closing the window (Esc included) cancels the read instead.
    void reject() override;

private:
    void readMark();
    bool onProgress(int position);

    Ui::TMarkProgreesForm *ui;
    Hub &hub;
    bool reading = false;
    bool cancelAsked = false;
};
