// The text fragment editor and the font dialog over the virtual printer: what each cell shows,
// the limits of a text, a text over a logo, the save question, and failed reads and writes.

#include "FormRig.h"
#include "NewTextFragmentInsertUnit_1.h"
#include "SetFontUnit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

using printer::Fragment;

namespace {
QString field(const QWidget &form, const char *name) {
    return child<QLineEdit>(form, name)->text();
}

void type(QWidget &form, const QString &text) {
    child<QLineEdit>(form, "Fragtext")->setText(text);
}

void clicks(QWidget &form, const char *name, int times) {
    for (int i = 0; i < times; ++i)
        click(form, name);
}

// The dialog as its activation leaves it: the current cell read.
struct Editor {
    FormRig rig;
    TOKHelpRightDlg dialog{rig};
    Editor() {
        dialog.show();
        dialog.FormActivate();
        rig.mark();
    }
    QString text() const { return field(dialog, "Fragtext"); }
    bool textEnabled() const { return child<QLineEdit>(dialog, "Fragtext")->isEnabled(); }
    bool changeShown() const { return !child<QCheckBox>(dialog, "Ch_")->isHidden(); }
    // `text` typed and written: what went out.
    QStringList write(const QString &text) {
        rig.mark();
        type(dialog, text);
        click(dialog, "BtWriteText");
        return rig.commandNames();
    }
};
} // namespace

class TestTextEditor : public QObject {
    Q_OBJECT

private slots:
    void eachCellShowsWhatItHolds() {
        Editor e;
        e.rig.state().cell(2, 2).text = "\xCF\xF0\xE8\xE2\xE5\xF2"; // "Привет" in the code page
        e.rig.state().cell(2, 2).font = 4;
        const char *const privet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
        // A text shows itself and its font; any other cell its label and "Change", a logo with
        // the last font, the others with their own.
        const struct {
            const char *arrow, *shown, *font;
            bool text;
        } cells[] = {
            {nullptr, "Graphic fragment", "6", false},   // 1,1 of a new printer
            {"BitBtn1", "STAMPLINE", "3", true},         // 1,2
            {"LogoNumInc", privet, "4", true},           // 2,2
            {"BitBtn1", "Counter fragment", "1", false}, // 2,3
            {"BitBtn2", privet, "4", true},
            {"BitBtn2", "TimeDate fragment", "1", false}, // 2,1
        };
        for (const auto &cell : cells) {
            if (cell.arrow)
                click(e.dialog, cell.arrow);
            QCOMPARE(e.text(), QString::fromUtf8(cell.shown));
            QCOMPARE(field(e.dialog, "EFontSize"), QString::fromLatin1(cell.font));
            QCOMPARE(e.textEnabled(), cell.text);
            QCOMPARE(e.changeShown(), !cell.text);
        }
        QVERIFY(e.rig.messages.log.isEmpty());
    }

    void arrowsKeepToTheMark() {
        Editor e;
        // Up and Down in a number field press its arrows.
        QTest::keyClick(child<QLineEdit>(e.dialog, "ColStr"), Qt::Key_Up);
        QCOMPARE(field(e.dialog, "ColStr"), QStringLiteral("2"));
        QTest::keyClick(child<QLineEdit>(e.dialog, "ColStr"), Qt::Key_Down);
        QCOMPARE(field(e.dialog, "ColStr"), QStringLiteral("1"));
        e.rig.mark();
        clicks(e.dialog, "LogoNumInc", 5);
        clicks(e.dialog, "BitBtn1", 9);
        QCOMPARE(field(e.dialog, "RowStr"), QStringLiteral("4"));
        QCOMPARE(field(e.dialog, "ColStr"), QStringLiteral("8"));
        clicks(e.dialog, "LogoNumDec", 5);
        QCOMPARE(field(e.dialog, "RowStr"), QStringLiteral("1"));
        // Every step reads its cell; the font arrows read nothing and stay within the fonts.
        QCOMPARE(e.rig.commandNames().size(), 19);
        e.rig.mark();
        clicks(e.dialog, "BitBtn3", 9);
        QCOMPARE(field(e.dialog, "EFontSize"), QStringLiteral("6"));
        clicks(e.dialog, "BitBtn4", 9);
        QCOMPARE(field(e.dialog, "EFontSize"), QStringLiteral("0"));
        QVERIFY(e.rig.commandNames().isEmpty());
    }

    void textLimits() {
        Editor e;
        // 1,1 holds a logo: "Change" lets a text take its cell (the gate itself is
        // tst_mark_editors', with the other editors').
        click(e.dialog, "Ch_");
        click(e.dialog, "BitBtn4"); // font 5

        // 37 characters with blanks around them are written whole, then the font.
        const QString text =
            QStringLiteral("  ") + QString(37, QLatin1Char('a')) + QStringLiteral(" ");
        QCOMPARE(e.write(text.left(38)), (QStringList{"WriteTextFragment", "SetFont"}));
        QCOMPARE(e.rig.messages.log, QStringList{"Information: Ok"});
        QCOMPARE(e.rig.state().cell(1, 1).kind, Fragment::Kind::Text);
        QCOMPARE(e.rig.state().cell(1, 1).text, text.left(38).toLatin1());
        QCOMPARE(e.rig.state().cell(1, 1).font, quint8(5));

        // 38 characters that count: refused, but the font still goes out.
        QCOMPARE(e.write(QString(38, QLatin1Char('b'))), QStringList{"SetFont"});
        QCOMPARE(e.rig.messages.log, QStringList{"Error: Maximum Fragment Length=37"});

        // 39: refused with a beep, nothing sent; typing past 38 beeps without cutting the text.
        e.rig.mark();
        type(e.dialog, QString(38, QLatin1Char('c')));
        QTest::keyClick(child<QLineEdit>(e.dialog, "Fragtext"), Qt::Key_D);
        QCOMPARE(e.text().size(), 39);
        QCOMPARE(e.rig.messages.log, QStringList{"beep"});
        e.rig.mark();
        click(e.dialog, "BtWriteText");
        QVERIFY(e.rig.commandNames().isEmpty());
        QCOMPARE(e.rig.messages.log,
                 (QStringList{"Error: Fragment text length <=37 symbols", "beep"}));

        // A control character would end the command and the printer would run the rest as
        // commands; a character the code page lacks would come out as another. Both are refused
        // with where they are, and nothing is sent, the font included.
        const auto mark = e.rig.state().mark;
        QVERIFY(e.write(QStringLiteral("A\r\x0bM")).isEmpty());
        QCOMPARE(e.rig.messages.log, QStringList{"Error: The text holds a control character (0Dh) "
                                                 "at position 2; nothing was sent."});
        QVERIFY(e.write(QStringLiteral("Zürich ł")).isEmpty());
        QCOMPARE(e.rig.messages.log,
                 QStringList{"Error: The text holds \"ü\" at position 2, which the printer's code "
                             "page (windows-1251) lacks; nothing was sent."});
        QCOMPARE(e.rig.state().mark, mark);

        // An empty text empties the cell.
        e.write(QString());
        QVERIFY(e.rig.state().cell(1, 1).text.isEmpty());
    }

    void saveQuestion() {
        Editor e;
        // "Change" ticked over the logo and nothing typed: no question.
        click(e.dialog, "Ch_");
        click(e.dialog, "BitBtn1");
        QCOMPARE(e.rig.messages.log, QStringList{});

        // A changed text: Yes writes it (and its font) into the cell it was typed for, then moves.
        type(e.dialog, QStringLiteral("NEW"));
        e.rig.mark();
        click(e.dialog, "BitBtn1");
        QCOMPARE(e.rig.messages.log,
                 (QStringList{"Question Confirm: Text was changed. Save?", "Information: Ok"}));
        QCOMPARE(e.rig.commandNames(),
                 (QStringList{"WriteTextFragment", "SetFont", "ReadFragment"}));
        QCOMPARE(e.rig.state().cell(1, 2).text, QByteArray("NEW"));
        QCOMPARE(field(e.dialog, "ColStr"), QStringLiteral("3"));

        // No leaves the printer alone.
        click(e.dialog, "BitBtn2");
        type(e.dialog, QStringLiteral("DROPPED"));
        e.rig.mark();
        e.rig.messages.answers = {false};
        click(e.dialog, "BitBtn2");
        QCOMPARE(e.rig.commandNames(), QStringList{"ReadFragment"});
        QCOMPARE(e.rig.state().cell(1, 2).text, QByteArray("NEW"));

        // After "Ok" the text written is what the cell holds: a later edit is asked about too.
        click(e.dialog, "BitBtn1"); // back to 1,2
        e.write(QStringLiteral("BATCH 42"));
        type(e.dialog, QStringLiteral("LINE 7"));
        e.rig.mark();
        e.rig.messages.answers = {true};
        click(e.dialog, "BitBtn1");
        QCOMPARE(e.rig.messages.log.value(0),
                 QStringLiteral("Question Confirm: Text was changed. Save?"));
        QCOMPARE(e.rig.state().cell(1, 2).text, QByteArray("LINE 7"));
        // Written and not edited again: a move asks nothing.
        click(e.dialog, "BitBtn2"); // back to 1,2
        e.write(QStringLiteral("BATCH 43"));
        e.rig.mark();
        click(e.dialog, "BitBtn1");
        QCOMPARE(e.rig.messages.log, QStringList{});
    }

    void failures() {
        Editor e;
        click(e.dialog, "BitBtn1");
        // A printer that stops answering: ten reads and the message. The program goes on, and the
        // editor stays open with what it shows.
        e.rig.switchOff();
        e.rig.mark();
        click(e.dialog, "BitBtn1");
        QCOMPARE(e.rig.messages.log, QStringList{"Error: TextFragmentRead Error"});
        QVERIFY(e.rig.posted.isEmpty() && e.dialog.isVisible());
        QVERIFY(e.text().isEmpty());

        // So after a failed write (its messages are the window-faults table's).
        e.write(QStringLiteral("X"));
        QVERIFY(e.rig.posted.isEmpty() && e.dialog.isVisible());
    }

    void fontDialog() {
        FormRig rig;
        TSetFontForm dialog(rig);
        QCOMPARE(field(dialog, "EFontSize"), QStringLiteral("0"));
        clicks(dialog, "LogoNumDec", 3); // this dialog's row reaches 0
        clicks(dialog, "BitBtn3", 12);
        QCOMPARE(field(dialog, "RowStr"), QStringLiteral("0"));
        QCOMPARE(field(dialog, "EFontSize"), QStringLiteral("9"));
        click(dialog, "LogoNumInc");
        clicks(dialog, "BitBtn4", 4);
        click(dialog, "BitBtn1");
        rig.mark();
        click(dialog, "BtWriteText"); // font 5 for cell 1,2; only the font changes
        QCOMPARE(rig.commandNames(), QStringList{"SetFont"});
        QCOMPARE(rig.messages.log, QStringList{"Information: Ok"});
        QCOMPARE(rig.state().cell(1, 2).font, quint8(5));
        QCOMPARE(rig.state().cell(1, 2).text, QByteArray("STAMPLINE"));
    }
};

QTEST_MAIN(TestTextEditor)
#include "tst_text_editor.moc"
