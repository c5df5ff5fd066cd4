#include "Wiring.h"

#include "ClipBrdRead.h"
#include "KvorMain.h"

#include <QCoreApplication>

// The image editor: opened empty from the menu and the tool button (which also chooses the "32"
// text height); made anew to read the clipboard when it asks for that itself.
void wireImageEditor(TAutoControl &main) {
    const auto openImageEditor = [&main] {
        TClipBrdReadForm editor(main, &main);
        editor.exec();
    };
    main.setWindowOpener(Window::ClipboardImport, [&main, openImageEditor] {
        main.logo().readAtStart = false;
        openImageEditor();
    });
    main.setWindowOpener(Window::ClipboardImportScaled, [&main, openImageEditor] {
        main.logo().readAtStart = false;
        main.logo().textHeightIndex = TClipBrdReadForm::kScaledIndex;
        openImageEditor();
    });
    main.setMessageAction(WindowMessage::ReadClpBoard_, [&main, openImageEditor] {
        main.logo().readAtStart = true;
        QCoreApplication::processEvents(); // the window that asked closes first
        openImageEditor();
    });
}
