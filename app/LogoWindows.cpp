#include "Wiring.h"

#include "KvorMain.h"
#include "LogoReadWriteUnit.h"

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
        const QString file =
            main.messages().openFileName(&main, QStringLiteral("Open"), QDir::currentPath(),
                                         QStringLiteral("Bitmap files (*.bmp)"));
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
