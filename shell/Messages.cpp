#include "Messages.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

void BoxMessages::show(const QString &caption, const QString &text) {
    QMessageBox box(caption == QLatin1String("Error") ? QMessageBox::Critical
                                                      : QMessageBox::Information,
                    caption, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool BoxMessages::ask(const QString &caption, const QString &text) {
    return QMessageBox::question(QApplication::activeWindow(), caption, text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void BoxMessages::beep() {
    QApplication::beep();
}

QString BoxMessages::openFileName(const QString &caption, const QString &directory,
                                  const QString &filter) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, directory, filter);
}

QString BoxMessages::saveFileName(const QString &caption, const QString &directory,
                                  const QString &filter) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, directory, filter);
}

bool BoxMessages::openDocument(const QUrl &url) {
    return QDesktopServices::openUrl(url);
}
