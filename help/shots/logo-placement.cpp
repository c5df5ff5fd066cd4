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
    main.readStateBlock(block);
    LogoShare &logo = main.logo();
    logo.previewNumber = logo.nameNumber = 1;
    logo.row = logo.column = 1;
    main.fn().ReadLogoPreview(1, logo.image);
    {
        TLogoToMarkForm placement(main, &main);
        placement.show();
        QApplication::processEvents();
        placement.findChild<QAbstractButton *>(QStringLiteral("BitBtn2"))->click();
        QApplication::processEvents();
        placement.grab().save(out.filePath(QStringLiteral("logo-to-mark.png")));
    }
    logo.column = 1;

    main.readLogoNames();
    // The entries as the reading progress leaves them.
    logo.entries.clear();
    for (int i = 0; i < main.logoNames().count; ++i)
        logo.entries.push_back(LogoNumberAt(main.logoNames(), i));
    TShowAllLogoListForm list(main, &main);
    list.show();
    QApplication::processEvents();
    list.grab().save(out.filePath(QStringLiteral("logos-list.png")));
}
