// Every window's printer-facing button with the printer failing under it: switched off, or
// echoing one byte wrongly. The window shows its failure (never "Ok"), and the same button works
// once the printer is well again. (That the command the fault hit goes no further is the link's
// to check, operation by operation, in the link tests' checkFailureAtEveryByte.)

#include "AutoRunPeriodUnit.h"
#include "CounterUnit.h"
#include "FormRig.h"
#include "Hydro.h"
#include "LogoBand.h"
#include "LogoReadWriteUnit.h"
#include "LogoToMarkUnit.h"
#include "ManyLogoNumSelectUnit.h"
#include "MarkOverview.h"
#include "NewTextFragmentInsertUnit_1.h"
#include "NotCurrentMarkReadWriteUnit.h"
#include "ParamsFormUnit.h"
#include "ScriptReadUnit.h"
#include "SetFontUnit.h"
#include "SetPostDateUnit.h"
#include "SetTimeUnit.h"
#include "SpecFuncUnit.h"

#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

using Maker = std::function<std::unique_ptr<QWidget>(FormRig &)>;
Q_DECLARE_METATYPE(Maker)

namespace {
// What a window's opener sets before it makes the window.
template <class Form> void openerSets(FormRig &) {}
template <> void openerSets<TMarkNotCusrrent>(FormRig &rig) {
    rig.setStorageMode(2);
}
template <> void openerSets<TLogoReadWriteForm>(FormRig &rig) {
    rig.logo().mode = LogoMode::Read;
}

// Made as its opener makes it, shown, activated where the window is.
template <class Form> std::unique_ptr<QWidget> made(FormRig &rig) {
    openerSets<Form>(rig);
    auto form = std::make_unique<Form>(rig);
    form->show();
    if constexpr (requires { form->FormActivate(); })
        form->FormActivate();
    QCoreApplication::processEvents();
    return form;
}

// The multi-logo dialog is made over the band it cuts into slices.
template <> std::unique_ptr<QWidget> made<TSelectLogosNum>(FormRig &rig) {
    static LogoBand band; // outlives every dialog
    band.reset();
    for (int x = 0; x < 200; ++x)
        band.setDot(x, LogoBand::kBottom, true);
    band.setWidthValue(200);
    auto form = std::make_unique<TSelectLogosNum>(rig, band);
    form->show();
    return form;
}

// A window's rows: a wrong echo at host byte `at` after the click, and the printer switched off
// (`off`: as a wrong echo when empty).
template <class Form>
void rows(const QStringList &steps, int at, const QStringList &wrongEcho,
          const QStringList &off = {}, const QStringList &success = {"Information: Ok"},
          const char *button = "BtWriteText", const char *shows = "") {
    const char *form = Form::staticMetaObject.className();
    QTest::addRow("%s %s, wrong echo", form, button)
        << Maker(made<Form>) << steps << QByteArray(button) << at << QByteArray(shows) << wrongEcho
        << success;
    QTest::addRow("%s %s, switched off", form, button)
        << Maker(made<Form>) << steps << QByteArray(button) << -1 << QByteArray(shows)
        << (off.isEmpty() ? wrongEcho : off) << success;
}

// Prepares a window: "Name=text" types into a line edit, "Name" clicks a button,
// "Name#n" makes row n of a list current.
void prepare(QWidget &form, const QStringList &steps) {
    for (const QString &step : steps) {
        const QStringList parts = step.split(QLatin1Char('='));
        const QByteArray name = parts[0].section(QLatin1Char('#'), 0, 0).toLatin1();
        if (parts.size() == 2)
            child<QLineEdit>(form, name.constData())->setText(parts[1]);
        else if (step.contains(QLatin1Char('#')))
            child<QTreeWidget>(form, name.constData())
                ->setCurrentItem(child<QTreeWidget>(form, name.constData())
                                     ->topLevelItem(step.section(QLatin1Char('#'), 1).toInt()));
        else
            click(form, name.constData());
    }
}

// What the window said: its messages, then the text of the widget it reports on, if any.
QStringList outcome(FormRig &rig, QWidget &form, const QByteArray &shows) {
    QStringList said = rig.messages.log;
    if (!shows.isEmpty()) {
        auto *w = child(form, shows.constData());
        const QVariant text = w->property("text");
        said << QString::fromLatin1(shows) + QStringLiteral(": ") + text.toString();
    }
    return said;
}

// Host bytes the printer saw after the mark, lost ones included.
qsizetype hostBytesSinceMark(FormRig &rig) {
    const std::vector<Transcript::Byte> &bytes = rig.printer->transcript().bytes();
    return std::count_if(bytes.begin() + rig.markedAt(), bytes.end(),
                         [](const Transcript::Byte &b) { return b.fromHost; });
}
} // namespace

class TestWindowFaults : public QObject {
    Q_OBJECT

private slots:
    void faults_data() {
        QTest::addColumn<Maker>("make");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<int>("wrongEchoAt");  // host byte after the click; -1: switched off
        QTest::addColumn<QByteArray>("shows"); // a widget whose text reports the outcome
        QTest::addColumn<QStringList>("failure");
        QTest::addColumn<QStringList>("success");
        const QStringList ok{"Information: Ok"};
        const QStringList clock{"RowStr",   "DateFormat=F", "EDay=7", "EMonth=3",
                                "EYear=25", "EHour=24",     "EMin=0", "ESec=05"};
        const QStringList counter{"FragmNum=12", "InitValue=1", "FinishValue=500", "CounStep=1",
                                  "Discret=1"};
        // A read that is tried again gets over one wrong echo.
        rows<TOKHelpRightDlg>({"BitBtn1", "Fragtext=X"}, 3, {"Error: TextFragmentWrite Error"},
                              {"Error: TextFragmentWrite Error", "Error: Font Set Error"});
        rows<TSetFontForm>({"EFontSize=2"}, 1, {"Error: Font Set Error"});
        rows<TTimeForm>(clock, 6, {"Error: Date Set Error"}, {"Error: Time Format Set Error"});
        rows<TPostDateForm>({"Ch_", "DateFormat=F", "DayQuant=5"}, 2,
                            {"Error: Post Date Set Error"});
        rows<TCounterForm>({"RowStr", "BitBtn5", "BitBtn5", "DayQuant=7"}, 4,
                           {"Error: Counter Set Error"},
                           {"Error: RunningNumberDirectionSet Error"});
        rows<TSpecFuncForm>(counter, 1, {"Error: Read Error"});
        rows<TScriptReadForm>({}, 1, {}, {}, {});
        const QString store =
            QStringLiteral("Question Confirm: Storing the current mark in place 5 "
                           "replaces what the place holds. Are You Sure?");
        rows<TMarkNotCusrrent>({"MarkNum=5"}, 2, {store, "Error: Error"}, {},
                               {store, "Information: Ok"});
        rows<TMarkOverviewForm>({}, 1, {}, {"Error: TimeParamsRead Error"}, {}, "BtRead");
        rows<TLogoReadWriteForm>({"RowStr=1"}, 2, {}, {"Error: Logo Read Error"}, {}, "OKBtn");
        rows<TLogoToMarkForm>({"Ch_"}, 2, {"Error: Mark Load Error"}, {}, ok, "OKBtn");
        rows<TSelectLogosNum>({}, 2, {"Error: Write Error", "beep", "beep", "Error: Write Error"},
                              {}, ok, "OKBtn");
        rows<TAutoRunPeriodForm>({"MarkNum=25"}, 2, {"Error: Error"},
                                 {"Error: AutoRun Stop Error"});
        rows<THydroForm>({}, 0, {"Button1: not select"}, {}, {"Button1: select"}, "Button1",
                         "Button1");
        rows<TParamsForm>({"ListView2#5", "Button3"}, 1, {"Edit1: 30"}, {}, {"Edit1: 31"},
                          "LogoNumInc", "Edit1");
    }

    void faults() {
        QFETCH(Maker, make);
        QFETCH(QStringList, steps);
        QFETCH(QByteArray, button);
        QFETCH(int, wrongEchoAt);
        QFETCH(QByteArray, shows);
        FormRig rig;
        const std::unique_ptr<QWidget> window = make(rig);
        prepare(*window, steps);

        rig.mark();
        if (wrongEchoAt < 0)
            rig.switchOff();
        else
            rig.printer->wrongEchoAt(wrongEchoAt);
        click(*window, button.constData());
        rig.switchOn();
        rig.printer->clearFaults();
        QTEST(outcome(rig, *window, shows), "failure");

        // The fault was met: a read tried again gets over it without a word.
        QVERIFY(hostBytesSinceMark(rig) > wrongEchoAt);

        // The window stays usable: the same button, with the printer well.
        rig.mark();
        click(*window, button.constData());
        QTEST(outcome(rig, *window, shows), "success");
        QVERIFY(!rig.commandNames().isEmpty());
    }
};

QTEST_MAIN(TestWindowFaults)
#include "tst_window_faults.moc"
