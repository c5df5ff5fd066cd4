#include "HelpWindow.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(const QString &page, QWidget *parent)
    : QDialog(parent), view(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    view->setObjectName(QStringLiteral("HelpText"));
    view->setSearchPaths({QFileInfo(page).absolutePath()});
    // Links within the manual are followed here; others go to the system, which may open them.
    view->setOpenExternalLinks(true);
    view->setSource(QUrl::fromLocalFile(QFileInfo(page).absoluteFilePath()));
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("HelpClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(view);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(760, 640);
}
