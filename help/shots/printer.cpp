// The manual's pictures of the Printer menu: the line monitor docked under the main window after
// a few exchanges with the virtual printer, one of them failed, the line window beside it with
// three printers (one not there) compared with a job, the menu itself, and the audit trail's
// window with the changes the pictures made.

#include "AuditWindow.h"
#include "Job.h"
#include "KvorMain.h"
#include "LineMonitor.h"
#include "LineWindow.h"
#include "PrinterRegistry.h"
#include "Windows.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
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

namespace {
// Lets the program run for a while: the background poll and the job report through events.
void runFor(int ms) {
    QEventLoop wait;
    QTimer::singleShot(ms, &wait, &QEventLoop::quit);
    wait.exec();
}
} // namespace

void takeLineWindowPictures(TAutoControl &main, const QDir &out) {
    QTemporaryDir work;
    {
        QSettings settings(main.hub().settingsPath(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Line/JobFolder"), work.filePath(QStringLiteral("jobs")));
        settings.beginGroup(QStringLiteral("Line"));
        settings.beginWriteArray(QStringLiteral("Printers"));
        const QStringList names{"Main", "North", "South"};
        const QStringList devices{"virtual", "virtual:" + work.filePath("north.json"),
                                  "tcp:127.0.0.1:1"};
        for (int i = 0; i < 3; ++i) {
            settings.setArrayIndex(i);
            settings.setValue(QStringLiteral("Name"), names[i]);
            settings.setValue(QStringLiteral("Device"), devices[i]);
            settings.setValue(QStringLiteral("Speed"), 57600);
        }
        settings.endArray();
        settings.endGroup();
    }
    // A job from the main window's printer, which North does not hold yet.
    main.hub().fn().WriteTextFragment(2, 4, "LOT 42");
    backup::Job job;
    backup::takeJob(main.hub().fn(), job, {false, false, false});
    QDir().mkpath(work.filePath(QStringLiteral("jobs")));
    backup::saveJob(work.filePath(QStringLiteral("jobs/changeover.json")), job);

    main.findChild<QAction *>(QStringLiteral("Line1"))->trigger();
    auto *window = main.findChild<TLineWindow *>();
    runFor(1500); // the first look at every printer
    auto *table = window->findChild<QTableWidget *>(QStringLiteral("Printers"));
    for (int row = 0; row < 2; ++row)
        table->item(row, TLineWindow::Name)->setCheckState(Qt::Checked);
    window->findChild<QPushButton *>(QStringLiteral("BtVerify"))->click();
    for (int i = 0; i < 50 && window->jobRunning(); ++i)
        runFor(100);
    const QSize before = main.size();
    main.resize(1280, 600);
    runFor(200);
    main.grab().save(out.filePath(QStringLiteral("line-window.png")));
    window->close();
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

// The audit trail after a morning's changes: a text, its font, the clock, the auto-run period; the
// rows narrowed to the main window's printer.
void takeAuditWindowPictures(TAutoControl &main, const QDir &out) {
    Functions &f = main.hub().fn();
    FragmentReply cell;
    f.ReadFragment(1, 2, cell); // what the cell held is known
    f.WriteTextFragment(1, 2, "LOT 2026-12-07");
    f.SetFont(2, 1, 2);
    f.SetTime("061500");
    f.SetAutoRunPeriod("12");
    main.findChild<QAction *>(QStringLiteral("AuditTrail1"))->trigger();
    auto *window = main.findChild<TAuditWindow *>();
    window->resize(1180, 460);
    runFor(200);
    window->grab().save(out.filePath(QStringLiteral("audit-trail.png")));
    window->close();
}
