// The main window once every window is wired: each menu title shows in the menu bar (none hidden
// behind its overflow arrow), the Printer menu among them.

#include "MainRig.h"
#include "Windows.h"

#include <QMenuBar>
#include <QtTest>

class TestWiring : public QObject {
    Q_OBJECT

private slots:
    void everyMenuTitleShows() {
        MainRig rig;
        wireWindows(*rig.main);
        rig.main->show();
        QCoreApplication::processEvents();
        auto *bar = rig.main->menuBar();
        for (QAction *menu : bar->actions()) {
            if (!menu->isVisible())
                continue;
            const QRect title = bar->actionGeometry(menu);
            QVERIFY2(!title.isEmpty() && bar->rect().contains(title), qPrintable(menu->text()));
        }
        QVERIFY(
            rig.main->findChild<QMenu *>(QStringLiteral("Printer1"))->menuAction()->isVisible());
    }
};

QTEST_MAIN(TestWiring)
#include "tst_wiring.moc"
