#include "About.h"

#include "Artwork.h"
#include "ui_About.h"

#include <QCoreApplication>

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent), ui(new Ui::TAboutBox) {
    ui->setupUi(this);
    ui->ProgramIcon->setPixmap(toolIcon(QLatin1Char('K'), QStringLiteral("KVOR")).pixmap(32, 32));
    ui->Version->setText(QStringLiteral("Version %1").arg(QCoreApplication::applicationVersion()));
}

TAboutBox::~TAboutBox() {
    delete ui;
}

void TAboutBox::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TAboutBox::FormActivate() {
    ui->Comments->setText(QStringLiteral("Comments: English version"));
}
