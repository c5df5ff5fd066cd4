// Takes the manual's pictures: every window of the program, drawn as the operator sees it, saved
// as PNG files into the folder given as the first argument. scripts/screenshots.sh runs it under a
// virtual X server.

#include "About.h"
#include "AutoRunPeriodUnit.h"
#include "ByteStatusForm.h"
#include "Devices.h"
#include "Hydro.h"
#include "KvorMain.h"
#include "ParamsFormUnit.h"
#include "PortParams.h"
#include "Windows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTreeWidget>

// The pictures of the windows each subsystem adds, taken over the main window on the virtual
// printer (help/shots/).
void takeMarkViewPictures(TAutoControl &main, const QDir &out);
void takeMarkEditorsPictures(TAutoControl &main, const QDir &out);
void takeMarkSpecialPictures(TAutoControl &main, const QDir &out);
void takeOverviewPictures(TAutoControl &main, const QDir &out);
void takeLogoReadwritePictures(TAutoControl &main, const QDir &out);
void takeLogoPlacementPictures(TAutoControl &main, const QDir &out);
void takeLogoEditorPictures(TAutoControl &main, const QDir &out);
void takeMonitorPictures(TAutoControl &main, const QDir &out);
void takeLineWindowPictures(TAutoControl &main, const QDir &out);
void takePrinterMenuPictures(TAutoControl &main, const QDir &out);
void takeAuditWindowPictures(TAutoControl &main, const QDir &out);

namespace {

void save(QWidget &widget, const QDir &dir, const QString &name) {
    widget.show();
    QApplication::processEvents();
    widget.grab().save(dir.filePath(name + QStringLiteral(".png")));
}
} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    QTemporaryDir work;
    const QString settings = work.filePath(QStringLiteral("stampline.dev"));
    QFile file(settings);
    file.open(QIODevice::WriteOnly);
    file.write("[PortParams]\nCom=com1\nSpeed=57600\n[PortDevices]\nCOM1=virtual\n");
    file.close();
    // The changes the pictures make go into an audit trail of their own.
    qputenv("STAMPLINE_AUDIT_DB", QFile::encodeName(work.filePath(QStringLiteral("audit.sqlite"))));

    QuietMessages quiet; // the pictures show no message
    Hub hub(quiet, settings, devices::open);
    TAutoControl main(hub);
    main.skipStartUp(); // no printer search for a picture
    wireWindows(main);
    // Wide enough for every menu, as the manual asks the operator to make it.
    main.resize(qMax(main.width(), main.menuBar()->sizeHint().width()), main.height());
    save(main, out, QStringLiteral("main-window"));

    TAboutBox about(&main);
    save(about, out, QStringLiteral("about"));
    TPortForms port(main.hub(), &main);
    save(port, out, QStringLiteral("port-dialog"));

    TParamsForm params(main.hub());
    params.show();
    params.FormActivate();
    save(params, out, QStringLiteral("parameters"));
    auto *list = params.findChild<QTreeWidget *>(QStringLiteral("ListView2"));
    list->setCurrentItem(list->topLevelItem(3));
    params.OpenParamChange();
    params.LogoNumIncClick();
    save(params, out, QStringLiteral("parameter-change"));

    main.hub().fn().HighVoltageTurn();
    TByteStatusForm_ status(main.hub());
    save(status, out, QStringLiteral("byte-status"));

    TAutoRunPeriodForm period(main.hub());
    period.FormActivate();
    save(period, out, QStringLiteral("autorun-period"));

    THydroForm hydro(main.hub());
    for (const char *button : {"Button1", "Button3", "Button2"})
        hydro.findChild<QAbstractButton *>(QString::fromLatin1(button))->click();
    // A character converted, as the manual shows it.
    hydro.findChild<QLineEdit *>(QStringLiteral("Edit2"))->setText(QStringLiteral("A"));
    hydro.findChild<QAbstractButton *>(QStringLiteral("Button4"))->click();
    save(hydro, out, QStringLiteral("hydro"));

    takeMarkViewPictures(main, out);
    takeMarkEditorsPictures(main, out);
    takeMarkSpecialPictures(main, out);
    takeOverviewPictures(main, out);
    takeLogoReadwritePictures(main, out);
    takeLogoPlacementPictures(main, out);
    takeLogoEditorPictures(main, out);
    takeMonitorPictures(main, out);
    takeLineWindowPictures(main, out);
    takePrinterMenuPictures(main, out);
    takeAuditWindowPictures(main, out);
    return 0;
}
