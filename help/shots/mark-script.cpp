// The manual's pictures of the special functions, the script and the mark store windows.

#include "KvorMain.h"
#include "NotCurrentMarkReadWriteUnit.h"
#include "ScriptReadUnit.h"
#include "SpecFuncUnit.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTabWidget>

namespace {
void saveShot(QWidget &widget, const QDir &out, const QString &name) {
    widget.show();
    QApplication::processEvents();
    widget.grab().save(out.filePath(name + QStringLiteral(".png")));
}
} // namespace

void takeMarkSpecialPictures(TAutoControl &main, const QDir &out) {
    // A counter in cell 12 from 1 to 500, printed in groups of 3, as the printer then holds it.
    main.hub().fn().WriteSpecFunc("3", "1", "500", "1", "1", "12");

    TSpecFuncForm special(main.hub(), &main);
    special.FormActivate();
    saveShot(special, out, QStringLiteral("script-counter"));
    special.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    saveShot(special, out, QStringLiteral("script-group"));

    TScriptReadForm script(main.hub(), &main);
    script.FormActivate();
    saveShot(script, out, QStringLiteral("script-read"));

    main.hub().setStorageMode(2);
    TMarkNotCusrrent storage(main.hub(), &main);
    storage.show(); // its activation empties the place number
    QApplication::processEvents();
    storage.FormActivate();
    storage.findChild<QLineEdit *>(QStringLiteral("MarkNum"))->setText(QStringLiteral("5"));
    saveShot(storage, out, QStringLiteral("mark-storage"));
}
