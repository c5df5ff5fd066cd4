#include "Wiring.h"

#include "KvorMain.h"
#include "LogoToMarkUnit.h"
#include "MarkOverview.h"
#include "NewTextFragmentInsertUnit_1.h"

// The mark overview, made anew at every opening beside the main window, and the editors it opens
// at a cell. The text editor lives from the start and is told its cell; the others are made anew
// and take the cell from the mark share as they are made; the logo placement shows the cell's
// logo at the cell.
void wireMarkOverview(TAutoControl &main, TOKHelpRightDlg &textEditor) {
    main.setWindowOpener(Window::MarkOverview, [&main] {
        auto *overview = new TMarkOverviewForm(main, &main);
        overview->setAttribute(Qt::WA_DeleteOnClose);
        overview->show();
        overview->activateWindow();
    });
    main.setCellEditorOpener([&main, &textEditor](const CellStart &start) {
        Window editor = Window::TextFragmentReadWrite;
        switch (start.kind) {
        case CellKind::Text:
        case CellKind::Other: // the text editor shows it as text
            main.setTextWriteMode(false);
            textEditor.startAt(start.row, start.column);
            main.openWindow(Window::TextFragmentReadWrite);
            return;
        case CellKind::Graphic:
            main.logo().row = start.row;
            main.logo().column = start.column;
            TLogoToMarkForm::openFor(main, &main, start.logoSlot);
            return;
        case CellKind::CounterDown:
        case CellKind::CounterUp:
            editor = Window::Counter;
            break;
        case CellKind::TimeDate:
            editor = Window::Time;
            break;
        case CellKind::PostDate:
            editor = Window::PostDate;
            break;
        case CellKind::SpecFunc:
            editor = Window::SpecFunc;
            break;
        }
        main.mark().startCell = std::pair{start.row, start.column};
        main.openWindow(editor);
        main.mark().startCell.reset(); // taken by the window made, or by none
    });
}
