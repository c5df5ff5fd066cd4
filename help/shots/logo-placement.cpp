// The manual's pictures of the logo placement window and the logos list, on the virtual printer's
// first state.

#include "KvorMain.h"
#include "LogoToMarkUnit.h"
#include "ShowAllLogoListFormUnit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>

void takeLogoPlacementPictures(TAutoControl &main, const QDir &out) {
    // The ARROW logo over cell 1,2, which holds a text; the font count tells text from logos.
    StateBlock block;
    main.hub().readStateBlock(block);
    LogoShare &logo = main.hub().logo();
    logo.previewNumber = logo.nameNumber = 1;
    logo.row = logo.column = 1;
    main.hub().fn().ReadLogoPreview(1, logo.image);
    {
        TLogoToMarkForm placement(main.hub(), &main);
        placement.show();
        QApplication::processEvents();
        placement.findChild<QAbstractButton *>(QStringLiteral("BitBtn2"))->click();
        QApplication::processEvents();
        placement.grab().save(out.filePath(QStringLiteral("logo-to-mark.png")));
    }
    logo.column = 1;

    main.hub().readLogoNames();
    // The entries as the reading progress leaves them.
    logo.entries.clear();
    for (int i = 0; i < main.hub().logoNames().count; ++i)
        logo.entries.push_back(LogoNumberAt(main.hub().logoNames(), i));
    TShowAllLogoListForm list(main.hub(), &main);
    list.show();
    QApplication::processEvents();
    list.grab().save(out.filePath(QStringLiteral("logos-list.png")));
}
