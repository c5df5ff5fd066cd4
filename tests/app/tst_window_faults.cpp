// Every window's printer-facing button with the printer failing under it: switched off, or
// echoing one byte wrongly. The window shows its failure (never "Ok"), the command the fault hit
// goes no further, and the same button works once the printer is well again.

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
#include <map>

namespace {
using Maker = std::function<std::unique_ptr<QWidget>(FormRig &)>;

// Made as its opener makes it, shown, activated where the window is.
template <class Form> std::unique_ptr<QWidget> made(FormRig &rig) {
    auto form = std::make_unique<Form>(rig);
    form->show();
    if constexpr (requires { form->FormActivate(); })
        form->FormActivate();
    QCoreApplication::processEvents();
    return form;
}

const std::map<QString, Maker> &makers() {
    static const std::map<QString, Maker> all = {
        {"TOKHelpRightDlg", made<TOKHelpRightDlg>},
        {"TSetFontForm", made<TSetFontForm>},
        {"TTimeForm", made<TTimeForm>},
        {"TPostDateForm", made<TPostDateForm>},
        {"TCounterForm", made<TCounterForm>},
        {"TSpecFuncForm", made<TSpecFuncForm>},
        {"TScriptReadForm", made<TScriptReadForm>},
        {"TMarkNotCusrrent",
         [](FormRig &rig) {
             rig.setStorageMode(2);
             return made<TMarkNotCusrrent>(rig);
         }},
        {"TMarkOverviewForm", made<TMarkOverviewForm>},
        {"TLogoReadWriteForm",
         [](FormRig &rig) {
             rig.logo().mode = LogoMode::Read;
             return made<TLogoReadWriteForm>(rig);
         }},
        {"TLogoToMarkForm", made<TLogoToMarkForm>},
        {"TSelectLogosNum",
         [](FormRig &rig) -> std::unique_ptr<QWidget> {
             static LogoBand band; // outlives every dialog
             band.reset();
             for (int x = 0; x < 200; ++x)
                 band.setDot(x, LogoBand::kBottom, true);
             band.setWidthValue(200);
             auto form = std::make_unique<TSelectLogosNum>(rig, band);
             form->show();
             return form;
         }},
        {"TAutoRunPeriodForm", made<TAutoRunPeriodForm>},
        {"THydroForm", made<THydroForm>},
        {"TParamsForm", made<TParamsForm>},
    };
    return all;
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

// Host bytes the printer saw after the mark, a list a command (lost bytes included).
std::vector<std::vector<Transcript::Byte>> hostBytesByCommand(FormRig &rig) {
    const Transcript &t = rig.printer->transcript();
    std::vector<std::vector<Transcript::Byte>> out;
    for (const Transcript::Command &command : t.commands()) {
        if (command.end <= rig.markedAt())
            continue;
        out.emplace_back();
        for (qsizetype i = qMax(command.first, rig.markedAt()); i < command.end; ++i)
            if (t.bytes()[size_t(i)].fromHost)
                out.back().push_back(t.bytes()[size_t(i)]);
    }
    return out;
}
} // namespace

class TestWindowFaults : public QObject {
    Q_OBJECT

private slots:
    void faults_data() {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<int>("wrongEchoAt");  // host byte after the click; -1: switched off
        QTest::addColumn<QByteArray>("shows"); // a widget whose text reports the outcome
        QTest::addColumn<QStringList>("failure");
        QTest::addColumn<QStringList>("success");
        struct Row {
            const char *form;
            QStringList steps;
            const char *button;
            int at; // the byte whose echo is wrong
            const char *shows;
            QStringList wrongEcho, off; // off: as a wrong echo when empty
            QStringList success;
        };
        const QStringList ok{"Information: Ok"};
        const QStringList clock{"RowStr",   "DateFormat=F", "EDay=7", "EMonth=3",
                                "EYear=25", "EHour=24",     "EMin=0", "ESec=05"};
        const QStringList counter{"FragmNum=12", "InitValue=1", "FinishValue=500", "CounStep=1",
                                  "Discret=1"};
        const QStringList sliceFailed{"Error: Write Error", "beep", "beep", "Error: Write Error"};
        // A read that is tried again gets over one wrong echo.
        const Row rows[] = {
            {"TOKHelpRightDlg",
             {"BitBtn1", "Fragtext=X"},
             "BtWriteText",
             3,
             "",
             {"Error: TextFragmentWrite Error"},
             {"Error: TextFragmentWrite Error", "Error: Font Set Error"},
             ok},
            {"TSetFontForm",
             {"EFontSize=2"},
             "BtWriteText",
             1,
             "",
             {"Error: Font Set Error"},
             {},
             ok},
            {"TTimeForm",
             clock,
             "BtWriteText",
             6,
             "",
             {"Error: Date Set Error"},
             {"Error: Time Format Set Error"},
             ok},
            {"TPostDateForm",
             {"Ch_", "DateFormat=F", "DayQuant=5"},
             "BtWriteText",
             2,
             "",
             {"Error: Post Date Set Error"},
             {},
             ok},
            {"TCounterForm",
             {"RowStr", "BitBtn5", "BitBtn5", "DayQuant=7"},
             "BtWriteText",
             4,
             "",
             {"Error: Counter Set Error"},
             {"Error: RunningNumberDirectionSet Error"},
             ok},
            {"TSpecFuncForm", counter, "BtWriteText", 1, "", {"Error: Read Error"}, {}, ok},
            {"TScriptReadForm", {}, "BtWriteText", 1, "", {}, {}, {}},
            {"TMarkNotCusrrent", {"MarkNum=5"}, "BtWriteText", 2, "", {"Error: Error"}, {}, ok},
            {"TMarkOverviewForm", {}, "BtRead", 1, "", {}, {"Error: TimeParamsRead Error"}, {}},
            {"TLogoReadWriteForm",
             {"RowStr=1"},
             "OKBtn",
             2,
             "",
             {},
             {"Error: Logo Read Error"},
             {}},
            {"TLogoToMarkForm", {"Ch_"}, "OKBtn", 2, "", {"Error: Mark Load Error"}, {}, ok},
            {"TSelectLogosNum", {}, "OKBtn", 2, "", sliceFailed, {}, ok},
            {"TAutoRunPeriodForm",
             {"MarkNum=25"},
             "BtWriteText",
             2,
             "",
             {"Error: Error"},
             {"Error: AutoRun Stop Error"},
             ok},
            {"THydroForm",
             {},
             "Button1",
             0,
             "Button1",
             {"Button1: not select"},
             {},
             {"Button1: select"}},
            {"TParamsForm",
             {"ListView2#5", "Button3"},
             "LogoNumInc",
             1,
             "Edit1",
             {"Edit1: 30"},
             {},
             {"Edit1: 31"}},
        };
        for (const Row &row : rows) {
            QTest::addRow("%s %s, wrong echo", row.form, row.button)
                << QString::fromLatin1(row.form) << row.steps << QByteArray(row.button) << row.at
                << QByteArray(row.shows) << row.wrongEcho << row.success;
            QTest::addRow("%s %s, switched off", row.form, row.button)
                << QString::fromLatin1(row.form) << row.steps << QByteArray(row.button) << -1
                << QByteArray(row.shows) << (row.off.isEmpty() ? row.wrongEcho : row.off)
                << row.success;
        }
    }

    void faults() {
        QFETCH(QString, form);
        QFETCH(QStringList, steps);
        QFETCH(QByteArray, button);
        QFETCH(int, wrongEchoAt);
        QFETCH(QByteArray, shows);
        FormRig rig;
        const std::unique_ptr<QWidget> window = makers().at(form)(rig);
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

        // The command the fault hit went no further than the faulty byte. (With the printer off
        // every byte is lost, and lost bytes start no command of their own.)
        int seen = 0;
        for (const auto &command : hostBytesByCommand(rig)) {
            if (seen <= wrongEchoAt && wrongEchoAt < seen + int(command.size()))
                QCOMPARE(int(command.size()), wrongEchoAt - seen + 1);
            seen += int(command.size());
        }
        QVERIFY(seen > wrongEchoAt);

        // The window stays usable: the same button, with the printer well.
        rig.mark();
        click(*window, button.constData());
        QTEST(outcome(rig, *window, shows), "success");
        QVERIFY(!rig.commandNames().isEmpty());
    }
};

QTEST_MAIN(TestWindowFaults)
#include "tst_window_faults.moc"
