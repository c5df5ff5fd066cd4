#include "Wiring.h"

#include "BitmapFiles.h"
#include "KvorMain.h"
#include "LogoReadWriteUnit.h"
#include "LogoToMarkUnit.h"
#include "LogoViewProgress.h"
#include "ShowAllLogoListFormUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <memory>

// The logo window: "LogoLoad" turns a chosen picture file into a logo, "LogoRead" starts from a
// blank logo; both at the default zoom, made anew and shown modally. A window whose picture was
// refused asks through ImageNotLoadOK to be closed.
void wireLogoReadWrite(TAutoControl &main) {
    auto shown = std::make_shared<QPointer<TLogoReadWriteForm>>();
    const auto openLogoWindow = [&main, shown] {
        main.logo().cell = LogoShare::kDefaultCell;
        TLogoReadWriteForm form(main, &main);
        *shown = &form;
        form.exec();
    };
    main.setWindowOpener(Window::LogoLoad, [&main, openLogoWindow] {
        main.logo().mode = LogoMode::Load;
        const QString file = main.messages().openFileName(&main, QStringLiteral("Open"),
                                                          QDir::currentPath(), bitmapFilter());
        if (file.isEmpty())
            return;
        main.logo().pictureFile = file;
        openLogoWindow();
    });
    main.setWindowOpener(Window::LogoRead, [&main, openLogoWindow] {
        LogoShare &logo = main.logo();
        logo.mode = LogoMode::Read;
        logo.image.fill(0x00);
        logo.staging = {};
        logo.image.bytesPerColumn = logo.image.columnCount = 32;
        openLogoWindow();
    });
    main.setMessageAction(WindowMessage::ImageNotLoadOK, [shown] {
        if (*shown)
            (*shown)->close();
    });
}

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
