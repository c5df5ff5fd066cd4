// The service windows over the virtual printer: the print parameters, the status byte, the
// auto-run period and the ink system, driven through their widgets.

#include "AutoRunPeriodUnit.h"
#include "ByteStatusForm.h"
#include "Hydro.h"
#include "MainRig.h"
#include "ParamsFormUnit.h"
#include "PrinterState.h"
#include "Windows.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
quint8 &parameter(MainRig &rig, char letter) {
    return rig.printer->state().parameters[size_t(printer::parameterIndex(quint8(letter)))];
}

QStringList column(QTreeWidget *list, int c) {
    QStringList values;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        values << list->topLevelItem(i)->text(c);
    return values;
}

// The list read again: a ReadParam for each of the 13.
const QStringList allReads(13, QStringLiteral("ReadParam"));
const QString up = QStringLiteral("IncreaseParam"), down = QStringLiteral("DecreaseParam");
} // namespace

class TestService : public QObject {
    Q_OBJECT

private slots:
    void parameterListShowsWhatThePrinterHolds();
    void stepsAndUndo();
    void failedStepsWhileUndoing();
    void statusByteLampsAndWords();
    void autoRunPeriod();
    void autoRunPeriodFailures();
    void inkSystemButtons();
    void windowsAreWired();
};

void TestService::parameterListShowsWhatThePrinterHolds() {
    MainRig rig;
    rig.main->FormActivate();
    for (int i = 0; i < 13; ++i)
        rig.printer->state().parameters[size_t(i)] = quint8(i == 0 ? 255 : i == 1 ? 0 : 10 * i);
    TParamsForm form(*rig.main);
    rig.mark();
    form.FormActivate();
    auto *list = child<QTreeWidget>(form, "ListView2");
    QCOMPARE(rig.commandNames(), allReads);
    QCOMPARE(column(list, 0).join(','), QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13"));
    QCOMPARE(column(list, 1),
             (QStringList{"Charge\"s correction", "Mark\"s delay", "Drop generation freq",
                          "Vertical size", "Line spacing", "Horizontal size", "Delay multiplier",
                          "Protect drops guant", "Quant. of lines in a mark", "Testing limit",
                          "The point of splitting", "The Step", "The vert. size, gradually"}));
    QCOMPARE(column(list, 2).join(','),
             QStringLiteral("255,0,20,30,40,50,60,70,80,90,100,110,120"));
    QCOMPARE(column(list, 3).join(QString()), QStringLiteral("CDFHJKLQSTUYZ"));
    QVERIFY(list->isColumnHidden(3));
    QVERIFY(child<QTabWidget>(form, "PageControl1")->tabBar()->isHidden());

    // Nothing selected: neither "Ok" nor a double click opens a change.
    rig.mark();
    list->setCurrentItem(nullptr);
    list->clearSelection();
    click(form, "Button3");
    QVERIFY(rig.commandNames().isEmpty());
    QCOMPARE(child<QTabWidget>(form, "PageControl1")->currentWidget()->objectName(),
             QStringLiteral("ParamsMainTabSheet"));

    // A silent printer leaves every value empty, without a message.
    rig.switchOff();
    form.ReadAllParams();
    QCOMPARE(column(list, 2).join(QString()), QString());
    QVERIFY(rig.messages.log.isEmpty());
    list->setCurrentItem(list->topLevelItem(0));
    click(form, "Button3");
    QCOMPARE(rig.messages.log, QStringList{QStringLiteral("Error: ParamsRead Error")});
    QCOMPARE(child<QTabWidget>(form, "PageControl1")->currentWidget()->objectName(),
             QStringLiteral("ParamsMainTabSheet"));
}

void TestService::stepsAndUndo() {
    MainRig rig;
    rig.main->FormActivate();
    parameter(rig, 'H') = 100;
    TParamsForm form(*rig.main);
    form.FormActivate();
    auto *list = child<QTreeWidget>(form, "ListView2");
    auto *value = child<QLineEdit>(form, "Edit1");
    list->setCurrentItem(list->topLevelItem(3)); // "Vertical size", H

    // Three up-steps, then "Cancel": three down-steps of H, then the whole list again.
    rig.mark();
    click(form, "Button3");
    QCOMPARE(child<QGroupBox>(form, "ParamName")->title(), QStringLiteral("Vertical size"));
    QCOMPARE(value->text(), QStringLiteral("100"));
    for (int i = 0; i < 3; ++i)
        click(form, "LogoNumInc");
    QCOMPARE(value->text(), QStringLiteral("103"));
    QCOMPARE(int(parameter(rig, 'H')), 103);
    click(form, "Button4");
    QCOMPARE(rig.commandNames(),
             (QStringList{"ReadParam", up, up, up, down, down, down} + allReads));
    QCOMPARE(int(parameter(rig, 'H')), 100);
    QCOMPARE(list->topLevelItem(3)->text(2), QStringLiteral("100"));
    QVERIFY(rig.messages.log.isEmpty());

    // Down-steps undone by up-steps; "Cancel" without a step sends no step at all.
    list->setCurrentItem(list->topLevelItem(3));
    click(form, "Button3");
    click(form, "LogoNumDec");
    click(form, "LogoNumDec");
    QCOMPARE(value->text(), QStringLiteral("98"));
    rig.mark();
    click(form, "Button4");
    QCOMPARE(rig.commandNames(), (QStringList{up, up} + allReads));
    list->setCurrentItem(list->topLevelItem(3));
    click(form, "Button3");
    rig.mark();
    click(form, "Button4");
    QCOMPARE(rig.commandNames(), allReads);

    // "Ok" keeps the change and lists the value read back from the printer.
    list->setCurrentItem(list->topLevelItem(3));
    click(form, "Button3");
    click(form, "LogoNumInc");
    parameter(rig, 'H') = 42; // the printer has the last word
    click(form, "Button2");
    QCOMPARE(list->topLevelItem(3)->text(2), QStringLiteral("42"));
    QCOMPARE(child<QTabWidget>(form, "PageControl1")->currentWidget()->objectName(),
             QStringLiteral("ParamsMainTabSheet"));

    // Steps clamp at the ends; 255 shows as three digits, 0 as one.
    parameter(rig, 'C') = 254;
    list->setCurrentItem(list->topLevelItem(0));
    click(form, "Button3");
    click(form, "LogoNumInc");
    click(form, "LogoNumInc");
    QCOMPARE(value->text(), QStringLiteral("255"));
    QVERIFY(value->alignment() & Qt::AlignRight);
}

void TestService::failedStepsWhileUndoing() {
    MainRig rig;
    rig.main->FormActivate();
    parameter(rig, 'K') = 50;
    TParamsForm form(*rig.main);
    form.FormActivate();
    auto *list = child<QTreeWidget>(form, "ListView2");
    list->setCurrentItem(list->topLevelItem(5)); // "Horizontal size", K
    click(form, "Button3");
    for (int i = 0; i < 3; ++i)
        click(form, "LogoNumInc");

    // A step that fails shows nothing on the arrows.
    rig.printer->wrongEchoAt(0);
    click(form, "LogoNumInc");
    QCOMPARE(child<QLineEdit>(form, "Edit1")->text(), QStringLiteral("53"));
    QVERIFY(rig.messages.log.isEmpty());

    // While undoing, the first step fails: its message, the list re-read, and the other two steps
    // still go out.
    rig.printer->wrongEchoAt(0);
    rig.mark();
    click(form, "Button4");
    QCOMPARE(rig.messages.log, QStringList{QStringLiteral("Error: ParamsIcrease Error")});
    QCOMPARE(rig.commandNames().count(down), 2);
    QCOMPARE(rig.commandNames().count(QStringLiteral("ReadParam")), 2 * 13);
    QCOMPARE(int(parameter(rig, 'K')), 51);

    // Undoing a decrease names the decrease.
    list->setCurrentItem(list->topLevelItem(5));
    click(form, "Button3");
    click(form, "LogoNumDec");
    rig.switchOff();
    rig.mark();
    click(form, "Button4");
    QCOMPARE(rig.messages.log, QStringList{QStringLiteral("Error: ParamsDecrease Error")});
}

void TestService::statusByteLampsAndWords() {
    MainRig rig;
    TByteStatusForm_ form(*rig.main);
    const auto lit = [&] {
        QStringList on;
        for (const char *lamp : {"R", "G", "B", "PR", "PG", "PB"})
            if (!child<QLabel>(form, lamp)->isHidden())
                on << QString::fromLatin1(lamp);
        return on.join(' ');
    };
    const auto words = [&] {
        QStringList w;
        for (const char *label :
             {"HighVoltUnitStat_label", "UnitOnOff_label", "Head_label", "Mark_label"})
            w << child<QLabel>(form, label)->text();
        return w.join(' ');
    };
    for (const auto &[status, lamps, text] : {std::tuple{0x00, "", "Destroy Off Open No"},
                                              {0xFF, "B PB", "Ok On Close Yes"},
                                              {0x90, "R PG", "Destroy Off Open No"},
                                              {0x65, "G PR", "Destroy On Open Yes"}}) {
        form.showStatus(quint8(status));
        QCOMPARE(lit(), QString::fromLatin1(lamps));
        QCOMPARE(words(), QString::fromLatin1(text));
    }

    // From the printer: high voltage turned on shows in the words.
    rig.main->FormActivate();
    rig.main->fn().HighVoltageTurn();
    rig.mark();
    form.FormActivate();
    QCOMPARE(rig.commandNames(), QStringList{QStringLiteral("ReadByteStatus")});
    const quint8 status = rig.printer->state().statusByte();
    QCOMPARE(child<QLabel>(form, "UnitOnOff_label")->text(),
             QString::fromLatin1(status & 4 ? "On" : "Off"));
    QVERIFY(rig.messages.log.isEmpty());

    // No answer: no lamp, no word from a byte never sent, and a message.
    rig.switchOff();
    form.FormActivate();
    QCOMPARE(lit(), QString());
    QCOMPARE(words(), QStringLiteral("   "));
    QCOMPARE(rig.messages.log, QStringList{QStringLiteral("Error: ByteStatus Read Error")});
}

void TestService::autoRunPeriod() {
    MainRig rig;
    rig.main->FormActivate();
    rig.printer->state().autoRunPeriod = 12;
    rig.printer->state().axl = 300;
    TAutoRunPeriodForm form(*rig.main);
    auto *period = child<QLineEdit>(form, "MarkNum");
    auto *axl = child<QLineEdit>(form, "AL");
    rig.mark();
    form.FormActivate();
    QCOMPARE(rig.commandNames(), (QStringList{"AutoRunStop", "ReadTimeParams"}));
    QCOMPARE(period->text(), QStringLiteral("12"));
    QCOMPARE(axl->text(), QStringLiteral("300"));

    // The period goes out, then it is read back.
    period->setText(QStringLiteral(" 7 "));
    rig.mark();
    click(form, "BtWriteText");
    QCOMPARE(rig.commandNames(),
             (QStringList{"AutoRunStop", "SetAutoRunPeriod", "ReadTimeParams"}));
    QCOMPARE(rig.messages.log, QStringList{QStringLiteral("Information: Ok")});
    QCOMPARE(int(rig.printer->state().autoRunPeriod), 7);
    QCOMPARE(period->text(), QStringLiteral("7"));

    // Refused with a beep and nothing sent.
    for (const char *bad : {"256", "-1", "ab", "   ", ""}) {
        period->setText(QString::fromLatin1(bad));
        rig.mark();
        click(form, "BtWriteText");
        QVERIFY2(rig.commandNames().isEmpty(), bad);
        QCOMPARE(rig.messages.log, QStringList{QStringLiteral("beep")});
    }
}

void TestService::autoRunPeriodFailures() {
    MainRig rig;
    rig.main->FormActivate();
    rig.printer->state().autoRunPeriod = 12;
    TAutoRunPeriodForm form(*rig.main);
    auto *period = child<QLineEdit>(form, "MarkNum");
    auto *axl = child<QLineEdit>(form, "AL");

    // The state block cut short: both edits stay empty.
    rig.printer->shortReply(3);
    form.FormActivate();
    QCOMPARE(rig.messages.log, QStringList{QStringLiteral("Error: AutoRunPeriod Read Error")});
    QCOMPARE(period->text(), QString());
    QCOMPARE(axl->text(), QString());

    // The period write not echoed.
    period->setText(QStringLiteral("9"));
    rig.printer->wrongEchoAt(2); // after the stop's two bytes
    rig.mark();
    click(form, "BtWriteText");
    QCOMPARE(rig.messages.log, QStringList{QStringLiteral("Error: Error")});
    QCOMPARE(int(rig.printer->state().autoRunPeriod), 12);

    // The auto-run never stops: 1000 tries, then nothing is read or written.
    rig.switchOff();
    rig.mark();
    form.FormActivate();
    QCOMPARE(rig.messages.log, QStringList{QStringLiteral("Error: AutoRun Stop Error")});
    int stops = 0, reads = 0;
    for (const auto &b : rig.printer->transcript().bytes()) {
        stops += b.lost && b.value == 0x0B;
        reads += b.lost && b.value == 0x08;
    }
    QCOMPARE(stops, 1000);
    QCOMPARE(reads, 0);
}

void TestService::inkSystemButtons() {
    MainRig rig;
    rig.main->FormActivate();
    rig.main->FormPaint(); // the port is open, as the ink-system read expects
    THydroForm form(*rig.main);
    auto *select = child<QPushButton>(form, "Button1");
    auto *free = child<QPushButton>(form, "Button2");
    auto *read = child<QPushButton>(form, "Button3");
    auto *status = child<QLineEdit>(form, "Edit1");
    QCOMPARE(select->text(), QString());
    QCOMPARE(child<QLineEdit>(form, "Edit2")->text(), QStringLiteral("Edit2"));

    rig.mark();
    click(form, "Button1");
    click(form, "Button2");
    click(form, "Button3");
    QCOMPARE(rig.commandNames(), (QStringList{"KeyboardSelect", "KeyboardOff", "ReadHydroStatus"}));
    QCOMPARE(select->text(), QStringLiteral("select"));
    QCOMPARE(free->text(), QStringLiteral("free"));
    QCOMPARE(read->text(), QStringLiteral("read ok"));
    QCOMPARE(status->text(), QString::fromLatin1(rig.printer->state().hydroStatus()));
    QCOMPARE(status->text().size(), 38);

    // A status cut short shows what arrived.
    rig.printer->shortReply(10);
    click(form, "Button3");
    QCOMPARE(read->text(), QStringLiteral("read not ok"));
    QCOMPARE(status->text(), QString::fromLatin1(rig.printer->state().hydroStatus().left(10)));

    rig.switchOff();
    click(form, "Button1");
    click(form, "Button2");
    QCOMPARE(select->text(), QStringLiteral("not select"));
    QCOMPARE(free->text(), QStringLiteral("not free"));
    QVERIFY(rig.messages.log.isEmpty());

    // The code of Edit2's first character, in the printer's code page.
    auto *text = child<QLineEdit>(form, "Edit2");
    auto *code = child<QLineEdit>(form, "Edit3");
    for (const auto &[in, out] : {std::pair{"A", "65"}, {"Жук", "198"}, {"", ""}}) {
        text->setText(QString::fromUtf8(in));
        click(form, "Button4");
        QCOMPARE(code->text(), QString::fromLatin1(out));
    }
}

void TestService::windowsAreWired() {
    MainRig rig;
    rig.main->FormActivate();
    wireWindows(*rig.main);
    for (const char *name :
         {"ParamsValue2", "ToolButton20", "Parameters1", "AutoRunPeriod1", "EditCut1"})
        QVERIFY2(rig.main->findChild<QAction *>(QString::fromLatin1(name))->isEnabled(), name);

    // "AutoRun Period" makes a new window beside the main window at every click.
    QAction *period = rig.main->findChild<QAction *>(QStringLiteral("AutoRunPeriod1"));
    period->trigger();
    period->trigger();
    const auto forms = rig.main->findChildren<TAutoRunPeriodForm *>();
    QCOMPARE(forms.size(), 2);
    QVERIFY(!forms[0]->isModal() && forms[0]->isVisible());
    for (TAutoRunPeriodForm *form : forms)
        form->close();
    QTRY_COMPARE(rig.main->findChildren<TAutoRunPeriodForm *>().size(), 0);

    // "ParamsValue" shows the parameters modally and lists them as it opens.
    rig.mark();
    QStringList readsWhileOpen;
    QWidget *shown = nullptr;
    onNextModal(
        [&](QWidget *modal) {
            shown = modal;
            readsWhileOpen = rig.commandNames();
            modal->close();
        },
        [&] { return rig.commandNames().size() >= 13; });
    rig.main->findChild<QAction *>(QStringLiteral("ParamsValue2"))->trigger();
    QVERIFY(qobject_cast<TParamsForm *>(shown));
    QCOMPARE(readsWhileOpen, allReads);
}

QTEST_MAIN(TestService)
#include "tst_service.moc"
