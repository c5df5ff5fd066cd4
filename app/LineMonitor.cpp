#include "Wiring.h"

#include "AuditWindow.h"
#include "KvorMain.h"
#include "LineMonitor.h"
#include "LineWindow.h"

// The line monitor, docked under the main window at its first opening and kept with its rows;
// it listens to the printer's operations only while it is open.
void wireLineMonitor(TAutoControl &main) {
    main.bindEntries({"LineMonitor1"}, [&main] {
        auto *monitor = main.findChild<TLineMonitor *>();
        if (!monitor) {
            monitor = new TLineMonitor(main.hub(), &main);
            main.addDockWidget(Qt::BottomDockWidgetArea, monitor);
        }
        monitor->open();
    });
}

// The line window, docked under the main window at its first opening; it keeps its rows fresh
// only while it is open.
void wireLineWindow(TAutoControl &main) {
    main.bindEntries({"Line1"}, [&main] {
        auto *window = main.findChild<TLineWindow *>();
        if (!window) {
            window = new TLineWindow(main.hub(), &main);
            main.addDockWidget(Qt::BottomDockWidgetArea, window);
        }
        window->open();
    });
}

// The audit trail's window, a window of its own over the main window.
void wireAuditWindow(TAutoControl &main) {
    main.bindEntries({"AuditTrail1"}, [&main] {
        auto *window = main.findChild<TAuditWindow *>();
        if (!window)
            window = new TAuditWindow(main.hub(), &main);
        window->open();
    });
}
