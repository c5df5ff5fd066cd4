#include "Wiring.h"

#include "KvorMain.h"
#include "LineMonitor.h"

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
