// The special functions, the script window and the mark store over the virtual printer: what
// each button sends, what the printer keeps afterwards, refusals and failed exchanges.

#include "FormRig.h"
#include "MainRig.h"
#include "NotCurrentMarkReadWriteUnit.h"
#include "ScriptReadUnit.h"
#include "SpecFuncUnit.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QtTest>

using printer::Script;

namespace {
QString text(const QWidget &form, const char *name) {
    return child<QLineEdit>(form, name)->text();
}

// Fills the named fields: "FragmNum=12", "InitValue=1", ...
void fill(QWidget &form, const QStringList &fields) {
    for (const QString &f : fields)
        child<QLineEdit>(form, f.section('=', 0, 0).toLatin1())->setText(f.section('=', 1));
}

const QStringList kCounter{"FragmNum=12", "InitValue=1", "FinishValue=500", "CounStep=1",
                           "Discret=1"};
const Script kScript{true, "12", "00000001", "00000500", "0001", "0001", false, '0'};

Script withGroup(Script script, char group) {
    script.hasGroup = true;
    script.group = quint8(group);
    return script;
}

// A window made over a fresh printer, shown, activated once, and the record started after it.
template <class Form> struct Over {
    FormRig rig;
    Form form{rig};
    explicit Over(int storageMode = 0, const Script &script = {}) {
        rig.setStorageMode(storageMode);
        rig.state().script = script;
        form.show();
        form.FormActivate();
        rig.mark();
    }
};
} // namespace

class TestSpecial : public QObject {
    Q_OBJECT

private slots:
    void counterValues_data() {
        QTest::addColumn<QStringList>("fields");
        // "script|cell text|InitValue" when written, else "messages|field focused"
        QTest::addColumn<QString>("outcome");
        const QString fragment = "Error: FragmentNumber must be >11 |FragmNum";
        const std::tuple<const char *, QStringList, QString> rows[] = {
            {"1 to 500", {}, "Q12N00000001E00000500S0001P0001|500|1"},
            {"11 accepted", {"FragmNum=11"}, "Q11N00000001E00000500S0001P0001|500|1"},
            {"initial wider",
             {"InitValue=9999", "FinishValue=1"},
             "Q12N00009999E00000001S0001P0001|9999|9999"},
            {"0 emptied", {"InitValue= 0 ", "FinishValue="}, "Q12N00000000E00000000S0001P0001|0|"},
            {"all 0",
             {"InitValue=0", "FinishValue=0", "CounStep=00", "Discret=0"},
             "beep|InitValue"},
            // The message is for a fragment number that is no number; a number that names no
            // cell of the mark gets the beep and the focus.
            {"no fragment", {"FragmNum="}, fragment},
            {"1x", {"FragmNum=1x"}, fragment},
            {"+12", {"FragmNum=+12"}, fragment},
            {"10", {"FragmNum=10"}, "beep|FragmNum"},
            {"123", {"FragmNum=123"}, "beep|FragmNum"},
            {"row 9", {"FragmNum=99"}, "beep|FragmNum"},
            {"row 5", {"FragmNum=51"}, "beep|FragmNum"},
            {"column 9", {"FragmNum=19"}, "beep|FragmNum"},
            {"-1", {"CounStep=-1"}, "beep|CounStep"},
            {"too long", {"Discret=12345"}, "beep|Discret"}};
        for (const auto &[row, fields, outcome] : rows)
            QTest::newRow(row) << fields << outcome;
    }
    void counterValues() {
        QFETCH(QStringList, fields);
        Over<TSpecFuncForm> s;
        fill(s.form, kCounter + fields);
        click(s.form, "BitBtn3");
        click(s.form, "BtWriteText");
        const Script &kept = s.rig.state().script;
        const bool written = s.rig.messages.log == QStringList{"Information: Ok"};
        QTEST(written ? kept.text() + '|' + s.rig.state().cell(kept.row(), kept.column()).text +
                            '|' + text(s.form, "InitValue")
                      : s.rig.messages.log.join(',') + '|' + s.form.focusWidget()->objectName(),
              "outcome");
        if (!written) {
            QVERIFY(s.rig.commands().isEmpty());
            // What the refused field takes shows where one looks (the message's field has none).
            const QWidget *refused = s.form.focusWidget();
            QVERIFY(refused->objectName() == QLatin1String("FragmNum") ||
                    !refused->toolTip().isEmpty());
            return;
        }
        QCOMPARE(s.rig.commandNames(),
                 (QStringList{"ReadScript", "RunningNumberForward", "WriteCounterFragment",
                              "WriteSpecFunc", "SetFont"}));
        const printer::Fragment &cell = s.rig.state().cell(kept.row(), kept.column());
        QVERIFY(cell.kind == printer::Fragment::Kind::Counter && cell.font == 2);
    }

    void eachKeepsTheOther() {
        Over<TSpecFuncForm> s(0, withGroup({}, '3'));
        // The script fills what it holds: the group only.
        QCOMPARE(text(s.form, "MarkQuantaty"), QStringLiteral("3"));
        QVERIFY(text(s.form, "FragmNum").isEmpty());
        fill(s.form, kCounter);
        click(s.form, "BtWriteText");
        QCOMPARE(s.rig.state().script, withGroup(kScript, '3'));

        fill(s.form, {"MarkQuantaty=5", "FragmNum=", "InitValue="});
        click(s.form, "Button1");
        QCOMPARE(s.rig.state().script, withGroup(kScript, '5'));
        s.form.FormActivate();
        QCOMPARE(text(s.form, "FinishValue"), QStringLiteral("00000500"));

        // Only a group, then nothing at all; a group above 8 is refused.
        s.rig.state().script = {};
        s.rig.mark();
        for (const char *group : {"MarkQuantaty=3", "MarkQuantaty=", "MarkQuantaty=9"}) {
            fill(s.form, {group});
            click(s.form, "Button1");
        }
        QCOMPARE(s.rig.commands().mid(1, 1), QStringList{hex("\x01QIG3\r")});
        QCOMPARE(s.rig.commands().mid(3), QStringList{hex("\x01QI\r")});
        QCOMPARE(s.rig.state().script, Script{});
        QCOMPARE(s.rig.messages.log.last(), QStringLiteral("beep"));
    }

    void deleteCounter() {
        Over<TSpecFuncForm> s(0, withGroup(kScript, '0'));
        s.rig.state().writeCounter(1, 2, "500");
        s.rig.messages.answers = {false};
        click(s.form, "Button3");
        QCOMPARE(s.rig.messages.log, QStringList{"Question Question: Are you sure?"});
        QCOMPARE(s.rig.messages.defaults, QList<DefaultButton>{DefaultButton::No});
        QVERIFY(s.rig.commands().isEmpty());

        click(s.form, "Button3");
        QCOMPARE(s.rig.commandNames(),
                 (QStringList{"ReadScript", "WriteSpecFunc", "WriteTextFragment"}));
        QCOMPARE(s.rig.messages.log.last(), QStringLiteral("Information: Ok"));
        QCOMPARE(s.rig.state().script.text(), QByteArray("G0"));
        QVERIFY(s.rig.state().cell(1, 2).isEmpty());

        // A fragment number that names no cell: said before anything is asked or sent.
        s.rig.mark();
        fill(s.form, {"FragmNum=ab"});
        click(s.form, "Button3");
        QCOMPARE(s.rig.messages.log, QStringList{"Error: FragmentNumber must be >11 "});
        QVERIFY(s.rig.commands().isEmpty());
    }

    void failures_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<int>("silentFrom"); // host bytes after the click until the silence
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("transferred"); // the special functions went out
        const std::tuple<const char *, const char *, int, const char *, bool> rows[] = {
            {"direction", "BtWriteText", 2, "RunningNumberDirectionSet Error", false},
            {"counter cell", "BtWriteText", 5, "Counter Set Error", false},
            {"counter transfer", "BtWriteText", 12, "Write Error", false},
            {"font", "BtWriteText", 50, "Font Set Error", true},
            {"delete, script", "Button3", 0, "Read Error", false},
            {"delete transfer", "Button3", 2, "Write Error", false},
            {"delete cell", "Button3", 8, "TextFragmentDeleteError", true},
            {"group, script", "Button1", 0, "Read Error", false},
            {"group transfer", "Button1", 2, "Write Error", false}};
        for (const auto &[row, button, silentFrom, message, transferred] : rows)
            QTest::newRow(row) << QByteArray(button) << silentFrom
                               << QStringLiteral("Error: ") + message << transferred;
    }
    void failures() {
        QFETCH(QByteArray, button);
        QFETCH(int, silentFrom);
        Over<TSpecFuncForm> s(0, withGroup(kScript, '4'));
        fill(s.form, {"MarkQuantaty=2"});
        s.rig.printer->silenceFrom(silentFrom);
        click(s.form, button.constData());
        QTEST(s.rig.messages.log.last(), "message");
        QTEST(s.rig.commandNames().contains("WriteSpecFunc"), "transferred");
    }

    void scriptWindow() {
        Over<TScriptReadForm> s(0, kScript);
        QCOMPARE(text(s.form, "FragText"), QStringLiteral("Q12N00000001E00000500S0001P0001"));
        s.rig.state().script.hasGroup = true;
        click(s.form, "BtWriteText");
        const QString shown = "Q12N00000001E00000500S0001P0001G0";
        QCOMPARE(text(s.form, "FragText"), shown);
        s.rig.switchOff(); // a failed read at the activation keeps what the window shows
        s.form.FormActivate();
        QCOMPARE(s.rig.messages.log, QStringList{"Error: Read Error"});
        QCOMPARE(text(s.form, "FragText"), shown);
    }

    void storagePlaces_data() {
        QTest::addColumn<QString>("sent"); // empty: refused with a beep
        for (const auto &[place, sent] : {std::pair{"1", "0C 57 30 0D"},
                                          {" 10 ", "0C 57 39 0D"},
                                          {"64", "0C 57 6F 0D"},
                                          {"0", ""},
                                          {"65", ""},
                                          {"x", ""},
                                          {" ", ""}})
            QTest::newRow(place) << QString::fromLatin1(sent);
    }
    void storagePlaces() {
        QFETCH(QString, sent);
        Over<TMarkNotCusrrent> s(2);
        const QString place = QString::fromLatin1(QTest::currentDataTag());
        fill(s.form, {"MarkNum=" + place});
        click(s.form, "BtWriteText");
        QCOMPARE(s.rig.commands(), sent.isEmpty() ? QStringList{} : QStringList{sent});
        if (sent.isEmpty()) { // refused: the beep, and the places there are where one looks
            QCOMPARE(s.rig.messages.log, QStringList{"beep"});
            QCOMPARE(child<QLineEdit>(s.form, "MarkNum")->toolTip(), QStringLiteral("1 to 64"));
            return;
        }
        QCOMPARE(s.rig.messages.log,
                 (QStringList{QStringLiteral("Question Confirm: Storing the current mark in place "
                                             "%1 replaces what the place holds. Are You Sure?")
                                  .arg(place.trimmed()),
                              "Information: Ok"}));
        QCOMPARE(s.rig.messages.defaults, QList<DefaultButton>{DefaultButton::No});
    }

    void storeAndRestore() {
        Over<TMarkNotCusrrent> s(2);
        QCOMPARE(child<QGroupBox>(s.form, "GB")->title(), QStringLiteral("MarkWriteToStorage"));
        const printer::Mark mark = s.rig.state().mark;
        fill(s.form, {"MarkNum=5"});
        click(s.form, "BtWriteText"); // stored: what the two reads below bring back

        // Each activation takes the mode afresh and empties the number; mode 0 reads with 'M'.
        for (const auto &[mode, caption] : {std::pair{1, "MarkReadFromStorage"}, {0, "MarkRead"}}) {
            s.rig.setStorageMode(mode);
            s.form.FormActivate();
            QCOMPARE(child<QGroupBox>(s.form, "GB")->title(), QLatin1String(caption));
            QVERIFY(text(s.form, "MarkNum").isEmpty());
            fill(s.form, {"MarkNum=5"});
            s.rig.state().mark = {};
            s.rig.mark();
            click(s.form, "BtWriteText");
            QCOMPARE(s.rig.state().mark, mark);
        }
        QCOMPARE(s.rig.commands(), QStringList{"0C 4D 34 0D"});

        // A restore asks before it replaces the current mark; No, the default, sends nothing.
        s.rig.setStorageMode(1);
        s.form.FormActivate();
        fill(s.form, {"MarkNum=64"});
        s.rig.messages.answers = {false};
        s.rig.mark();
        click(s.form, "BtWriteText");
        QCOMPARE(s.rig.messages.log,
                 QStringList{"Question Confirm: Restoring place 64 replaces the current mark. Are "
                             "You Sure?"});
        QCOMPARE(s.rig.messages.defaults, QList<DefaultButton>{DefaultButton::No});
        QVERIFY(s.rig.commands().isEmpty());
        QCOMPARE(s.rig.state().mark, mark);
    }
};

QTEST_MAIN(TestSpecial)
#include "tst_counter_script.moc"
