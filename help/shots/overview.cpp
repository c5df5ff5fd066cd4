// The manual's picture of the mark overview: every cell of the virtual printer's first mark, the
// logos named from the names list.

#include "KvorMain.h"
#include "MarkOverview.h"

#include <QApplication>
#include <QDir>

void takeOverviewPictures(TAutoControl &main, const QDir &out) {
    main.hub().readLogoNames();
    TMarkOverviewForm overview(main.hub(), &main);
    overview.show();
    QApplication::processEvents(); // the first read, as the window first shows
    QApplication::processEvents();
    overview.grab().save(out.filePath(QStringLiteral("mark-overview.png")));
}
