#include "Messages.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QUrl>

namespace {
// The window that asked, or the active one when none is named.
QWidget *parentFor(QWidget *over) {
    return over ? over->window() : QApplication::activeWindow();
}
} // namespace

// A box wide enough for its caption: "Ok" alone would make one so narrow that the title bar
// shows "...".
static void keepWide(QMessageBox &box) {
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(320, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

void BoxMessages::show(QWidget *over, Severity severity, const QString &caption,
                       const QString &text, const QString &details) {
    QMessageBox box(severity == Severity::Error ? QMessageBox::Critical : QMessageBox::Information,
                    caption, text, QMessageBox::Ok, parentFor(over));
    if (!details.isEmpty())
        box.setInformativeText(details);
    keepWide(box);
    box.exec();
}

bool BoxMessages::ask(QWidget *over, const QString &caption, const QString &text,
                      DefaultButton defaultButton) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    parentFor(over));
    box.setDefaultButton(defaultButton == DefaultButton::Yes ? QMessageBox::Yes : QMessageBox::No);
    keepWide(box);
    return box.exec() == QMessageBox::Yes;
}

void BoxMessages::beep() {
    QApplication::beep();
}

QString BoxMessages::openFileName(QWidget *over, const QString &caption, const QString &directory,
                                  const QString &filter) {
    return QFileDialog::getOpenFileName(parentFor(over), caption, directory, filter);
}

QString BoxMessages::saveFileName(QWidget *over, const QString &caption, const QString &directory,
                                  const QString &filter) {
    return QFileDialog::getSaveFileName(parentFor(over), caption, directory, filter);
}

bool BoxMessages::openDocument(const QUrl &url) {
    return QDesktopServices::openUrl(url);
}
