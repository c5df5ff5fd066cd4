// The manual's pictures of the image editor and the multi-logo dialog.

#include "ClipBrdRead.h"
#include "KvorMain.h"
#include "ManyLogoNumSelectUnit.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QToolButton>

void takeLogoEditorPictures(TAutoControl &main, const QDir &out) {
    // A line of text on the clipboard, read as the main window has the editor read it.
    QGuiApplication::clipboard()->setText(QStringLiteral("Stampline 2024"));
    main.hub().logo().readAtStart = true;
    main.hub().logo().textHeightIndex = TClipBrdReadForm::kScaledIndex;
    TClipBrdReadForm editor(main.hub(), &main);
    main.hub().logo().readAtStart = false;
    editor.resize(900, 420);
    editor.show();
    QApplication::processEvents();
    editor.grab().save(out.filePath(QStringLiteral("image-editor.png")));

    // Edit mode, part of the band selected.
    editor.findChild<QToolButton *>(QStringLiteral("ToolButton6"))->click();
    editor.band().select(QRect(2, LogoBand::kTop + 4, 24, 20));
    editor.showBand();
    QApplication::processEvents();
    editor.grab().save(out.filePath(QStringLiteral("image-editor-selection.png")));

    TSelectLogosNum logos(main.hub(), editor.band(), &editor);
    logos.show();
    QApplication::processEvents();
    logos.grab().save(out.filePath(QStringLiteral("multi-logo.png")));
}
