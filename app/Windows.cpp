#include "Windows.h"

#include "About.h"
#include "AutoRunPeriodUnit.h"
#include "ByteStatusForm.h"
#include "Hydro.h"
#include "KvorMain.h"
#include "Mark.h"
#include "MarkProgress.h"
#include "NewTextFragmentInsertUnit_1.h"
#include "ParamsFormUnit.h"
#include "PortParams.h"
#include "SetFontUnit.h"

#include <QCoreApplication>
#include <QPointer>
#include <memory>

namespace {
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

    // Made anew at every click: modal.
    main.setWindowOpener(Window::SetFont, [&main] {
        TSetFontForm font(main, &main);
        font.exec();
    });

    // Made anew at every click, beside the main window.
    main.setWindowOpener(Window::AutoRunPeriod, [&main] {
        auto *period = new TAutoRunPeriodForm(main, &main);
        period->setAttribute(Qt::WA_DeleteOnClose);
        period->show();
        period->activateWindow();
    });

    wireMarkRead(main);
}
