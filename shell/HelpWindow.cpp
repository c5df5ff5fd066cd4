#include "HelpWindow.h"

#include "Messages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

void openManual(Messages &messages, QWidget *over) {
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QStringList places{QDir::current().filePath(QStringLiteral("help.html")),
                             programDir.filePath(QStringLiteral("help.html")),
                             programDir.filePath(QStringLiteral("../share/stampline/help.html"))};
    const auto found = std::find_if(places.begin(), places.end(),
                                    [](const QString &p) { return QFileInfo::exists(p); });
    if (found == places.end()) {
        messages.error(over, QStringLiteral("help.html is missing"),
                       QStringLiteral("The manual is in none of: %1").arg(places.join(", ")));
        return;
    }
    const QString path = QDir::cleanPath(*found);
    // The system's viewer when there is one; our own window when there is none or it fails.
    if (messages.openDocument(QUrl::fromLocalFile(path)))
        return;
    auto *help = new HelpWindow(path, over);
    help->show();
    help->activateWindow();
}

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
    // Wide enough for the manual's widest picture, as far as the screen allows.
    int widest = 0;
    const QDir images(QFileInfo(page).absolutePath() + QStringLiteral("/images"));
    for (const QString &name : images.entryList({QStringLiteral("*.png")}, QDir::Files))
        widest = qMax(widest, QImageReader(images.filePath(name)).size().width());
    const int room = screen() ? screen()->availableGeometry().width() * 9 / 10 : 1200;
    resize(qMin(room, qMax(760, widest + 80)), 640);
}
