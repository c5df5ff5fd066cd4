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
template <class Form> std::function<void()> modal(TAutoControl &main) {
    return [&main] {
        Form form(main.hub(), &main);
        form.exec();
    };
}

// A window made anew at every click and shown beside the main window; it goes when it closes.
template <class Form> std::function<void()> beside(TAutoControl &main) {
    return [&main] {
        auto *form = new Form(main.hub(), &main);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
        form->activateWindow();
    };
}
} // namespace

void wireWindows(TAutoControl &main) {
    Hub &hub = main.hub();
    // Made at start, in this order after the main window; they live as its children until the
    // program ends and are shown again and again.
    auto *about = new TAboutBox(&main);
    auto *portForms = new TPortForms(hub, &main);
    auto *textEditor = new TOKHelpRightDlg(hub, &main);
    auto *params = new TParamsForm(hub, &main);
    auto *byteStatus = new TByteStatusForm_(hub, &main);
    auto *hydro = new THydroForm(hub, &main);

    main.bindEntries({"About1", "HelpAbout1"}, [about] { about->exec(); });
    main.bindEntries({"EditCut1"}, [portForms] { portForms->show(); });
    main.bindEntries({"ParamsValue2", "ToolButton20"}, [params] { params->exec(); });
    main.bindEntries({"ByteStatus2", "ToolButton21"}, [byteStatus] { byteStatus->exec(); });
    main.bindEntries({"Parameters1", "ToolButton25"}, [hydro] { hydro->exec(); });
    // The text editor: modal from the fragment menus, modeless from the read-write action. Both
    // read the current cell as the editor becomes active.
    main.bindEntries({"Frag1", "FragEdit2", "WriteTextFragment_", "Fragment1", "ReadTextFragment_"},
                     [textEditor] {
                         if (textEditor->isVisible() && !textEditor->isModal())
                             textEditor->hide();
                         textEditor->exec();
                     });
    const CellEditors editors{[textEditor] {
                                  textEditor->show();
                                  textEditor->raise();
                                  textEditor->activateWindow();
                              },
                              beside<TCounterForm>(main), modal<TTimeForm>(main),
                              modal<TPostDateForm>(main), beside<TSpecFuncForm>(main)};
    main.bindEntries({"FragEdit1", "ToolButton4", "ReadWriteTextAction"}, editors.text);

    // Made anew at every click.
    main.bindEntries({"SetFont", "SetFontSizeAction"}, modal<TSetFontForm>(main));
    main.bindEntries({"Counter1", "Counter2", "ToolButton11", "SetCounterA"}, editors.counter);
    main.bindEntries({"TimeDate1", "TimeDate2", "ToolButton12", "SetTimeA"}, editors.time);
    main.bindEntries({"PostDate1", "PostDate2", "SetPostDateA"}, editors.postDate);
    main.bindEntries({"SpecFuncWrite1", "ToolButton15", "SpecFuncA"}, editors.specFunc);
    main.bindEntries({"SpecFuncRead1", "ScriptReadA"}, beside<TScriptReadForm>(main));
    main.bindEntries({"AutoRunPeriod1"}, beside<TAutoRunPeriodForm>(main));
    // The storage window, in the mode of the entry chosen.
    const auto storage = [&main](int mode) {
        return [&main, mode, open = beside<TMarkNotCusrrent>(main)] {
            main.hub().setStorageMode(mode);
            open();
        };
    };
    main.bindEntries({"MarkRead2", "MarkReadA"}, storage(0));
    main.bindEntries({"Restore1", "ToolButton8", "MarkReadFromStorageA"}, storage(1));
    main.bindEntries({"Store1", "ToolButton5", "MarkWriteToStorageA"}, storage(2));

    wireMarkRead(main);
    wireImageEditor(main);
    wireLogoReadWrite(main);
    wireLogoPlacement(main);
    wireMarkOverview(main, *textEditor, editors);
    wireLineMonitor(main);
    wireLineWindow(main);
    wireAuditWindow(main);
    wireBackup(main);
}
