// The manual's pictures of the Printer menu: the line monitor docked under the main window after
// a few exchanges with the virtual printer, one of them failed, and the menu itself.

#include "KvorMain.h"
#include "LineMonitor.h"
#include "PrinterRegistry.h"
#include "Windows.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QMenu>
#include <QTimer>

void takeMonitorPictures(TAutoControl &main, const QDir &out) {
    main.findChild<QAction *>(QStringLiteral("LineMonitor1"))->trigger();
    StateBlock block;
    main.hub().readStateBlock(block);
    FragmentReply cell;
    main.hub().fn().ReadFragment(1, 2, cell);
    quint8 status = 0;
    main.hub().fn().ReadByteStatus(status);
    printer::sharedPrinter(QStringLiteral("virtual"))->wrongEchoAt(2); // a failed row
    main.hub().fn().ReadFragment(1, 3, cell);
    QEventLoop wait; // the rows come in batches
    QTimer::singleShot(3 * TLineMonitor::kBatchMs, &wait, &QEventLoop::quit);
    wait.exec();
    const QSize before = main.size();
    main.resize(1180, 420); // every column in view
    QApplication::processEvents();
    QApplication::processEvents();
    main.grab().save(out.filePath(QStringLiteral("line-monitor.png")));
    if (auto *monitor = main.findChild<TLineMonitor *>())
        monitor->close();
    main.resize(before);
}

// The Printer menu open: the overview, back-up and restore, and the line monitor.
void takePrinterMenuPictures(TAutoControl &main, const QDir &out) {
    auto *menu = main.findChild<QMenu *>(QStringLiteral("Printer1"));
    menu->popup(main.mapToGlobal(QPoint(main.width() / 2, 0)));
    QApplication::processEvents();
    menu->grab().save(out.filePath(QStringLiteral("printer-menu.png")));
    menu->hide();
}
