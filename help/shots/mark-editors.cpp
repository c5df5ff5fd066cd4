// The manual's pictures of the date/time, post-date and counter dialogs, each over the main window
// on the virtual printer, showing a cell of its own kind.

#include "CounterUnit.h"
#include "KvorMain.h"
#include "SetPostDateUnit.h"
#include "SetTimeUnit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>

namespace {
void press(QWidget &form, const char *name) {
    form.findChild<QAbstractButton *>(QString::fromLatin1(name))->click();
}

void shoot(QWidget &form, const QDir &out, const QString &name) {
    QApplication::processEvents();
    form.grab().save(out.filePath(name + QStringLiteral(".png")));
}

// Shows the dialog and lets its first read run.
void open(QWidget &form) {
    form.show();
    QApplication::processEvents();
}
} // namespace

void takeMarkEditorsPictures(TAutoControl &main, const QDir &out) {
    TTimeForm time(main.hub(), &main);
    open(time);
    press(time, "RowStr"); // 2,1 holds the new printer's date
    shoot(time, out, QStringLiteral("time-form"));
    time.close();

    main.hub().fn().WritePostDateFragment(3, 1, "0030", "DD.MM.YY");
    TPostDateForm postDate(main.hub(), &main);
    open(postDate);
    press(postDate, "RowStr");
    press(postDate, "RowStr"); // 3,1
    shoot(postDate, out, QStringLiteral("post-date-form"));
    postDate.close();

    TCounterForm counter(main.hub(), &main);
    open(counter);
    press(counter, "RowStr");
    press(counter, "BitBtn5");
    press(counter, "BitBtn5"); // 2,3 holds the new printer's counter
    shoot(counter, out, QStringLiteral("counter-form"));
    counter.close();
}
