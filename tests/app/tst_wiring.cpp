// The main window once every window is wired: each entry opens its window as the operator meets
// it, and each menu title shows in the menu bar (none hidden behind its overflow arrow), the
// Printer menu among them.

#include "MainRig.h"
#include "Windows.h"

#include <QDeadlineTimer>
#include <QMenuBar>
#include <QtTest>

namespace {
enum Kind { Modal, Kept, Beside, KeptBeside };

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
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("reads"); // what a kept window reads as it opens
        const std::tuple<const char *, const char *, Kind> rows[] = {
            {"Counter1", "TCounterForm", Beside},
            {"ToolButton11", "TCounterForm", Beside},
            {"TimeDate1", "TTimeForm", Modal},
            {"PostDate1", "TPostDateForm", Modal},
            {"SpecFuncA", "TSpecFuncForm", Beside},
            {"ToolButton15", "TSpecFuncForm", Beside},
            {"ScriptReadA", "TScriptReadForm", Beside},
            {"Store1", "TMarkNotCusrrent", Beside},
            {"Restore1", "TMarkNotCusrrent", Beside},
            {"AutoRunPeriod1", "TAutoRunPeriodForm", Beside},
            {"ParamsValue2", "TParamsForm", Kept},
            {"ToolButton20", "TParamsForm", Kept},
            {"Parameters1", "THydroForm", Kept},
            {"LogoRead1", "TLogoReadWriteForm", Modal},
            {"ReadLogoA", "TLogoReadWriteForm", Modal},
            {"LogoPaste1", "TLogoToMarkForm", Modal},
            {"LogoToMarkAction", "TLogoToMarkForm", Modal},
            {"EditCut1", "TPortForms", KeptBeside},
        };
        for (const auto &[entry, form, kind] : rows)
            QTest::newRow(entry) << QByteArray(form) << int(kind)
                                 << (QByteArray(form) == "TParamsForm"
                                         ? QStringList(13, QStringLiteral("ReadParam"))
                                         : QStringList());
    }

    // A modal window is made anew and gone once closed; a kept one reads as it opens and stays
    // for the next time; a window beside the main window is a new one at every click and goes
    // when it closes.
    void entryOpensItsWindow() {
        QFETCH(QByteArray, form);
        QFETCH(int, kind);
        QFETCH(QStringList, reads);
        MainRig rig;
        rig.main->FormActivate();
        wireWindows(*rig.main);
        QAction *opens = entry(*rig.main, QTest::currentDataTag());
        QVERIFY(opens->isEnabled());
        rig.mark();
        if (kind == Modal || kind == Kept) {
            QByteArray shown;
            QStringList readWhileOpen;
            onNextModal(
                [&](QWidget *window) {
                    shown = window->metaObject()->className();
                    readWhileOpen = rig.commandNames();
                    window->close();
                },
                [&, given = QDeadlineTimer(5000)] {
                    return rig.commandNames().size() >= reads.size() || given.hasExpired();
                });
            opens->trigger();
            QCOMPARE(shown, form);
            if (kind == Kept)
                QCOMPARE(readWhileOpen, reads);
        } else if (kind == Beside) {
            opens->trigger();
            opens->trigger();
            const QList<QWidget *> forms = windowsOf(*rig.main, form);
            QCOMPARE(forms.size(), 2);
            QVERIFY(!forms[0]->isModal() && forms[0]->isVisible());
            click(*forms[0], "CancelBtn");
            forms[1]->close();
        } else {
            opens->trigger();
            QVERIFY(windowsOf(*rig.main, form).value(0)->isVisible());
            return;
        }
        if (kind == Kept)
            QCOMPARE(windowsOf(*rig.main, form).size(), 1);
        else
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
