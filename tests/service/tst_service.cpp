// The service windows over the virtual printer: the print parameters, the status byte, the
// auto-run period and the ink system, driven through their widgets.

#include "AutoRunPeriodUnit.h"
#include "ByteStatusForm.h"
#include "Hydro.h"
#include "MainRig.h"
#include "ParamsFormUnit.h"
#include "PrinterState.h"

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

// The parameters window over a main window that found its printer.
struct Params {
    MainRig rig;
    TParamsForm form{*rig.hub};
    QTreeWidget *list = child<QTreeWidget>(form, "ListView2");
    QLineEdit *value = child<QLineEdit>(form, "Edit1");

    Params() { rig.main->FormActivate(); }
    // Opens the change of a row's parameter, as "Ok" under the list does.
    void change(int row) {
        list->setCurrentItem(list->topLevelItem(row));
        click(form, "Button3");
    }
    QString page() const {
        return child<QTabWidget>(form, "PageControl1")->currentWidget()->objectName();
    }
};
} // namespace

class TestService : public QObject {
    Q_OBJECT

private slots:
    void parameterListShowsWhatThePrinterHolds();
    void stepsAndUndo();
    void failedStepsWhileUndoing();
    void statusByteLampsAndWords();
    void autoRunPeriod();
    void inkSystemButtons();
};

void TestService::parameterListShowsWhatThePrinterHolds() {
    Params p;
    for (int i = 0; i < 13; ++i)
        p.rig.printer->state().parameters[size_t(i)] = quint8(i == 0 ? 255 : i == 1 ? 0 : 10 * i);
    p.rig.mark();
    p.form.FormActivate();
    QCOMPARE(p.rig.commandNames(), allReads);
    QCOMPARE(column(p.list, 0).join(','), QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13"));
    QCOMPARE(column(p.list, 2).join(','),
             QStringLiteral("255,0,20,30,40,50,60,70,80,90,100,110,120"));
    QCOMPARE(column(p.list, 3).join(QString()), QStringLiteral("CDFHJKLQSTUYZ"));
    QVERIFY(p.list->isColumnHidden(3));
    QVERIFY(child<QTabWidget>(p.form, "PageControl1")->tabBar()->isHidden());

    // Nothing selected: neither "Ok" nor a double click opens a change.
    p.rig.mark();
    p.list->setCurrentItem(nullptr);
    p.list->clearSelection();
    click(p.form, "Button3");
    QVERIFY(p.rig.commandNames().isEmpty());
    QCOMPARE(p.page(), QStringLiteral("ParamsMainTabSheet"));

    // Cancel on the list's long wait ends the reads where they are.
    qint64 now = 0;
    p.rig.hub->setClock([&now] { return now += 100; });
    bool shown = false;
    cancelNextLongWait(&shown);
    p.rig.mark();
    p.form.ReadAllParams();
    QVERIFY(shown);
    QVERIFY(p.rig.commandNames().size() < 13);
    QCOMPARE(p.list->topLevelItemCount(), 13);
    p.rig.hub->setClock({});

    // A silent printer leaves every value empty, without a message.
    p.rig.switchOff();
    p.form.ReadAllParams();
    QCOMPARE(column(p.list, 2).join(QString()), QString());
    QVERIFY(p.rig.messages.log.isEmpty());
    p.change(0);
    QCOMPARE(p.rig.messages.log, QStringList{"Error: ParamsRead Error"});
    QCOMPARE(p.page(), QStringLiteral("ParamsMainTabSheet"));
}

void TestService::stepsAndUndo() {
    Params p;
    parameter(p.rig, 'H') = 100;
    p.form.FormActivate();

    // Three up-steps of "Vertical size", then "Cancel": three down-steps of H, then the whole
    // list again.
    p.rig.mark();
    p.change(3);
    QCOMPARE(child<QGroupBox>(p.form, "ParamName")->title(), QStringLiteral("Vertical size"));
    QCOMPARE(p.value->text(), QStringLiteral("100"));
    for (int i = 0; i < 3; ++i)
        click(p.form, "LogoNumInc");
    QCOMPARE(p.value->text(), QStringLiteral("103"));
    QCOMPARE(int(parameter(p.rig, 'H')), 103);
    click(p.form, "Button4");
    QCOMPARE(p.rig.commandNames(),
             (QStringList{"ReadParam", up, up, up, down, down, down} + allReads));
    QCOMPARE(int(parameter(p.rig, 'H')), 100);
    QCOMPARE(p.list->topLevelItem(3)->text(2), QStringLiteral("100"));
    QVERIFY(p.rig.messages.log.isEmpty());

    // Down-steps undone by up-steps; "Cancel" without a step sends no step at all.
    p.change(3);
    click(p.form, "LogoNumDec");
    click(p.form, "LogoNumDec");
    QCOMPARE(p.value->text(), QStringLiteral("98"));
    p.rig.mark();
    click(p.form, "Button4");
    QCOMPARE(p.rig.commandNames(), (QStringList{up, up} + allReads));
    p.change(3);
    p.rig.mark();
    click(p.form, "Button4");
    QCOMPARE(p.rig.commandNames(), allReads);

    // "Ok" keeps the change and lists the value read back from the printer.
    p.change(3);
    click(p.form, "LogoNumInc");
    parameter(p.rig, 'H') = 42; // the printer has the last word
    click(p.form, "Button2");
    QCOMPARE(p.list->topLevelItem(3)->text(2), QStringLiteral("42"));
    QCOMPARE(p.page(), QStringLiteral("ParamsMainTabSheet"));

    // Steps clamp at the ends; 255 shows as three digits, 0 as one.
    parameter(p.rig, 'C') = 254;
    p.change(0);
    click(p.form, "LogoNumInc");
    click(p.form, "LogoNumInc");
    QCOMPARE(p.value->text(), QStringLiteral("255"));
    QVERIFY(p.value->alignment() & Qt::AlignRight);
}

void TestService::failedStepsWhileUndoing() {
    Params p;
    parameter(p.rig, 'K') = 50;
    p.form.FormActivate();
    p.change(5); // "Horizontal size", K
    for (int i = 0; i < 3; ++i)
        click(p.form, "LogoNumInc");

    // While undoing, the first step fails: the undo ends there with one message (no step after
    // it), and the list is read again once.
    p.rig.printer->wrongEchoAt(0);
    p.rig.mark();
    click(p.form, "Button4");
    QCOMPARE(p.rig.messages.log, QStringList{"Error: ParamsIcrease Error"});
    QCOMPARE(p.rig.commandNames().count(down), 0);
    QCOMPARE(p.rig.commandNames().count(QStringLiteral("ReadParam")), 13);
    QCOMPARE(int(parameter(p.rig, 'K')), 53);

    // Cancel on the undo's long wait ends it where it is: no step after it, no message.
    p.change(5);
    for (int i = 0; i < 20; ++i)
        click(p.form, "LogoNumInc");
    qint64 now = 0;
    p.rig.hub->setClock([&now] { return now += 100; }); // the wait shows after a few steps
    bool shown = false;
    cancelNextLongWait(&shown);
    p.rig.mark();
    click(p.form, "Button4");
    QVERIFY(shown);
    const int undone = int(p.rig.commandNames().count(down));
    QVERIFY(undone > 0 && undone < 20);
    QCOMPARE(int(parameter(p.rig, 'K')), 73 - undone);
    QVERIFY(p.rig.messages.log.isEmpty());
    p.rig.hub->setClock({});

    // Undoing a decrease names the decrease.
    p.change(5);
    click(p.form, "LogoNumDec");
    p.rig.switchOff();
    p.rig.mark();
    click(p.form, "Button4");
    QCOMPARE(p.rig.messages.log, QStringList{"Error: ParamsDecrease Error"});
}

void TestService::statusByteLampsAndWords() {
    MainRig rig;
    TByteStatusForm_ form(*rig.hub);
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
    rig.hub->fn().HighVoltageTurn();
    rig.mark();
    form.FormActivate();
    QCOMPARE(rig.commandNames(), QStringList{"ReadByteStatus"});
    const quint8 status = rig.printer->state().statusByte();
    QCOMPARE(child<QLabel>(form, "UnitOnOff_label")->text(),
             QString::fromLatin1(status & 4 ? "On" : "Off"));
    QVERIFY(rig.messages.log.isEmpty());

    // No answer: no lamp, no word from a byte never sent, and a message.
    rig.switchOff();
    form.FormActivate();
    QCOMPARE(lit(), QString());
    QCOMPARE(words(), QStringLiteral("   "));
    QCOMPARE(rig.messages.log, QStringList{"Error: ByteStatus Read Error"});
}

void TestService::autoRunPeriod() {
    MainRig rig;
    rig.main->FormActivate();
    rig.printer->state().autoRunPeriod = 12;
    rig.printer->state().axl = 300;
    TAutoRunPeriodForm form(*rig.hub);
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
    QCOMPARE(rig.messages.log, QStringList{"Information: Ok"});
    QCOMPARE(int(rig.printer->state().autoRunPeriod), 7);
    QCOMPARE(period->text(), QStringLiteral("7"));

    // Refused with a beep and nothing sent; what the field takes shows where one looks.
    for (const char *bad : {"256", "-1", "ab", "   ", ""}) {
        period->setText(QString::fromLatin1(bad));
        rig.mark();
        click(form, "BtWriteText");
        QVERIFY2(rig.commandNames().isEmpty(), bad);
        QCOMPARE(rig.messages.log, QStringList{"beep"});
        QCOMPARE(period->toolTip(), QStringLiteral("0 to 255 tenths of a second"));
    }

    // The state block cut short: both edits are emptied.
    rig.printer->shortReply(3);
    rig.mark();
    form.FormActivate();
    QCOMPARE(rig.messages.log, QStringList{"Error: AutoRunPeriod Read Error"});
    QCOMPARE(period->text(), QString());
    QCOMPARE(axl->text(), QString());

    // The auto-run never stops: 1000 tries, then nothing is read or written.
    rig.switchOff();
    rig.mark();
    form.FormActivate();
    QCOMPARE(rig.messages.log, QStringList{"Error: AutoRun Stop Error"});
    QCOMPARE(lostBytes(rig.printer->transcript(), 0x0B), 1000);
    QCOMPARE(lostBytes(rig.printer->transcript(), 0x08), 0);
}

void TestService::inkSystemButtons() {
    MainRig rig;
    rig.main->FormActivate();
    rig.main->FormPaint(); // the port is open, as the ink-system read expects
    THydroForm form(*rig.hub);
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

    // A status cut short shows what arrived.
    rig.printer->shortReply(10);
    click(form, "Button3");
    QCOMPARE(read->text(), QStringLiteral("read not ok"));
    QCOMPARE(status->text(), QString::fromLatin1(rig.printer->state().hydroStatus().left(10)));

    rig.switchOff();
    click(form, "Button2");
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

QTEST_MAIN(TestService)
#include "tst_service.moc"
