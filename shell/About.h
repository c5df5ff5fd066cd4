#pragma once
// The about box: the program's name, version and a comments line.

#include <QDialog>

namespace Ui {
class TAboutBox;
}

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    void FormActivate();

protected:
    void showEvent(QShowEvent *event) override;

private:
    Ui::TAboutBox *ui;
};
