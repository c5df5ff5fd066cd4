// The main window's menus, tool bar and keys: the entries it runs itself (the direct printer
// commands, the mark configuration, the port choice, help), the table of keys, and the rule that
// every other entry opens a window and stays disabled until the program's wiring binds it.

#include "KvorMain.h"

#include "Artwork.h"
#include "HelpWindow.h"
#include "ui_KvorMain.h"

#include <QDateTime>
#include <QShortcut>

void TAutoControl::bindKey(const QKeySequence &key, QAction *owner) {
    auto *shortcut = new QShortcut(key, this);
    connect(shortcut, &QShortcut::activated, owner, [owner] {
        if (owner->isEnabled())
            owner->trigger();
    });
}

void TAutoControl::command(std::initializer_list<QAction *> entries, bool (Functions::*operation)(),
                           const QString &failure, bool confirm) {
    for (QAction *entry : entries) {
        ownEntries.insert(entry);
        connect(entry, &QAction::triggered, this, [=, this] {
            if (!(h.fn().*operation)())
                h.messages().error(this, failure);
            else if (confirm)
                h.messages().information(this, QStringLiteral("Ok"));
        });
    }
}

void TAutoControl::configMenu(QMenu *menu, QAction *on, QAction *off, int bit,
                              const QString &failure) {
    connect(menu, &QMenu::aboutToShow, this, [=, this] {
        StateBlock block;
        on->setEnabled(true);
        off->setEnabled(true);
        if (!h.readStateBlock(block)) {
            h.messages().error(this, failure);
            return;
        }
        if (block.switches() & (1 << bit))
            off->setEnabled(false);
        else
            on->setEnabled(false);
    });
}

void TAutoControl::markDelete() {
    if (!h.messages().confirmDestructive(this, QStringLiteral("Mark delete. Are You Sure?")))
        return;
    if (h.fn().MarkDelete())
        h.messages().information(this, QStringLiteral("Ok"));
    else
        h.messages().error(this, QStringLiteral("Mark not delete"));
}

void TAutoControl::loadDateTime() {
    const QDateTime now = QDateTime::currentDateTime();
    if (!h.fn().SetTime(now.time().toString(QStringLiteral("hhmmss")).toLatin1()))
        h.messages().error(this, QStringLiteral("Time Set Error"));
    else if (!h.fn().SetDate(now.date().toString(QStringLiteral("ddMMyy")).toLatin1()))
        h.messages().error(this, QStringLiteral("Date Set Error"));
    else
        h.messages().information(this, QStringLiteral("Ok"));
}

void TAutoControl::disableUnboundEntries() {
    for (QAction *entry : findChildren<QAction *>())
        if (!entry->menu() && !entry->isSeparator() && !ownEntries.count(entry))
            entry->setEnabled(false);
}

void TAutoControl::updateEntries() {
    // The Printer menu shows once it has something to offer.
    const auto printerEntries = ui->Printer1->actions();
    ui->Printer1->menuAction()->setVisible(
        std::any_of(printerEntries.begin(), printerEntries.end(),
                    [](QAction *a) { return a->isEnabled() && !a->isSeparator(); }));
    fitToContents();
}

void TAutoControl::wireEntries() {
    Ui::TAutoControl &u = *ui;
    // The entries run here; every other entry opens a window of the layers above.
    const auto own = [this](std::initializer_list<QAction *> entries, auto run) {
        for (QAction *entry : entries) {
            ownEntries.insert(entry);
            connect(entry, &QAction::triggered, this, run);
        }
    };
    // File
    connect(u.Selectport1, &QMenu::aboutToShow, this, &TAutoControl::Selectport1Click);
    own({u.Com11}, [this] { Com11Click(); });
    own({u.Com21}, [this] { Com21Click(); });
    own({u.LoadDateTime1, u.LoadDateTimeA}, [this] { loadDateTime(); });
    own({u.Start1, u.ToolButton14}, [this] { ui->StartA->trigger(); });
    own({u.Stop1}, [this] { ui->StopA->trigger(); });
    command({u.StartA}, &Functions::Start, QStringLiteral("Start Command Error"), false);
    command({u.StopA}, &Functions::Stop, QStringLiteral("Stop Command Error"), false);
    own({u.Exit1, u.FileExit1}, [this] { close(); });
    own({u.Delete1, u.ToolButton9}, [this] { markDelete(); });

    // Mark configuration
    configMenu(u.MirrorHorizontally1, u.MirrorHorizontallyOn1, u.MirrorHorizontallyOff1, 0,
               QStringLiteral(" Read Error"));
    configMenu(u.BreakPointCorrection1, u.BreakPointCorrectionOn1, u.BreakPointCorrectionOff1, 1,
               QStringLiteral(" Read Error"));
    configMenu(u.MirrorVertically1, u.MirrorVerticallyOn1, u.MirrorVerticallyOff1, 2,
               QStringLiteral("Read Error"));
    const QString direction = QStringLiteral("MarkPrintDirection Set Error");
    command({u.MirrorHorizontallyOff1, u.MarkPrintForward1}, &Functions::MarkPrintForward,
            direction);
    command({u.MirrorHorizontallyOn1, u.MarkPrintBack1}, &Functions::MarkPrintBack, direction);
    const QString breakPoint = QStringLiteral("MarkBreakPointCorr On Error");
    command({u.BreakPointCorrectionOn1, u.MarkBreakPointCorrectionOn1},
            &Functions::BreakPointCorrectionOn, breakPoint);
    command({u.BreakPointCorrectionOff1, u.MarkBreakPointCorrectionOff1},
            &Functions::BreakPointCorrectionOff, breakPoint);
    const QString rotate = QStringLiteral("MarkRotateOn Set Error");
    command({u.MirrorVerticallyOn1, u.MarkRotationOn1}, &Functions::MarkRotateOn, rotate);
    command({u.MirrorVerticallyOff1}, &Functions::MarkRotateOff, rotate);

    // Commands
    own({u.AutoRunStop1}, [this] {
        if (h.autoRunStop(this, 1000))
            h.messages().information(this, QStringLiteral("Ok"));
        else
            h.messages().error(this, QStringLiteral("AutoRun Stop Error"));
    });
    command({u.ToolButton16}, &Functions::AutoRunStop, QStringLiteral("AutoRun Stop Error"));
    command({u.RunningNumbersReset1, u.ToolButton17}, &Functions::RunningNumberReset,
            QStringLiteral("RunningNumberReset Error"));
    command({u.PrintStart1}, &Functions::PrintStart, QStringLiteral("PrintStart Error"));
    command({u.HighVoltageTurn1, u.ToolButton18}, &Functions::HighVoltageTurn,
            QStringLiteral("HighVoltageTurn Error"));
    command({u.Reset1}, &Functions::Reset, QStringLiteral("Reset Error"));
    command({u.RunningNumberForward1}, &Functions::RunningNumberForward,
            QStringLiteral("RunningNumberDirectionSet Error"));
    command({u.RunningNumberBack1}, &Functions::RunningNumberBack,
            QStringLiteral("RunningNumberDirectionSet Error"));

    // Help
    own({u.Help2}, [this] { openManual(h.messages(), this); });

    // Keys: one entry receives each key. F1 goes to the text editor of the Tools menu, F9 to the
    // visible "SpecFunc" "Write", Ctrl+X to the port dialog (its only way in), Ctrl+C to the mark
    // delete.
    const std::pair<const char *, QAction *> keys[] = {
        {"F12", u.Start1},          {"F11", u.StopA},         {"F1", u.WriteTextFragment_},
        {"F2", u.SetCounterA},      {"F3", u.SetTimeA},       {"F4", u.SetPostDateA},
        {"F5", u.LogoToMarkAction}, {"F6", u.SetPostDateA},   {"F8", u.ScriptReadA},
        {"F9", u.SpecFuncA},        {"Ctrl+L", u.WriteLogiA}, {"Ctrl+R", u.ReadLogoA},
        {"Ctrl+X", u.EditCut1},     {"Ctrl+Y", u.MarkRead1},  {"Ctrl+Z", u.ReadMSWordtext1},
        {"Ctrl+A", u.Store1},       {"Ctrl+B", u.Restore1},   {"Ctrl+C", u.Delete1},
    };
    for (const auto &[key, owner] : keys)
        bindKey(QKeySequence(QString::fromLatin1(key)), owner);
    // F10 opens the menu bar at its first menu, as on the operator's other programs; each menu
    // title carries its letter for Alt.
    connect(new QShortcut(Qt::Key_F10, this), &QShortcut::activated, this,
            [this] { ui->MainMenu1->setActiveAction(ui->File1->menuAction()); });

    // Pictures for the tool bar, and each button named by what it does, not by its letter.
    for (QAction *a : ui->ToolBar1->actions()) {
        if (a->isSeparator() || a->text().isEmpty())
            continue;
        a->setIcon(toolIcon(a->text().at(0), a->statusTip()));
        if (QWidget *button = ui->ToolBar1->widgetForAction(a))
            button->setAccessibleName(a->statusTip());
    }
}
