#include "Wiring.h"

#include "ClipBrdRead.h"
#include "KvorMain.h"

#include <QCoreApplication>

// The image editor: opened empty from the menu and the tool button (which also chooses the "32"
// text height); made anew to read the clipboard when it asks for that itself.
void wireImageEditor(TAutoControl &main) {
    LogoShare &logo = main.hub().logo();
    const auto openImageEditor = [&main] {
        TClipBrdReadForm editor(main.hub(), &main);
        editor.exec();
    };
    main.bindEntries({"ReadMSWordtext1"}, [&logo, openImageEditor] {
        logo.readAtStart = false;
        openImageEditor();
    });
    main.bindEntries({"ToolButton24"}, [&logo, openImageEditor] {
        logo.readAtStart = false;
        logo.textHeightIndex = TClipBrdReadForm::kScaledIndex;
        openImageEditor();
    });
    main.setMessageAction(kReadClpBoard, [&logo, openImageEditor] {
        logo.readAtStart = true;
        QCoreApplication::processEvents(); // the window that asked closes first
        openImageEditor();
    });
}
