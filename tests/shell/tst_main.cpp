// The main window over the virtual printer, used as an operator uses it: start-up, every direct
// command, the configuration submenus, the port switch, the port dialog and closing.

#include "Devices.h"
#include "HelpWindow.h"
#include "MainRig.h"
#include "PortParams.h"
#include "TestFiles.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTextBrowser>
#include <QtTest>

class TestMain : public QObject {
    Q_OBJECT

private slots:
    void startUpFindsThePrinterAndReadsTheStateBlock() {
        MainRig rig;
        rig.main->show();
        QTRY_VERIFY(rig.main->portReady());
        QVERIFY(rig.messages.log.isEmpty());
        QCOMPARE(rig.hub->fontCount(), 7);
        QCOMPARE(rig.hub->baudName(), QStringLiteral("57600"));
        const QStringList names = rig.commandNames();
        QCOMPARE(names.first(), QStringLiteral("Probe")); // CR at 57600, the first rate tried
        QVERIFY(names.contains(QStringLiteral("ReadTimeParams")));
        QVERIFY(child<QLabel>(*rig.main, "VirtualNotice")->isVisibleTo(rig.main.get()));

        // Every later activation reads the block again; a silent printer keeps the font count.
        rig.switchOff();
        rig.main->FormActivate();
        QCOMPARE(rig.messages.log, QStringList{"Error: TimeParamsRead Error"});
        QCOMPARE(rig.hub->fontCount(), 7);
    }

    void startUpWithoutPrinterEndsTheProgram_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("every attempt") << false;
        // The search goes on for long: after half a second (a clock the test moves) its progress
        // shows, and Cancel ends it as running out of attempts does, with far fewer bytes.
        QTest::newRow("cancelled") << true;
    }

    void startUpWithoutPrinterEndsTheProgram() {
        QFETCH(bool, cancel);
        MainRig rig;
        rig.switchOff();
        const QByteArray settingsBefore = rig.settingsText();
        qint64 now = 0;
        bool shown = false;
        if (cancel) {
            rig.hub->setClock([&now] { return now += 100; });
            cancelNextLongWait(&shown);
        }
        QSignalSpy closed(rig.main.get(), &TAutoControl::closed);
        rig.main->show();
        QTRY_COMPARE(closed.count(), 1);
        QCOMPARE(shown, cancel);
        QCOMPARE(rig.messages.log, QStringList{"Error: Device not found"});
        // Why, each port once, and how to try the program without a printer.
        const QString why = rig.messages.details.value(0);
        QVERIFY2(why.endsWith(QLatin1String("stampline --device virtual")), qPrintable(why));
        const QStringList lines = why.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(QSet<QString>(lines.begin(), lines.end()).size(), lines.size());
        QVERIFY(!rig.main->isVisible());
        QCOMPARE(rig.main->exitStatus(), 1);
        QCOMPARE(rig.settingsText(), settingsBefore);
        // Three searches, each probing the named port and then COM1 at the four rates; the other
        // ports do not open.
        const int probes = lostBytes(rig.printer->transcript(), 0x0D);
        if (cancel) {
            QVERIFY(probes < 3 * 2 * 4);
            return;
        }
        QCOMPARE(probes, 3 * 2 * 4);
        // The box says what was tried and why each failed.
        const QString details = rig.messages.details.value(0);
        for (const QString &tried :
             {QStringLiteral("Com1 (%1): no answer at 57600, 38400, 19200 or 9600 baud")
                  .arg(rig.device),
              QStringLiteral("Com2 (%1): no such device").arg(rig.path("no-such-port"))})
            QVERIFY2(details.contains(tried), qPrintable(details));
    }

    void firstConnectFailing() {
        MainRig rig;
        rig.main->FormActivate();
        QVERIFY(rig.messages.log.isEmpty());
        rig.hub->portState().ports.devices[0] = rig.path(QStringLiteral("unplugged"));
        rig.main->FormPaint();
        QCOMPARE(rig.messages.log, QStringList{"Error: Port Initialization Error"});
        QVERIFY(!rig.main->portReady());
        rig.main->FormPaint(); // only the first paint connects
        QCOMPARE(rig.messages.log.size(), 1);
    }

    void directCommands_data() {
        QTest::addColumn<QString>("entries");
        QTest::addColumn<QString>("commands"); // as the printer names what it received
        QTest::addColumn<bool>("confirms");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("question"); // asked first; answered No, nothing goes out
        const auto row = [](const char *name, const char *entries, const char *command,
                            bool confirms, const char *failure, const char *question = "") {
            QTest::newRow(name) << entries << command << confirms << failure << question;
        };
        row("Start", "StartA Start1 ToolButton14", "Start", false, "Start Command Error");
        row("Stop", "StopA Stop1", "Stop", false, "Stop Command Error");
        row("RunningNumbers Reset", "RunningNumbersReset1 ToolButton17", "RunningNumberReset", true,
            "RunningNumberReset Error");
        row("Print Start", "PrintStart1", "Start", true, "PrintStart Error");
        row("HighVoltage Turn", "HighVoltageTurn1 ToolButton18", "HighVoltageTurn", true,
            "HighVoltageTurn Error");
        row("Reset", "Reset1", "Reset", true, "Reset Error");
        row("RunningNumber Forward", "RunningNumberForward1", "RunningNumberForward", true,
            "RunningNumberDirectionSet Error");
        row("RunningNumber Back", "RunningNumberBack1", "RunningNumberBack", true,
            "RunningNumberDirectionSet Error");
        row("print forward", "MirrorHorizontallyOff1 MarkPrintForward1", "MarkPrintForward", true,
            "MarkPrintDirection Set Error");
        row("print back", "MirrorHorizontallyOn1 MarkPrintBack1", "MarkPrintBack", true,
            "MarkPrintDirection Set Error");
        row("break-point on", "BreakPointCorrectionOn1 MarkBreakPointCorrectionOn1",
            "BreakPointCorrectionOn", true, "MarkBreakPointCorr On Error");
        row("break-point off", "BreakPointCorrectionOff1 MarkBreakPointCorrectionOff1",
            "BreakPointCorrectionOff", true, "MarkBreakPointCorr On Error");
        row("rotate on", "MirrorVerticallyOn1 MarkRotationOn1", "MarkRotateOn", true,
            "MarkRotateOn Set Error");
        row("rotate off", "MirrorVerticallyOff1", "MarkRotateOff", true, "MarkRotateOn Set Error");
        row("AutoRun Stop", "AutoRunStop1 ToolButton16", "AutoRunStop", true, "AutoRun Stop Error");
        row("LoadDateTime", "LoadDateTime1 LoadDateTimeA", "SetTime SetDate", true,
            "Time Set Error");
        row("Mark delete", "Delete1 ToolButton9", "MarkDelete", true, "Mark not delete",
            "Mark delete. Are You Sure?");
    }

    void directCommands() {
        QFETCH(QString, entries);
        QFETCH(QString, commands);
        QFETCH(bool, confirms);
        QFETCH(QString, failure);
        QFETCH(QString, question);
        const QStringList asked =
            question.isEmpty() ? QStringList{} : QStringList{"Question Confirm: " + question};
        MainRig rig;
        rig.main->FormActivate();
        for (const QString &name : entries.split(' ')) {
            rig.mark();
            // The printer tells a stop from a high-voltage turn by whether it runs.
            rig.printer->state().started = commands == QLatin1String("Stop");
            if (!asked.isEmpty()) {
                rig.messages.answers = {false};
                entry(*rig.main, name.toLatin1())->trigger();
                QVERIFY(rig.commandNames().isEmpty());
            }
            entry(*rig.main, name.toLatin1())->trigger();
            QCOMPARE(rig.commandNames(), commands.split(' '));
            QCOMPARE(rig.messages.log,
                     asked + asked + (confirms ? QStringList{"Information: Ok"} : QStringList{}));
            // A question before something is destroyed defaults to No.
            QCOMPARE(rig.messages.defaults,
                     QList<DefaultButton>(2 * asked.size(), DefaultButton::No));
        }
        rig.switchOff();
        for (const QString &name : entries.split(' ')) {
            rig.mark();
            entry(*rig.main, name.toLatin1())->trigger();
            QCOMPARE(rig.messages.log, asked + QStringList{"Error: " + failure});
            QCOMPARE(rig.messages.over.value(0), rig.main.get()); // over the window that asked
        }
    }

    // The window shown and active: the keys reach their entries, and a return from a message box is
    // no activation.
    void keysAndActivationsOfTheShownWindow() {
        MainRig rig;
        rig.main->show();
        QTRY_VERIFY(rig.main->portReady());
        rig.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.main.get()));
        rig.mark();
        QTest::keyClick(rig.main.get(), Qt::Key_F12);
        QTest::keyClick(rig.main.get(), Qt::Key_F11); // the hidden "Stop" still acts
        rig.messages.answers = {false};
        QTest::keyClick(rig.main.get(), Qt::Key_C, Qt::ControlModifier);
        QStringList sent = rig.commandNames();
        sent.removeAll(QStringLiteral("ReadTimeParams")); // state block reads at activations
        QCOMPARE(sent, (QStringList{"Start", "Stop"}));
        QCOMPARE(rig.messages.log, QStringList{"Question Confirm: Mark delete. Are You Sure?"});

        // The menu bar from the keyboard: F10 opens it at its first menu, and every menu title
        // shown carries a letter of its own for Alt, with no blanks to pad it.
        QTest::keyClick(rig.main.get(), Qt::Key_F10);
        QCOMPARE(rig.main->menuBar()->activeAction()->text(), QStringLiteral("&File"));
        rig.main->menuBar()->setActiveAction(nullptr);
        QSet<QChar> letters;
        for (QAction *menu : rig.main->menuBar()->actions()) {
            if (!menu->isVisible())
                continue;
            const QString title = menu->text();
            const qsizetype amp = title.indexOf(QLatin1Char('&'));
            QVERIFY2(amp >= 0 && title == title.trimmed(), qPrintable(title));
            QVERIFY2(!letters.contains(title[amp + 1].toLower()), qPrintable(title));
            letters.insert(title[amp + 1].toLower());
        }
        // Ctrl+X opens the port dialog: no other entry shows it as its key.
        QVERIFY(!entry(*rig.main, "LogosView1")->text().contains(QLatin1String("Ctrl+X")));

        const auto comeBackFrom = [&](QWidget *other) {
            rig.mark();
            other->show();
            other->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(other));
            delete other; // a message box is gone before the window under it is active again
            rig.main->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(rig.main.get()));
        };
        // Closing a box over the window is no return to it: no state block read (with a silent
        // printer a read would fail and show its box again, for ever).
        comeBackFrom(
            new QMessageBox(QMessageBox::Critical, QStringLiteral("Error"), QStringLiteral("x")));
        QVERIFY(rig.commandNames().isEmpty());
        // Coming back from one of the program's own windows is.
        comeBackFrom(new QDialog);
        QCOMPARE(rig.commandNames(), QStringList{"ReadTimeParams"});
    }

    void longWaitsShowProgressAndCancel() {
        // With the printer off "AutoRun Stop" tries 1000 times, unless cancelled: after half a
        // second (a clock the test moves) its progress shows, and Cancel ends it with the same
        // message. Its button tries once.
        MainRig stop;
        stop.main->FormActivate();
        stop.switchOff();
        stop.mark();
        entry(*stop.main, "AutoRunStop1")->trigger();
        QCOMPARE(lostBytes(stop.printer->transcript(), 0x0B), 1000);
        entry(*stop.main, "ToolButton16")->trigger();
        QCOMPARE(lostBytes(stop.printer->transcript(), 0x0B), 1001);
        qint64 now = 0;
        stop.hub->setClock([&now] { return now += 100; });
        stop.mark();
        bool shown = false;
        cancelNextLongWait(&shown);
        entry(*stop.main, "AutoRunStop1")->trigger();
        QVERIFY(shown);
        QCOMPARE(stop.messages.log, QStringList{"Error: AutoRun Stop Error"});
        QVERIFY(lostBytes(stop.printer->transcript(), 0x0B) < 2001);

        // A wait shorter than half a second shows nothing.
        stop.switchOn();
        stop.mark();
        entry(*stop.main, "AutoRunStop1")->trigger();
        QCOMPARE(stop.messages.log, QStringList{"Information: Ok"});
        QVERIFY(!QApplication::activeModalWidget());
    }

    void loadDateTimeSetsThePrinterClock() {
        MainRig rig;
        rig.main->FormActivate();
        rig.printer->state().clockOffsetMs = -40LL * 24 * 3600 * 1000; // the printer's clock is off
        entry(*rig.main, "LoadDateTime1")->trigger();
        const QDateTime clock = rig.printer->state().clock(rig.printer->now());
        QVERIFY(qAbs(QDateTime(clock.date(), clock.time()).secsTo(QDateTime::currentDateTime())) <
                5);

        rig.switchOff();
        entry(*rig.main, "LoadDateTimeA")->trigger();
    }

    void configSubmenusFollowTheSwitches() {
        // After each of the six commands the submenu greys the entry that is in force.
        MainRig rig;
        rig.main->FormActivate();
        struct Menu {
            const char *menu, *on, *off, *failure;
        };
        const Menu menus[] = {
            {"MirrorHorizontally1", "MirrorHorizontallyOn1", "MirrorHorizontallyOff1",
             "Error:  Read Error"},
            {"BreakPointCorrection1", "BreakPointCorrectionOn1", "BreakPointCorrectionOff1",
             "Error:  Read Error"},
            {"MirrorVertically1", "MirrorVerticallyOn1", "MirrorVerticallyOff1",
             "Error: Read Error"},
        };
        for (const Menu &m : menus) {
            auto *menu = child<QMenu>(*rig.main, m.menu);
            QAction *on = entry(*rig.main, m.on), *off = entry(*rig.main, m.off);
            for (QAction *chosen : {on, off, on}) {
                chosen->trigger();
                emit menu->aboutToShow();
                QVERIFY2(!chosen->isEnabled(), m.menu);
                QVERIFY((chosen == on ? off : on)->isEnabled());
            }
        }
        rig.switchOff();
        for (const Menu &m : menus) {
            rig.mark();
            emit child<QMenu>(*rig.main, m.menu)->aboutToShow();
            QCOMPARE(rig.messages.log, QStringList{QString::fromLatin1(m.failure)});
            QVERIFY(entry(*rig.main, m.on)->isEnabled() && entry(*rig.main, m.off)->isEnabled());
        }
    }

    void portSwitchByMenu() {
        MainRig rig;
        rig.main->FormActivate();
        PortState &port = rig.hub->portState();
        QAction *com1 = entry(*rig.main, "Com11"), *com2 = entry(*rig.main, "Com21");
        rig.main->Selectport1Click();
        QVERIFY(!com1->isEnabled() && com2->isEnabled());

        // No printer on COM2: names and settings stay.
        const QByteArray before = rig.settingsText();
        com2->trigger();
        QCOMPARE(rig.messages.log, QStringList{"Error: Port Initialization Error"});
        QCOMPARE(port.portName, QStringLiteral("com1"));
        QCOMPARE(port.baudName, QStringLiteral("57600"));
        QCOMPARE(rig.settingsText(), before);

        // A second printer on COM2: the switch is written as "com" and "Speed".
        const QString second = rig.virtualDevice(QStringLiteral("second.json"));
        port.ports.devices[1] = second;
        rig.mark();
        com2->trigger();
        QVERIFY(rig.messages.log.isEmpty());
        QCOMPARE(port.portName, QStringLiteral("Com2"));
        const QByteArray after = rig.settingsText();
        QVERIFY(after.contains("com=Com2"));
        QVERIFY(after.contains("Speed=57600"));
        QVERIFY(!after.contains("Com=")); // one entry, whatever its letter case
        rig.main->Selectport1Click();
        QVERIFY(com1->isEnabled() && !com2->isEnabled());
        entry(*rig.main, "HighVoltageTurn1")->trigger();
        QCOMPARE(rig.printerOf(second)->transcript().lastCommandName(),
                 QStringLiteral("HighVoltageTurn"));
    }

    void portDialogSavesAndConnects() {
        MainRig rig;
        rig.main->FormActivate();
        const QString second = rig.virtualDevice(QStringLiteral("second.json"));
        rig.hub->portState().ports.devices[2] = second;
        TPortForms dialog(*rig.hub, rig.main.get());
        auto *port = dialog.findChild<QComboBox *>(QStringLiteral("ComPortNum"));
        auto *speed = dialog.findChild<QComboBox *>(QStringLiteral("SpeedCB"));
        dialog.show(); // it shows the port in force
        QCOMPARE(port->currentText(), QStringLiteral("com1"));
        QCOMPARE(speed->currentText(), QStringLiteral("57600"));
        QCOMPARE(speed->count(), 7);
        QCOMPARE(speed->itemText(6), QStringLiteral("57600")); // the rate the search finds first

        // "Выйти" changes nothing.
        dialog.show();
        const QByteArray before = rig.settingsText();
        port->setEditText(QStringLiteral("com3"));
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("Button2")),
                          Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(rig.settingsText(), before);

        dialog.show();
        port->setEditText(QStringLiteral("com3"));
        speed->setEditText(QStringLiteral("57600"));
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("Button1")),
                          Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QVERIFY(rig.settingsText().contains("com=com3"));
        QCOMPARE(rig.hub->portName(), QStringLiteral("com3"));
        entry(*rig.main, "HighVoltageTurn1")->trigger(); // the next command goes to COM3
        QCOMPARE(rig.printerOf(second)->transcript().lastCommandName(),
                 QStringLiteral("HighVoltageTurn"));

        // The menu's choice of another port is what the dialog shows next; on Com3 the menu
        // greys neither of its two entries.
        rig.main->Selectport1Click();
        QVERIFY(entry(*rig.main, "Com11")->isEnabled() && entry(*rig.main, "Com21")->isEnabled());
        rig.hub->portState().ports.devices[1] = second;
        entry(*rig.main, "Com21")->trigger();
        dialog.show();
        QCOMPARE(port->currentText(), QStringLiteral("Com2"));
        QCOMPARE(speed->currentText(), QStringLiteral("57600"));

        // A port whose device is missing: the failed connect says why, over the main window.
        rig.mark();
        port->setEditText(QStringLiteral("com4"));
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("Button1")),
                          Qt::LeftButton);
        QCOMPARE(rig.messages.log.value(0), QStringLiteral("Error: Port Initialization Error"));
        QVERIFY2(rig.messages.details.value(0).contains(QLatin1String("no such device")),
                 qPrintable(rig.messages.details.value(0)));
        QCOMPARE(rig.messages.over.value(0), rig.main.get());
    }

    void closingDeletesWorkingLogoFilesOnly() {
        MainRig rig;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(rig.dir.path()));
        rig.main->close(); // no Logo folder: nothing happens
        QDir().mkdir(QStringLiteral("Logo"));
        for (const char *name : {"Logo/a.logo", "Logo/b.logo", "Logo/tmp.bmp", "c.logo"})
            QVERIFY(writeFile(QString::fromLatin1(name), {}));
        MainRig other;
        QSignalSpy closed(other.main.get(), &TAutoControl::closed);
        other.main->close();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(QDir(QStringLiteral("Logo")).entryList(QDir::Files), QStringList{"tmp.bmp"});
        QVERIFY(QFile::exists(QStringLiteral("c.logo")));
        QDir::setCurrent(previous);
    }

    void windowsAndHelp() {
        MainRig rig;
        QAction *params = entry(*rig.main, "ParamsValue2");
        QVERIFY(!params->isEnabled()); // no window bound yet
        int opened = 0;
        rig.main->bindEntries({"ParamsValue2", "ToolButton20"}, [&] { ++opened; });
        entry(*rig.main, "ToolButton20")->trigger();
        params->trigger();
        QCOMPARE(opened, 2);

        // Hints: the tool buttons' and the menus' own, as the status bar shows them.
        QCOMPARE(entry(*rig.main, "ToolButton4")->statusTip(),
                 QStringLiteral("Text Fragment Read&Write"));
        QCOMPARE(entry(*rig.main, "Exit1")->statusTip(), QStringLiteral("Выход"));
        QCOMPARE(
            rig.main->findChild<QMenu *>(QStringLiteral("Graphics1"))->menuAction()->statusTip(),
            QStringLiteral("LogoReadWrite"));

        entry(*rig.main, "Help2")->trigger();
        QCOMPARE(rig.messages.documents.size(), 1);
        QVERIFY(
            rig.messages.documents.first().toLocalFile().endsWith(QStringLiteral("/help.html")));
        QVERIFY(!rig.main->findChild<HelpWindow *>());

        // With no viewer for it, the manual opens in a window of the program's own, with pictures.
        rig.messages.documentsOpen = false;
        entry(*rig.main, "Help2")->trigger();
        auto *help = rig.main->findChild<HelpWindow *>();
        QVERIFY(help && help->isVisible());
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Stampline")));
        QVERIFY(rig.messages.log.isEmpty());
    }

    void indicatorAndNotices() {
        const auto colour = [](TAutoControl &main) {
            return child<QWidget>(main, "Shape1")->grab().toImage().pixelColor(9, 9);
        };
        const QColor green(0, 128, 0), red(192, 0, 0);
        MainRig rig;
        rig.main->FormActivate();
        QCOMPARE(colour(*rig.main), green);
        rig.switchOff();
        entry(*rig.main, "HighVoltageTurn1")->trigger();
        QCOMPARE(colour(*rig.main), red);
        rig.switchOn();
        entry(*rig.main, "HighVoltageTurn1")->trigger();
        QCOMPARE(colour(*rig.main), green);
        entry(*rig.main, "Com21")->trigger(); // nothing on COM2: the port does not open
        QCOMPARE(colour(*rig.main), red);

        // A damaged virtual printer state is kept aside; the program starts and says so.
        const QString state = rig.path(QStringLiteral("damaged.json"));
        const QString settings = rig.path(QStringLiteral("damaged.dev"));
        QVERIFY(writeFile(state, "{\"format\": \"stampline-virtual-printer-state\", \"mark\""));
        QVERIFY(writeFile(settings,
                          "[PortParams]\nCom=com1\nSpeed=57600\n[PortDevices]\nCOM1=virtual:" +
                              state.toUtf8() + '\n'));
        Recorder messages;
        Hub hub(messages, settings, devices::open);
        TAutoControl main(hub);
        main.FormActivate();
        QVERIFY(messages.log.isEmpty());
        QVERIFY(child<QLabel>(main, "VirtualNotice")
                    ->text()
                    .contains(state + QStringLiteral(".damaged")));
    }

    void boxesAskOverTheirWindowWithSafeDefaults() {
        // The real boxes: each opens over the window that asked; Enter in a question before
        // something is destroyed answers No, in another question Yes.
        BoxMessages boxes;
        QWidget window;
        window.show();
        QWidget *parent = nullptr;
        const auto pressEnter = [&](QWidget *box) {
            parent = box->parentWidget();
            QTest::keyClick(box, Qt::Key_Return);
        };
        onNextModal(pressEnter);
        QVERIFY(!boxes.confirmDestructive(&window, QStringLiteral("Mark delete. Are You Sure?")));
        QCOMPARE(parent, &window);
        onNextModal(pressEnter);
        QVERIFY(boxes.confirm(&window, QStringLiteral("Text was changed. Save?")));
        onNextModal(pressEnter);
        boxes.error(&window, QStringLiteral("Start Command Error"));
        QCOMPARE(parent, &window);
    }
};

QTEST_MAIN(TestMain)
#include "tst_main.moc"
