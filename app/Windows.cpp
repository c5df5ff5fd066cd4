#include "Windows.h"

#include "About.h"
#include "AutoRunPeriodUnit.h"
#include "ByteStatusForm.h"
#include "ClipBrdRead.h"
#include "Hydro.h"
#include "KvorMain.h"
#include "NewTextFragmentInsertUnit_1.h"
#include "ParamsFormUnit.h"
#include "PortParams.h"
#include "SetFontUnit.h"

#include <QCoreApplication>

void wireWindows(TAutoControl &main) {
    // Made at start, in this order after the main window; they live as its children until the
    // program ends and are shown again and again.
    auto *about = new TAboutBox(&main);
    auto *portForms = new TPortForms(main, &main);
    auto *textEditor = new TOKHelpRightDlg(main, &main);
    auto *params = new TParamsForm(main, &main);
    auto *byteStatus = new TByteStatusForm_(main, &main);
    auto *hydro = new THydroForm(main, &main);

    main.setWindowOpener(Window::About, [about] { about->exec(); });
    main.setWindowOpener(Window::PortForms, [portForms] { portForms->show(); });
    main.setWindowOpener(Window::Params, [params] { params->exec(); });
    main.setWindowOpener(Window::ByteStatus, [byteStatus] { byteStatus->exec(); });
    main.setWindowOpener(Window::Hydro, [hydro] { hydro->exec(); });
    // The text editor: modal from the fragment menus, modeless from the read-write action. Both
    // read the current cell as the editor becomes active.
    main.setWindowOpener(Window::TextFragment, [textEditor] {
        if (textEditor->isVisible() && !textEditor->isModal())
            textEditor->hide();
        textEditor->exec();
    });
    main.setWindowOpener(Window::TextFragmentReadWrite, [textEditor] {
        textEditor->show();
        textEditor->raise();
        textEditor->activateWindow();
    });

    // Made anew at every click: modal.
    main.setWindowOpener(Window::SetFont, [&main] {
        TSetFontForm font(main, &main);
        font.exec();
    });

    // The image editor: opened empty from the menu and the tool button (which also chooses the
    // "32" text height); made anew to read the clipboard when it asks for that itself.
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

    // Made anew at every click, beside the main window.
    main.setWindowOpener(Window::AutoRunPeriod, [&main] {
        auto *period = new TAutoRunPeriodForm(main, &main);
        period->setAttribute(Qt::WA_DeleteOnClose);
        period->show();
        period->activateWindow();
    });
}
