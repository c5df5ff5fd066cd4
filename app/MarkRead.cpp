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
    const auto markRead = [&main, windows] {
        main.mark().readRequested = true;
        main.mark().redrawRequested = true;
        TMarkProgreesForm progress(main, &main);
        windows->progress = &progress;
        progress.exec();
    };
    const auto closeProgress = [windows] {
        if (windows->progress)
            windows->progress->close();
    };
    main.setWindowOpener(Window::MarkRead, markRead);
    main.setMessageAction(WindowMessage::ShowStamp, [&main, windows, closeProgress] {
        if (!main.mark().valid) {
            // No view takes this read's redraw: an open view must not draw a failed read.
            main.mark().redrawRequested = false;
            closeProgress();
            return;
        }
        QCoreApplication::processEvents();
        closeProgress();
        main.mark().valid = false;
        auto *view = new TMarkForm(main, &main);
        view->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(view, &TMarkForm::readAsked, view,
                         [windows, view] { windows->asking = view; });
        view->show();
        view->activateWindow();
    });
    main.setMessageAction(WindowMessage::CloseShowStamp, [windows, markRead] {
        QCoreApplication::processEvents();
        if (windows->asking)
            windows->asking->close();
        markRead();
    });
}
