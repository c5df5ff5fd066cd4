// The main window once every window is wired: each entry opens its window as the operator meets
// it, and each menu title shows in the menu bar (none hidden behind its overflow arrow), the
// Printer menu among them.

#include "MainRig.h"
#include "Windows.h"

#include <QMenuBar>
#include <QtTest>

namespace {
// The main window's windows of the class named `form`.
QList<QWidget *> windowsOf(const TAutoControl &main, const QByteArray &form) {
    QList<QWidget *> found = main.findChildren<QWidget *>();
    found.removeIf([&](const QWidget *w) { return form != w->metaObject()->className(); });
    return found;
}
} // namespace

class TestWiring : public QObject {
    Q_OBJECT

private slots:
    void entryOpensItsWindow_data() {
        QTest::addColumn<QByteArray>("form");
        QTest::addColumn<bool>("modal");
        const std::tuple<const char *, const char *, bool> rows[] = {
            {"Counter1", "TCounterForm", false},       {"ToolButton11", "TCounterForm", false},
            {"TimeDate1", "TTimeForm", true},          {"PostDate1", "TPostDateForm", true},
            {"SpecFuncA", "TSpecFuncForm", false},     {"ToolButton15", "TSpecFuncForm", false},
            {"ScriptReadA", "TScriptReadForm", false}, {"Store1", "TMarkNotCusrrent", false},
            {"Restore1", "TMarkNotCusrrent", false},
        };
        for (const auto &[entry, form, modal] : rows)
            QTest::newRow(entry) << QByteArray(form) << modal;
    }

    // A modal window is made anew and gone once closed; a window beside the main window is a new
    // one at every click and goes when it closes.
    void entryOpensItsWindow() {
        QFETCH(QByteArray, form);
        QFETCH(bool, modal);
        MainRig rig;
        rig.main->FormActivate();
        wireWindows(*rig.main);
        QAction *opens = entry(*rig.main, QTest::currentDataTag());
        QVERIFY(opens->isEnabled());
        if (modal) {
            QByteArray shown;
            onNextModal([&](QWidget *window) {
                shown = window->metaObject()->className();
                window->close();
            });
            opens->trigger();
            QCOMPARE(shown, form);
        } else {
            opens->trigger();
            opens->trigger();
            const QList<QWidget *> forms = windowsOf(*rig.main, form);
            QCOMPARE(forms.size(), 2);
            QVERIFY(!forms[0]->isModal() && forms[0]->isVisible());
            click(*forms[0], "CancelBtn");
            forms[1]->close();
        }
        QTRY_VERIFY(windowsOf(*rig.main, form).isEmpty());
    }

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
