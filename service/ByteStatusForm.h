#pragma once
// The status byte as lamps and words: the phase and process lamps from bits 7-6 and 5-4, the
// high-voltage unit, the head cover and printing from bits 3 to 0.

#include <QDialog>
#include <optional>

namespace Ui {
class TByteStatusForm_;
}
class Hub;

class TByteStatusForm_ : public QDialog {
    Q_OBJECT

public:
    explicit TByteStatusForm_(Hub &hub, QWidget *parent = nullptr);
    ~TByteStatusForm_() override;

    void FormActivate();
    // Shows one status byte; nothing when the printer did not say.
    void showStatus(std::optional<quint8> status);

protected:
    void showEvent(QShowEvent *event) override;

private:
    Ui::TByteStatusForm_ *ui;
    Hub &hub;
};
