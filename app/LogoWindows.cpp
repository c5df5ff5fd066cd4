#include "Wiring.h"

#include "KvorMain.h"
#include "LogoToMarkUnit.h"
#include "LogoViewProgress.h"
#include "ShowAllLogoListFormUnit.h"

#include <QCoreApplication>
#include <QPointer>
#include <memory>

// The logo placement and the logos list. The placement window opens on slot 0 and redraws itself
// in place as the operator steps through the slots. The logos list is read by its progress window,
// which hands over through the logo-view-done message to a new list beside the main window.
void wireLogoPlacement(TAutoControl &main) {
    struct ListWindows {
        QPointer<TLogoViewForm> progress;
        QPointer<TShowAllLogoListForm> list;
    };
    auto windows = std::make_shared<ListWindows>();
    main.setWindowOpener(Window::LogoToMark, [&main] { TLogoToMarkForm::openFor(main, &main, 0); });
    main.setWindowOpener(Window::LogosView, [&main, windows] {
        if (windows->list)
            windows->list->close(); // a new reading, a new list
        TLogoViewForm progress(main, &main);
        windows->progress = &progress;
        progress.exec();
    });
    main.setMessageAction(WindowMessage::LogoViewDone, [&main, windows] {
        if (windows->progress)
            windows->progress->close();
        QCoreApplication::processEvents();
        auto *list = new TShowAllLogoListForm(main, &main);
        list->setAttribute(Qt::WA_DeleteOnClose);
        windows->list = list;
        list->show();
        list->activateWindow();
    });
}
