// The idle program: the main window on the built-in virtual printer with every window of the
// program open at once, offscreen, and an event filter on the application counting every timer
// event delivered while nobody does anything. Windows the program shows modally are made the same
// way and shown beside the others, so that all of them are open together.
//
//   bench_idle [SECONDS]   (default 5)

#include "BenchReport.h"
#include "ClipBrdRead.h"
#include "Devices.h"
#include "Hub.h"
#include "KvorMain.h"
#include "LogoReadWriteUnit.h"
#include "Messages.h"
#include "SetFontUnit.h"
#include "SetPostDateUnit.h"
#include "SetTimeUnit.h"
#include "Windows.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMap>
#include <QTemporaryDir>
#include <QTimerEvent>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

// Every event delivered in the main thread, and the timer events by receiver.
class TimerCount : public QObject {
public:
    int timers = 0;
    int events = 0;
    QMap<QString, int> receivers; // class and object name: timer events

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        ++events;
        if (event->type() == QEvent::Timer) {
            ++timers;
            ++receivers[QStringLiteral("%1 \"%2\"")
                            .arg(QLatin1String(watched->metaObject()->className()),
                                 watched->objectName())];
        }
        return false;
    }
};

// Runs the event loop for `ms` without a timer of its own: another thread ends it.
void idleFor(int ms) {
    QEventLoop loop;
    std::thread ender([&loop, ms] {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    ender.join();
}

struct Idle {
    int timers = 0;
    int events = 0;
    QStringList receivers; // "count × class \"object\""
    double cpuMs = 0;
};

// The events of `seconds` of idling, counted by a filter on the application.
Idle idle(int seconds) {
    TimerCount count;
    qApp->installEventFilter(&count);
    const double cpu0 = bench::processCpuMs();
    idleFor(seconds * 1000);
    Idle i;
    i.cpuMs = bench::processCpuMs() - cpu0;
    qApp->removeEventFilter(&count);
    i.timers = count.timers;
    i.events = count.events;
    for (auto it = count.receivers.cbegin(); it != count.receivers.cend(); ++it)
        i.receivers << QStringLiteral("%1 × %2").arg(it.value()).arg(it.key());
    return i;
}

void report(const QString &name, const Idle &i, const QStringList &shown,
            const QStringList &missing, int seconds) {
    bench::note(
        QStringLiteral("idle program: %1 windows and docks shown (%2)%3; over %4 s an event filter "
                       "on the application saw %5 events, %6 of them timer events%7; "
                       "%8 ms of CPU")
            .arg(shown.size())
            .arg(shown.join(QStringLiteral(", ")),
                 missing.isEmpty()
                     ? QString()
                     : QStringLiteral(" (not opened: %1)").arg(missing.join(QStringLiteral(", "))))
            .arg(seconds)
            .arg(i.events)
            .arg(i.timers)
            .arg(i.receivers.isEmpty()
                     ? QString()
                     : QStringLiteral(": ") + i.receivers.join(QStringLiteral(", ")),
                 bench::number(i.cpuMs, 1)));
    bench::figure(name, QString::number(i.timers), QStringLiteral("0"), i.timers == 0);
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 5;
    const QString name =
        QStringLiteral("Timers firing in the idle program, every window open (%1 s)").arg(seconds);
    // A window that never comes back (a modal one waiting for an answer) would hang the run.
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(120));
        std::fputs("bench_idle: the windows did not open within 120 s\n", stderr);
        std::_Exit(1);
    }).detach();

    QTemporaryDir folder;
    QuietMessages messages;
    Hub hub(messages, folder.filePath(QStringLiteral("stampline.dev")), devices::open);
    hub.useDevice(QStringLiteral("virtual:") + folder.filePath(QStringLiteral("state.json")));
    TAutoControl main(hub);
    wireWindows(main);
    main.show();
    QElapsedTimer clock;
    clock.start();
    while (!main.portReady() && clock.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (!main.portReady()) {
        bench::figure(name, QStringLiteral("no printer"), QStringLiteral("0"), false);
        return 1;
    }

    // The windows beside the main window, opened as the operator opens them.
    QStringList opened, missing;
    for (const char *entry :
         {"FragEdit1", "Counter1", "SpecFuncWrite1", "SpecFuncRead1", "AutoRunPeriod1", "Restore1",
          "MarkOverview1", "LineMonitor1", "EditCut1", "MarkRead1", "LogosView1"}) {
        auto *action = main.findChild<QAction *>(QLatin1String(entry));
        if (action && action->isEnabled()) {
            action->trigger();
            opened << QLatin1String(entry);
        } else {
            missing << QLatin1String(entry);
        }
        QApplication::processEvents();
    }
    // The windows made at start and shown modally (the about box, the parameters, the status
    // byte, the ink system), shown beside the others instead.
    for (QDialog *dialog : main.findChildren<QDialog *>(Qt::FindDirectChildrenOnly))
        if (!dialog->isVisible())
            dialog->show();
    // Those made anew at each click and shown modally, the same way.
    TSetFontForm font(hub, &main);
    auto time = std::make_unique<TTimeForm>(hub, &main);
    TPostDateForm postDate(hub, &main);
    TLogoReadWriteForm logo(hub, &main);
    TClipBrdReadForm imageEditor(hub, &main);
    for (QDialog *dialog :
         std::initializer_list<QDialog *>{&font, time.get(), &postDate, &logo, &imageEditor})
        dialog->show();
    // Whatever they started at their opening (reads of the printer, first layouts) settles.
    idleFor(1500);

    QStringList shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown << QLatin1String(w->metaObject()->className());
    for (QDockWidget *dock : main.findChildren<QDockWidget *>()) // docked under the main window
        if (dock->isVisible())
            shown << QLatin1String(dock->metaObject()->className());
    const Idle all = idle(seconds);
    report(name, all, shown, missing, seconds);
    // The date/time window shows the printer's clock running, a tick a second while it is open:
    // the same again with that window closed (the program makes it anew at each opening and
    // destroys it at its closing).
    time.reset();
    QApplication::processEvents();
    shown.removeOne(QStringLiteral("TTimeForm"));
    report(QStringLiteral("Timers firing in the idle program, every window open but the "
                          "date/time window (%1 s)")
               .arg(seconds),
           idle(seconds), shown, missing, seconds);
    return 0;
}
