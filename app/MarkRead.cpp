#include "Wiring.h"

#include "KvorMain.h"
#include "Mark.h"
#include "MarkProgress.h"

#include <QCoreApplication>
#include <QPointer>
#include <memory>

// The mark read and its view: the progress window reads and hands over to a new view through
// ShowStamp; a view's "Read" asks through CloseShowStamp to be closed and read again.
void wireMarkRead(TAutoControl &main) {
    struct MarkWindows {
        QPointer<TMarkProgreesForm> progress;
        QPointer<TMarkForm> asking; // the view whose "Read" was pressed
    };
    auto windows = std::make_shared<MarkWindows>();
    Hub &hub = main.hub();
    const auto markRead = [&main, &hub, windows] {
        hub.mark().readRequested = true;
        hub.mark().redrawRequested = true;
        TMarkProgreesForm progress(hub, &main);
        windows->progress = &progress;
        progress.exec();
    };
    const auto closeProgress = [windows] {
        if (windows->progress)
            windows->progress->close();
    };
    main.bindEntries({"MarkRead1", "ToolButton6", "StampRead__"}, markRead);
    main.setMessageAction(kShowStamp, [&main, &hub, windows, closeProgress] {
        if (!hub.mark().valid) {
            // No view takes this read's redraw: an open view must not draw a failed read.
            hub.mark().redrawRequested = false;
            closeProgress();
            return;
        }
        QCoreApplication::processEvents();
        closeProgress();
        hub.mark().valid = false;
        auto *view = new TMarkForm(hub, &main);
        view->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(view, &TMarkForm::readAsked, view,
                         [windows, view] { windows->asking = view; });
        view->show();
        view->activateWindow();
    });
    main.setMessageAction(kCloseShowStamp, [windows, markRead] {
        QCoreApplication::processEvents();
        if (windows->asking)
            windows->asking->close();
        markRead();
    });
}
