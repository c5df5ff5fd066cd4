#include "Windows.h"

#include "Wiring.h"

#include "About.h"
#include "AutoRunPeriodUnit.h"
#include "ByteStatusForm.h"
#include "CounterUnit.h"
#include "Hydro.h"
#include "KvorMain.h"
#include "NewTextFragmentInsertUnit_1.h"
#include "NotCurrentMarkReadWriteUnit.h"
#include "ParamsFormUnit.h"
#include "PortParams.h"
#include "ScriptReadUnit.h"
#include "SetFontUnit.h"
#include "SetPostDateUnit.h"
#include "SetTimeUnit.h"
#include "SpecFuncUnit.h"

namespace {
// A window made anew at every click and shown modally over the main window.
template <class Form> void openModal(TAutoControl &main) {
    Form form(main, &main);
    form.exec();
}

// A window made anew at every click and shown beside the main window; it goes when it closes.
template <class Form> void openBeside(TAutoControl &main) {
    auto *form = new Form(main, &main);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->show();
    form->activateWindow();
}
} // namespace

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

    // Made anew at every click.
    main.setWindowOpener(Window::SetFont, [&main] { openModal<TSetFontForm>(main); });
    main.setWindowOpener(Window::Time, [&main] { openModal<TTimeForm>(main); });
    main.setWindowOpener(Window::PostDate, [&main] { openModal<TPostDateForm>(main); });
    main.setWindowOpener(Window::AutoRunPeriod, [&main] { openBeside<TAutoRunPeriodForm>(main); });
    main.setWindowOpener(Window::Counter, [&main] { openBeside<TCounterForm>(main); });
    main.setWindowOpener(Window::SpecFunc, [&main] { openBeside<TSpecFuncForm>(main); });
    main.setWindowOpener(Window::ScriptRead, [&main] { openBeside<TScriptReadForm>(main); });
    // The storage window in the mode the main window has just set.
    main.setWindowOpener(Window::MarkStorage, [&main] { openBeside<TMarkNotCusrrent>(main); });

    wireMarkRead(main);
    wireImageEditor(main);
    wireLogoReadWrite(main);
    wireLogoPlacement(main);
    wireMarkOverview(main, *textEditor);
    wireLineMonitor(main);
    wireBackup(main);
}
