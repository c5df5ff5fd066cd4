// The date/time, post-date and counter editors over the virtual printer: what each cell shows,
// the "Change" gate (the text editor's too), the order of what "Ok" sends, the checks of the typed
// values, and failed reads and writes. A new printer holds logos at 1,1 and 1,3, "STAMPLINE" at
// 1,2, a date at 2,1, " LOT " at 2,2 and an up-counter "00001" at 2,3.

#include "CounterUnit.h"
#include "FormRig.h"
#include "NewTextFragmentInsertUnit_1.h"
#include "SetPostDateUnit.h"
#include "SetTimeUnit.h"

#include <QLineEdit>
#include <QtTest>

using printer::Fragment;

namespace {
QLineEdit *edit(const QWidget &form, const char *name) {
    return child<QLineEdit>(form, name);
}
QString field(const QWidget &form, const char *name) {
    return edit(form, name)->text();
}
void type(const QWidget &form, const char *name, const QString &text) {
    edit(form, name)->setText(text);
}
bool checked(const QWidget &form, const char *name) {
    return child<QAbstractButton>(form, name)->isChecked();
}

// An editor as its opener leaves it: made, shown (and activated, where the editor reads then), its
// first read done. `before` prepares the printer; the test sees everything from the first read on.
template <class Form> struct Opened {
    FormRig rig;
    std::unique_ptr<Form> form;
    explicit Opened(const std::function<void(FormRig &)> &before = {}) {
        if (before)
            before(rig);
        rig.mark();
        form = std::make_unique<Form>(rig);
        form->show();
        if constexpr (requires { form->FormActivate(); })
            form->FormActivate();
        QCoreApplication::processEvents();
    }
    Form &operator*() { return *form; }
    Form *operator->() { return form.get(); }
    // "Ok": what it sent.
    QStringList ok() {
        rig.mark();
        click(*form, "BtWriteText");
        return rig.commandNames();
    }
    // "Ok" with the printer deaf from its n-th byte on: what it said.
    QStringList okFailingAt(int n) {
        rig.mark();
        rig.printer->silenceFrom(n);
        click(*form, "BtWriteText");
        rig.printer->clearFaults();
        return rig.messages.log;
    }
};

const char *const kClock[] = {"EDay", "EMonth", "EYear", "EHour", "EMin", "ESec"};
QStringList clockShown(const QWidget &form) {
    QStringList shown;
    for (const char *name : kClock)
        shown << field(form, name);
    return shown;
}
void fillClock(const QWidget &form) {
    const QStringList values{"7", "3", "25", "24", "0", "05"};
    for (int i = 0; i < 6; ++i)
        type(form, kClock[i], values[i]);
}

template <class Form> void checkGate(const char *value, const char *insert) {
    // An empty cell holds nothing to protect: shown empty, editable, no "Change".
    Opened<Form> empty([](FormRig &rig) { rig.state().cell(1, 1) = {}; });
    QVERIFY(field(*empty, value).isEmpty() && edit(*empty, value)->isEnabled());
    QVERIFY(child<QCheckBox>(*empty, "Ch_")->isHidden());

    Opened<Form> e; // 1,1 holds a logo
    QCOMPARE(field(*e, value), QStringLiteral("Graphic fragment"));

    QVERIFY(!edit(*e, value)->isEnabled());
    QVERIFY(e.ok().isEmpty());
    QCOMPARE(e.rig.messages.log,
             (QStringList{QStringLiteral("Error: Select \"Change\" mode, if you want %1 insert")
                              .arg(QLatin1String(insert)),
                          QStringLiteral("beep")}));
    QCOMPARE(e.rig.messages.over.value(0), e.form.get());
    click(*e, "Ch_");
    QVERIFY(edit(*e, value)->isEnabled());
    QVERIFY(field(*e, value).isEmpty());
    click(*e, "Ch_");
    QVERIFY(!edit(*e, value)->isEnabled());
}
} // namespace

class TestMarkEditors : public QObject {
    Q_OBJECT

private slots:
    void counterWritesItsCell() {
        Opened<TCounterForm> e;
        QCOMPARE(e.rig.commandNames(), QStringList{"ReadFragment"});
        QCOMPARE(field(*e, "DayQuant"), QStringLiteral("Graphic fragment"));
        QVERIFY(checked(*e, "BUp"));

        click(*e, "Ch_");
        type(*e, "DayQuant", QStringLiteral("0042"));
        QCOMPARE(e.ok(), (QStringList{"RunningNumberForward", "WriteCounterFragment", "SetFont"}));
        QCOMPARE(e.rig.messages.log, QStringList{"Information: Ok"});
        const Fragment &counter = e.rig.state().cell(1, 1);
        QCOMPARE(counter.kind, Fragment::Kind::Counter);
        QCOMPARE(counter.text, QByteArray("0042"));
        QVERIFY(counter.countsUp);

        // Down goes out as the direction; the dialog then shows "Up" again.
        click(*e, "BDown");
        QCOMPARE(e.ok(), (QStringList{"RunningNumberBack", "WriteCounterFragment", "SetFont"}));
        QVERIFY(!e.rig.state().cell(1, 1).countsUp);
        QVERIFY(checked(*e, "BUp"));
    }

    void counterShowsEachCell() {
        Opened<TCounterForm> e([](FormRig &rig) {
            // A down-counter whose value is empty.
            Fragment &f = rig.state().cell(2, 2);
            f = Fragment{};
            f.kind = Fragment::Kind::Counter;
            f.countsUp = false;
            f.font = 2;
        });
        struct Row {
            const char *arrow, *value, *font;
            bool down, enabled;
        };
        const Row rows[] = {
            {"BitBtn5", "Text fragment", "3", false, false},    // 1,2
            {"BitBtn6", "Graphic fragment", "3", false, false}, // 1,1: the font field stays
            {"RowStr", "TimeDate fragment", "1", false, false}, // 2,1
            {"BitBtn5", "", "2", true, true},                   // 2,2: kind 5, no value
            {"BitBtn5", "00001", "1", false, true},             // 2,3: kind 6
            {"BitBtn6", "", "2", true, true},
        };
        for (const Row &row : rows) {
            click(*e, row.arrow);
            QCOMPARE(field(*e, "DayQuant"), QString::fromLatin1(row.value));
            QCOMPARE(field(*e, "EFontSize"), QString::fromLatin1(row.font));
            QCOMPARE(checked(*e, "BDown"), row.down);
            QCOMPARE(edit(*e, "DayQuant")->isEnabled(), row.enabled);
            QCOMPARE(child<QCheckBox>(*e, "Ch_")->isHidden(), row.enabled);
        }
        // An empty value sends nothing and asks for one.
        QVERIFY(e.ok().isEmpty());
        QVERIFY(e.rig.messages.log.isEmpty());
        QCOMPARE(e->focusWidget(), edit(*e, "DayQuant"));
    }

    void changeGate() {
        checkGate<TTimeForm>("DateFormat", "DateTimeFormat");
        checkGate<TPostDateForm>("DateFormat", "PostDate");
        checkGate<TCounterForm>("DayQuant", "Counter");
        checkGate<TOKHelpRightDlg>("Fragtext", "Text");
    }

    void clock() {
        Opened<TTimeForm> e([](FormRig &rig) {
            rig.state().clockOffsetMs = 0;
            const QDateTime at(QDate(2024, 3, 5), QTime(7, 59, 7), Qt::UTC);
            rig.printer->setClock([ms = at.toMSecsSinceEpoch()] { return ms; });
        });
        // The printer's clock as it opens, from the block's BCD bytes.
        QCOMPARE(e.rig.commandNames(), (QStringList{"ReadFragment", "ReadTimeParams"}));
        QCOMPARE(clockShown(*e), (QStringList{"05", "03", "24", "07", "59", "07"}));
        QVERIFY(!checked(*e, "SetSystemDateTime"));

        click(*e, "RowStr"); // 2,1: a date, shown with its format
        QCOMPARE(field(*e, "DateFormat"), QStringLiteral("DD.MM.YYYY"));
        type(*e, "DateFormat", QStringLiteral("HH:XX"));
        fillClock(*e);
        click(*e, "BitBtn3");
        QCOMPARE(e.ok(), (QStringList{"WriteTimeDateFragment", "SetDate", "SetTime", "SetFont"}));
        QCOMPARE(e.rig.messages.log, QStringList{"Information: Ok"});
        // Day "7" goes out as "07"; hour 24 passes, the midnight that ends the day.
        QCOMPARE(e.rig.state().clock(e.rig.printer->now()),
                 QDateTime(QDate(2025, 3, 8), QTime(0, 0, 5), Qt::UTC));
        QCOMPARE(e.rig.state().cell(2, 1).text, QByteArray("HH:XX"));
        QCOMPARE(e.rig.state().cell(2, 1).font, quint8(2));

        const std::pair<const char *, const char *> wrong[] = {
            {"EDay", "32"}, {"EMonth", "0"}, {"EYear", "1x"}, {"EHour", "25"},
            {"EMin", "60"}, {"ESec", ""},    {"EDay", "-1"},
        };
        for (const auto &[name, text] : wrong) {
            fillClock(*e);
            type(*e, name, QString::fromLatin1(text));
            // The fragment is written before the fields are looked at.
            QCOMPARE(e.ok(), QStringList{"WriteTimeDateFragment"});
            QCOMPARE(e.rig.messages.log, QStringList{"beep"});
            QCOMPARE(e->focusWidget(), edit(*e, name));
            QVERIFY(edit(*e, name)->toolTip().contains(QLatin1String(" to ")));
        }
        // An empty format asks for one before anything is sent.
        type(*e, "DateFormat", QString());
        QVERIFY(e.ok().isEmpty());
        QCOMPARE(e->focusWidget(), edit(*e, "DateFormat"));

        // The PC's clock goes out without the format, after a question.
        click(*e, "SetSystemDateTime");
        QCOMPARE(field(*e, "EHour").size(), 2);
        QCOMPARE(field(*e, "EDay"), QDateTime::currentDateTime().toString(QStringLiteral("dd")));
        QCOMPARE(e.ok(), (QStringList{"SetTime", "SetDate"}));
        QCOMPARE(e.rig.messages.log,
                 (QStringList{"Question Confirm: System DateTime insert only. Continue?",
                              "Information: Ok"}));
        e.rig.messages.answers = {false};
        QVERIFY(e.ok().isEmpty());
    }

    void clockRunsUntilEdited() {
        // The fields follow the printer's clock as read until one is edited: "Ok" 45 s after the
        // dialog opened sets the printer 45 s on, not back to the moment it was read.
        qint64 now = 0;
        const QDateTime at(QDate(2024, 2, 28), QTime(23, 59, 30), Qt::UTC);
        Opened<TTimeForm> e([&](FormRig &rig) {
            rig.state().clockOffsetMs = 0;
            rig.printer->setClock([ms = at.toMSecsSinceEpoch()] { return ms; });
            rig.setClock([&now] { return now; });
        });
        type(*e, "DateFormat", QStringLiteral("DD"));
        click(*e, "Ch_");
        type(*e, "DateFormat", QStringLiteral("DD"));
        now += 45'000;
        QCOMPARE(e.ok(), (QStringList{"WriteTimeDateFragment", "SetDate", "SetTime", "SetFont"}));
        QCOMPARE(clockShown(*e), (QStringList{"29", "02", "24", "00", "00", "15"}));
        QCOMPARE(e.rig.state().clock(e.rig.printer->now()), at.addSecs(45));

        // An edited field stops them: the typed clock goes out as typed.
        type(*e, "ESec", QStringLiteral("01"));
        now += 60'000;
        e.ok();
        QCOMPARE(e.rig.state().clock(e.rig.printer->now()).time(), QTime(0, 0, 1));

        // A day no month has is refused as the day field, as stampctl set-date refuses it.
        for (const QString &month : {QStringLiteral("02"), QStringLiteral("04")}) {
            type(*e, "EDay", QStringLiteral("31"));
            type(*e, "EMonth", month);
            QCOMPARE(e.ok(), QStringList{"WriteTimeDateFragment"});
            QCOMPARE(e.rig.messages.log, QStringList{"beep"});
            QCOMPARE(e->focusWidget(), edit(*e, "EDay"));
        }
    }

    void postDate() {
        Opened<TPostDateForm> e([](FormRig &rig) { rig.state().postDays = 0x012C; });
        QCOMPARE(e.rig.commandNames(), (QStringList{"ReadFragment", "ReadTimeParams"}));
        QCOMPARE(field(*e, "DayQuant"), QStringLiteral("300"));

        click(*e, "Ch_");
        type(*e, "DateFormat", QStringLiteral("DD.MM"));
        for (const char *refused : {"12345", "", "-5", "1.5", "x"}) {
            type(*e, "DayQuant", QString::fromLatin1(refused));
            QVERIFY2(e.ok().isEmpty(), refused);
            QCOMPARE(e->focusWidget(), edit(*e, "DayQuant"));
        }
        type(*e, "DayQuant", QStringLiteral(" 5 "));
        QCOMPARE(e.ok(), (QStringList{"WritePostDateFragment", "SetPostDays", "SetFont"}));
        QCOMPARE(e.rig.messages.log, QStringList{"Information: Ok"});
        QCOMPARE(e.rig.state().postDays, 5);
        QCOMPARE(e.rig.state().cell(1, 1).kind, Fragment::Kind::PostDate);
        QCOMPARE(e.rig.state().cell(1, 1).text, QByteArray("DD.MM"));
    }

    void graphicCellFont() {
        // After a move the date/time editor shows a logo's font as 1 when the row moved and as its
        // font byte when the column moved; the post-date editor shows the font byte.
        const auto walk = [](QWidget &form,
                             std::initializer_list<std::pair<const char *, const char *>> steps) {
            for (const auto &[arrow, font] : steps) {
                click(form, arrow);
                QCOMPARE(field(form, "EFontSize"), QString::fromLatin1(font));
            }
        };
        const auto logoAt22 = [](FormRig &rig) { rig.state().cell(2, 2) = rig.state().cell(1, 1); };
        Opened<TTimeForm> time(logoAt22);
        walk(*time, {{"BitBtn5", "3"}, {"RowStr", "1"}, {"BitBtn4", "3"}, {"BitBtn5", "7"}});
        QCOMPARE(field(*time, "DateFormat"), QStringLiteral("Graphic fragment"));
        Opened<TPostDateForm> postDate(logoAt22);
        walk(*postDate, {{"BitBtn5", "3"}, {"RowStr", "7"}, {"BitBtn4", "3"}, {"BitBtn5", "7"}});
    }

    void failedReads() {
        const auto off = [](FormRig &rig) { rig.switchOff(); };
        const auto deafForTheBlock = [](FormRig &rig) { rig.printer->silenceFrom(3); };
        const QString cellError = QStringLiteral("Error: TextFragmentRead Error");

        // Nothing more is read after a failed cell read; a failed block read leaves its fields
        // empty.
        QCOMPARE(Opened<TTimeForm>(off).rig.messages.log, QStringList{cellError});
        Opened<TTimeForm> timeBlock(deafForTheBlock);
        QCOMPARE(timeBlock.rig.messages.log, QStringList{"Error: TimeParamsRead Error"});
        QCOMPARE(clockShown(*timeBlock), QStringList(6));

        QCOMPARE(Opened<TPostDateForm>(off).rig.messages.log, QStringList{cellError});
        Opened<TPostDateForm> postBlock(deafForTheBlock);
        QCOMPARE(postBlock.rig.messages.log, QStringList{"Error: PostDate Read Error"});
        QVERIFY(field(*postBlock, "DayQuant").isEmpty());

        Opened<TCounterForm> counter(off);
        QCOMPARE(counter.rig.messages.log, QStringList{cellError});
        QVERIFY(field(*counter, "DayQuant").isEmpty());
        QVERIFY(counter.rig.posted.isEmpty());
    }

    void writeFailures() {
        // Later steps of each "Ok" (the first is the window-faults table's). Bytes of each step:
        // the direction 3; a counter "7" 5; the format "F" 5; a date or time 9; post-date 5 and 7.
        Opened<TCounterForm> counter;
        click(*counter, "RowStr");
        click(*counter, "BitBtn5");
        click(*counter, "BitBtn5"); // 2,3
        type(*counter, "DayQuant", QStringLiteral("7"));
        click(*counter, "BDown");
        QCOMPARE(counter.okFailingAt(3), QStringList{"Error: Counter Set Error"});
        QVERIFY(counter.rig.posted.isEmpty() && counter->isVisible()); // the program goes on
        QCOMPARE(counter.rig.commandNames().last(), QStringLiteral("SetFont"));
        QVERIFY(checked(*counter, "BUp")); // the font went out: "Up" again
        click(*counter, "BDown");
        QCOMPARE(counter.okFailingAt(8), (QStringList{"Information: Ok", "Error: Font Set Error"}));
        QVERIFY(checked(*counter, "BDown")); // the direction keeps its choice

        Opened<TTimeForm> time;
        click(*time, "RowStr");
        type(*time, "DateFormat", QStringLiteral("F"));
        fillClock(*time);
        const std::pair<int, const char *> timeSteps[] = {
            {0, "Error: Time Format Set Error"},
            {5, "Error: Date Set Error"},
            {14, "Error: Time Set Error"},
            {23, "Error: Font Set Error"},
        };
        for (const auto &[at, message] : timeSteps) {
            QCOMPARE(time.okFailingAt(at), QStringList{message});
        }
        click(*time, "SetSystemDateTime");
        QCOMPARE(time.okFailingAt(0).last(), QStringLiteral("Error: Time Set Error"));
        QCOMPARE(time.okFailingAt(9).last(), QStringLiteral("Error: Date Set Error"));

        Opened<TPostDateForm> postDate;
        click(*postDate, "Ch_");
        type(*postDate, "DateFormat", QStringLiteral("F"));
        type(*postDate, "DayQuant", QStringLiteral("5"));
        QCOMPARE(postDate.okFailingAt(5), QStringList{"Error: Post Date Set Error"});
        QVERIFY(!postDate.rig.commandNames().contains(QStringLiteral("SetFont")));
        QCOMPARE(postDate.okFailingAt(12),
                 (QStringList{"Information: Ok", "Error: Font Set Error"}));
    }
};

QTEST_MAIN(TestMarkEditors)
#include "tst_mark_editors.moc"
