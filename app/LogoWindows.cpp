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
    Hub &hub = main.hub();
    auto shown = std::make_shared<QPointer<TLogoReadWriteForm>>();
    const auto openLogoWindow = [&main, &hub, shown] {
        hub.logo().cell = LogoShare::kDefaultCell;
        TLogoReadWriteForm form(hub, &main);
        *shown = &form;
        form.exec();
    };
    main.bindEntries({"LogoLoad1", "ToolButton1", "WriteLogiA"}, [&main, &hub, openLogoWindow] {
        hub.logo().mode = LogoMode::Load;
        const QString file = hub.messages().openFileName(&main, QStringLiteral("Open"),
                                                         QDir::currentPath(), bitmapFilter());
        if (file.isEmpty())
            return;
        hub.logo().pictureFile = file;
        openLogoWindow();
    });
    main.bindEntries({"LogoRead1", "ToolButton2", "ReadLogoA"}, [&hub, openLogoWindow] {
        LogoShare &logo = hub.logo();
        logo.mode = LogoMode::Read;
        logo.image.fill(0x00);
        logo.staging = {};
        logo.image.bytesPerColumn = logo.image.columnCount = 32;
        openLogoWindow();
    });
    main.setMessageAction(kImageNotLoadOK, [shown] {
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
    Hub &hub = main.hub();
    main.bindEntries({"LogoPaste1", "LogoPaste2", "LogoToMarkAction"},
                     [&main, &hub] { TLogoToMarkForm::openFor(hub, &main, 0); });
    const auto logosView = [&main, &hub, windows] {
        if (windows->list)
            windows->list->close(); // a new reading, a new list
        TLogoViewForm progress(hub, &main);
        windows->progress = &progress;
        progress.exec();
    };
    // The menu entry reads the names list first; the tool button shows the list last read.
    main.bindEntries({"LogosView1"}, [&hub, logosView] {
        hub.readLogoNames();
        logosView();
    });
    main.bindEntries({"ToolButton22"}, logosView);
    main.setMessageAction(kLogoViewDone, [&main, &hub, windows] {
        if (windows->progress)
            windows->progress->close();
        QCoreApplication::processEvents();
        auto *list = new TShowAllLogoListForm(hub, &main);
        list->setAttribute(Qt::WA_DeleteOnClose);
        windows->list = list;
        list->show();
        list->activateWindow();
    });
}
