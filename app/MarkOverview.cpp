#include "Wiring.h"

#include "FormUi.h"
#include "KvorMain.h"
#include "LogoToMarkUnit.h"
#include "MarkOverview.h"
#include "NewTextFragmentInsertUnit_1.h"

// The mark overview, made anew at every opening beside the main window, and the editors it opens
// at a cell. The text editor lives from the start and is told its cell; the others are made anew
// and take the cell from the mark share as they are made; the logo placement shows the cell's
// logo at the cell.
void wireMarkOverview(TAutoControl &main, TOKHelpRightDlg &textEditor, const CellEditors &editors) {
    Hub &hub = main.hub();
    main.bindEntries({"MarkOverview1"}, [&main, &hub] {
        // A window of its own beside the main window, not kept above it over its menus.
        auto *overview = new TMarkOverviewForm(hub, &main);
        overview->setAttribute(Qt::WA_DeleteOnClose);
        overview->setWindowFlag(Qt::Window);
        placeBeside(overview, &main);
        overview->show();
        overview->activateWindow();
    });
    hub.setCellEditorOpener([&main, &hub, &textEditor, editors](const CellStart &start) {
        std::function<void()> editor;
        switch (start.kind) {
        case CellKind::Text:
        case CellKind::Other: // the text editor shows it as text
            textEditor.startAt(start.row, start.column);
            editors.text();
            return;
        case CellKind::Graphic:
            hub.logo().row = start.row;
            hub.logo().column = start.column;
            TLogoToMarkForm::openFor(hub, &main, start.logoSlot);
            return;
        case CellKind::CounterDown:
        case CellKind::CounterUp:
            editor = editors.counter;
            break;
        case CellKind::TimeDate:
            editor = editors.time;
            break;
        case CellKind::PostDate:
            editor = editors.postDate;
            break;
        case CellKind::SpecFunc:
            editor = editors.specFunc;
            break;
        }
        hub.mark().startCell = std::pair{start.row, start.column};
        editor();
        hub.mark().startCell.reset(); // taken by the window made, or by none
    });
}
