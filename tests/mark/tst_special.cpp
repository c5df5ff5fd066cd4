// The special functions, the script window and the mark store over the virtual printer: what
// each button sends, what the printer keeps afterwards, refusals and failed exchanges.

#include "FormRig.h"
#include "MainRig.h"
#include "NotCurrentMarkReadWriteUnit.h"
#include "ScriptReadUnit.h"
#include "SpecFuncUnit.h"
#include "Windows.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QtTest>

using printer::Fragment;

namespace {
QLineEdit *edit(QWidget &form, const char *name) {
    return child<QLineEdit>(form, name);
}

// Fills the named fields: "FragmNum=12", "InitValue=1", ...
void fill(QWidget &form, const QStringList &fields) {
    for (const QString &f : fields)
        edit(form, f.section(QLatin1Char('='), 0, 0).toLatin1())
            ->setText(f.section(QLatin1Char('='), 1));
}

const QStringList kCounter{"FragmNum=12", "InitValue=1", "FinishValue=500", "CounStep=1",
                           "Discret=1"};

printer::Script counterScript() {
    return {true, "12", "00000001", "00000500", "0001", "0001", false, '0'};
}

// A window made over a fresh printer, shown, activated once, and the record started after it.
template <class Form> struct Over {
    FormRig rig;
    Form form{rig};
    explicit Over(int storageMode = 0) {
        rig.setStorageMode(storageMode);
        form.show();
        form.FormActivate();
        rig.mark();
    }
};
} // namespace

class TestSpecial : public QObject {
    Q_OBJECT

private slots:
    void counterTransfer();
    void counterValues_data();
    void counterValues();
    void eachKeepsTheOther();
    void deleteCounter();
    void failures_data();
    void failures();
    void scriptWindow();
    void storagePlaces_data();
    void storagePlaces();
    void storeAndRestore();
    void windowsAreWired();
};

void TestSpecial::counterTransfer() {
    Over<TSpecFuncForm> s;
    fill(s.form, kCounter);
    click(s.form, "BitBtn3");
    click(s.form, "BtWriteText");
    QCOMPARE(s.rig.commandNames(),
             (QStringList{"ReadScript", "RunningNumberForward", "WriteCounterFragment",
                          "WriteSpecFunc", "SetFont"}));
    QCOMPARE(s.rig.commands().value(3), hex("\x01QIQ12N00000001E00000500S0001P0001\r"));
    QCOMPARE(s.rig.messages.log, QStringList{"Information: Ok"});
    const Fragment &cell = s.rig.state().cell(1, 2);
    QCOMPARE(cell.kind, Fragment::Kind::Counter);
    QCOMPARE(cell.text, QByteArray("500"));
    QCOMPARE(cell.font, quint8(2));
    QCOMPARE(s.rig.state().script, counterScript());
}

void TestSpecial::counterValues_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QByteArray>("script"); // empty: refused, nothing sent
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    const QString fragment = "Error: FragmentNumber must be >11 ";
    QTest::newRow("11 accepted") << QStringList{"FragmNum=11"}
                                 << QByteArray("Q11N00000001E00000500S0001P0001")
                                 << QByteArray("500") << QString() << QString();
    QTest::newRow("initial wider") << QStringList{"InitValue=9999", "FinishValue=1"}
                                   << QByteArray("Q12N00009999E00000001S0001P0001")
                                   << QByteArray("9999") << QString() << QString();
    QTest::newRow("0 emptied") << QStringList{"InitValue= 0 ", "FinishValue="}
                               << QByteArray("Q12N00000000E00000000S0001P0001") << QByteArray("0")
                               << QString() << QString();
    QTest::newRow("all 0") << QStringList{"InitValue=0", "FinishValue=0", "CounStep=00",
                                          "Discret=0"}
                           << QByteArray() << QByteArray() << "beep"
                           << "InitValue";
    for (const char *number : {"10", "", "1x", "123", "+12"})
        QTest::newRow(number) << QStringList{QStringLiteral("FragmNum=") + number} << QByteArray()
                              << QByteArray() << fragment << "FragmNum";
    QTest::newRow("not a number") << QStringList{"CounStep=-1"} << QByteArray() << QByteArray()
                                  << "beep"
                                  << "CounStep";
    QTest::newRow("too long") << QStringList{"Discret=12345"} << QByteArray() << QByteArray()
                              << "beep"
                              << "Discret";
}

void TestSpecial::counterValues() {
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, script);
    Over<TSpecFuncForm> s;
    fill(s.form, kCounter + fields);
    click(s.form, "BtWriteText");
    if (script.isEmpty()) {
        QVERIFY(s.rig.commands().isEmpty());
        QTEST(s.rig.messages.log.join(QString()), "message");
        QTEST(s.form.focusWidget()->objectName(), "focus");
        return;
    }
    QCOMPARE(s.rig.messages.log, QStringList{"Information: Ok"});
    QCOMPARE(s.rig.state().script.text(), script);
    const printer::Script &kept = s.rig.state().script;
    QTEST(s.rig.state().cell(kept.row(), kept.column()).text, "display");
    QCOMPARE(edit(s.form, "InitValue")->text().isEmpty(), script.contains("N00000000"));
}

void TestSpecial::eachKeepsTheOther() {
    Over<TSpecFuncForm> s;
    s.rig.state().script = {false, {}, {}, {}, {}, {}, true, '3'};
    s.form.FormActivate(); // the script fills what it holds: the group only
    QCOMPARE(edit(s.form, "MarkQuantaty")->text(), QStringLiteral("3"));
    QVERIFY(edit(s.form, "FragmNum")->text().isEmpty());

    fill(s.form, kCounter);
    click(s.form, "BtWriteText");
    printer::Script both = counterScript();
    both.hasGroup = true;
    both.group = '3';
    QCOMPARE(s.rig.state().script, both);

    fill(s.form, {"MarkQuantaty=5", "FragmNum=", "InitValue="});
    click(s.form, "Button1");
    both.group = '5';
    QCOMPARE(s.rig.state().script, both);
    s.form.FormActivate();
    QCOMPARE(edit(s.form, "FinishValue")->text(), QStringLiteral("00000500"));

    // Only a group, then nothing at all.
    s.rig.state().script = {};
    s.rig.mark();
    for (const char *group : {"MarkQuantaty=3", "MarkQuantaty="}) {
        fill(s.form, {group});
        click(s.form, "Button1");
    }
    QCOMPARE(s.rig.commands().mid(1, 1), QStringList{hex("\x01QIG3\r")});
    QCOMPARE(s.rig.commands().mid(3), QStringList{hex("\x01QI\r")});
    QCOMPARE(s.rig.state().script, printer::Script{});
    fill(s.form, {"MarkQuantaty=9"});
    click(s.form, "Button1");
    QCOMPARE(s.rig.messages.log.last(), QStringLiteral("beep"));
}

void TestSpecial::deleteCounter() {
    Over<TSpecFuncForm> s;
    s.rig.state().script = counterScript();
    s.rig.state().script.hasGroup = true;
    s.rig.state().writeCounter(1, 2, "500");
    s.form.FormActivate();
    s.rig.mark();

    s.rig.messages.answers = {false};
    click(s.form, "Button3");
    QCOMPARE(s.rig.messages.log, QStringList{"Question Question: Are you sure?"});
    QCOMPARE(s.rig.messages.defaults, QList<DefaultButton>{DefaultButton::No});
    QVERIFY(s.rig.commands().isEmpty());

    s.rig.mark();
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

void TestSpecial::failures_data() {
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<int>("silentFrom"); // host bytes after the click before the printer is silent
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("transferred"); // the special functions went out
    const std::tuple<const char *, const char *, int, const char *, bool> rows[] = {
        {"counter, script", "BtWriteText", 0, "Read Error", false},
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

void TestSpecial::failures() {
    QFETCH(QByteArray, button);
    QFETCH(int, silentFrom);
    Over<TSpecFuncForm> s;
    s.rig.state().script = counterScript();
    s.rig.state().script.hasGroup = true;
    s.rig.state().script.group = '4';
    fill(s.form, kCounter + QStringList{"MarkQuantaty=2"});
    s.rig.printer->silenceFrom(silentFrom);
    click(s.form, button.constData());
    QTEST(s.rig.messages.log.last(), "message");
    QTEST(s.rig.commandNames().contains("WriteSpecFunc"), "transferred");
}

void TestSpecial::scriptWindow() {
    FormRig rig;
    rig.state().script = counterScript();
    TScriptReadForm form(rig);
    form.FormActivate();
    QCOMPARE(edit(form, "FragText")->text(), QStringLiteral("Q12N00000001E00000500S0001P0001"));
    rig.state().script.hasGroup = true;
    click(form, "BtWriteText");
    QCOMPARE(edit(form, "FragText")->text(), QStringLiteral("Q12N00000001E00000500S0001P0001G0"));
    QVERIFY(rig.messages.log.isEmpty());

    rig.switchOff();
    click(form, "BtWriteText");
    QVERIFY(rig.messages.log.isEmpty());
    form.FormActivate();
    QCOMPARE(rig.messages.log, QStringList{"Error: Read Error"});
    QCOMPARE(edit(form, "FragText")->text(), QStringLiteral("Q12N00000001E00000500S0001P0001G0"));
}

void TestSpecial::storagePlaces_data() {
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("sent"); // empty: refused with a beep
    QTest::newRow("1") << "1"
                       << "0C 57 30 0D";
    QTest::newRow("10") << " 10 "
                        << "0C 57 39 0D";
    QTest::newRow("64") << "64"
                        << "0C 57 6F 0D";
    for (const char *refused : {"0", "65", "x", " "})
        QTest::newRow(refused) << refused << QString();
}

void TestSpecial::storagePlaces() {
    QFETCH(QString, place);
    QFETCH(QString, sent);
    Over<TMarkNotCusrrent> s(2);
    edit(s.form, "MarkNum")->setText(place);
    click(s.form, "BtWriteText");
    QCOMPARE(s.rig.commands(), sent.isEmpty() ? QStringList{} : QStringList{sent});
    QCOMPARE(s.rig.messages.log, QStringList{sent.isEmpty() ? "beep" : "Information: Ok"});
}

void TestSpecial::storeAndRestore() {
    Over<TMarkNotCusrrent> s(2);
    QCOMPARE(child<QGroupBox>(s.form, "GB")->title(), QStringLiteral("MarkWriteToStorage"));
    const printer::Mark mark = s.rig.state().mark;
    edit(s.form, "MarkNum")->setText("5");
    click(s.form, "BtWriteText");
    QCOMPARE(s.rig.commands(), QStringList{"0C 57 34 0D"});
    s.rig.state().mark = {};

    // Each activation takes the mode afresh and empties the number; mode 0 reads with 'M'.
    const std::pair<int, const char *> modes[] = {{1, "MarkReadFromStorage"}, {0, "MarkRead"}};
    for (const auto &[mode, caption] : modes) {
        s.rig.setStorageMode(mode);
        s.form.FormActivate();
        QCOMPARE(child<QGroupBox>(s.form, "GB")->title(), QLatin1String(caption));
        QVERIFY(edit(s.form, "MarkNum")->text().isEmpty());
        edit(s.form, "MarkNum")->setText("5");
        s.rig.state().mark = {};
        s.rig.mark();
        click(s.form, "BtWriteText");
        QCOMPARE(s.rig.state().mark, mark);
    }
    QCOMPARE(s.rig.commands(), QStringList{"0C 4D 34 0D"});

    s.rig.switchOff();
    s.rig.mark();
    click(s.form, "BtWriteText");
    QCOMPARE(s.rig.messages.log, QStringList{"Error: Error"});
}

void TestSpecial::windowsAreWired() {
    MainRig rig;
    rig.main->FormActivate();
    wireWindows(*rig.main);
    const auto trigger = [&rig](const char *name) {
        QAction *action = rig.main->findChild<QAction *>(QLatin1String(name));
        QVERIFY2(action->isEnabled(), name);
        action->trigger();
    };
    for (const char *name : {"SpecFuncA", "ToolButton15", "ScriptReadA", "Store1", "Restore1"})
        trigger(name);
    QCOMPARE(rig.main->findChildren<TSpecFuncForm *>().size(), 2);
    QCOMPARE(rig.main->findChildren<TScriptReadForm *>().size(), 1);
    const auto storage = rig.main->findChildren<TMarkNotCusrrent *>();
    QCOMPARE(storage.size(), 2);
    QVERIFY(!storage[0]->isModal() && storage[0]->isVisible());
    QCOMPARE(rig.main->storageMode(), 1);
    for (QWidget *w : rig.main->findChildren<ActivatedDialog *>())
        w->close();
    QTRY_VERIFY(rig.main->findChildren<TMarkNotCusrrent *>().isEmpty());
    QVERIFY(rig.main->findChildren<TSpecFuncForm *>().isEmpty());
}

QTEST_MAIN(TestSpecial)
#include "tst_special.moc"
