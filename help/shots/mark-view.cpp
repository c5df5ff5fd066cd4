// The manual's pictures of the mark read: the progress window part-way, and the mark view of the
// virtual printer's mark with the grid on.

#include "KvorMain.h"
#include "Mark.h"
#include "MarkProgress.h"

#include <QApplication>
#include <QDir>
#include <QProgressBar>

void takeMarkViewPictures(TAutoControl &main, const QDir &out) {
    {
        TMarkProgreesForm progress(main.hub(), &main);
        progress.findChild<QProgressBar *>(QStringLiteral("ProgressBar1"))->setValue(8);
        progress.show();
        QApplication::processEvents();
        progress.grab().save(out.filePath(QStringLiteral("mark-reading.png")));
    }

    // The view as a read leaves it.
    main.hub().fn().ReadMarkImage(main.hub().mark().image);
    const bool grid = main.hub().mark().grid;
    main.hub().mark().grid = true;
    main.hub().mark().redrawRequested = true;
    TMarkForm view(main.hub(), &main);
    view.show();
    view.FormActivate();
    QApplication::processEvents();
    view.grab().save(out.filePath(QStringLiteral("mark-view.png")));
    main.hub().mark().grid = grid;
}
