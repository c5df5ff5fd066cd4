// The mark overview over the virtual printer: the grid a new printer shows, a cancelled read, a
// silent printer and a cell that does not answer, "Read" after a change, and the editors a double
// click or Enter opens at the cell. A new printer holds logos at 1,1 and 1,3, "STAMPLINE" at
// 1,2, a date at 2,1, " LOT " at 2,2 and an up-counter "00001" at 2,3.

#include "CounterUnit.h"
#include "FormRig.h"
#include "MainRig.h"
#include "MarkOverview.h"
#include "NewTextFragmentInsertUnit_1.h"
#include "SpecFuncUnit.h"
#include "Windows.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

using printer::Fragment;

namespace {
QTableWidget *grid(const QWidget &form) {
    return child<QTableWidget>(form, "Cells");
}
// What the grid shows at a cell, rows and columns from 1.
QString shown(const QWidget &form, int row, int column) {
    return grid(form)->item(row - 1, column - 1)->text();
}
QString state(const QWidget &form) {
    return child<QLabel>(form, "ReadState")->text();
}

// The overview as its opening leaves it: made, shown, its first read done.
struct Opened {
    FormRig rig;
    std::unique_ptr<TMarkOverviewForm> form;
    explicit Opened(const std::function<void(FormRig &)> &before = {}) {
        if (before)
            before(rig);
        rig.mark();
        form = std::make_unique<TMarkOverviewForm>(rig);
        form->show();
        QCoreApplication::processEvents();
    }
    TMarkOverviewForm &operator*() { return *form; }
};

QString field(const QWidget &form, const char *name) {
    return child<QLineEdit>(form, name)->text();
}
} // namespace

class TestOverview : public QObject {
    Q_OBJECT

private slots:
    void gridOfANewPrinter() {
        Opened o([](FormRig &rig) { rig.readLogoNames(); });
        const QStringList wholeRead =
            QStringList{"ReadTimeParams"} + QStringList(32, "ReadFragment");
        QCOMPARE(o.rig.commandNames(), wholeRead);
        QVERIFY(o.rig.messages.log.isEmpty());
        QVERIFY(state(*o).startsWith(QStringLiteral("All 32 cells read at")));
        const std::map<std::pair<int, int>, QString> cells = {
            {{1, 1}, "Graphic fragment\nLogo 0 STAR\nFont 6"},
            {{1, 2}, "Text fragment\nSTAMPLINE\nFont 3"},
            {{1, 3}, "Graphic fragment\nLogo 1 ARROW\nFont 6"},
            {{2, 1}, "TimeDate fragment\nDD.MM.YYYY\nFont 1"},
            {{2, 2}, "Text fragment\n LOT \nFont 1"},
            {{2, 3}, "Counter fragment\n00001 (up)\nFont 1"},
        };
        for (int row = 1; row <= 4; ++row)
            for (int column = 1; column <= 8; ++column) {
                const auto it = cells.find({row, column});
                QCOMPARE(shown(*o, row, column), it == cells.end() ? QString() : it->second);
            }
        const auto spoken = [&](int row, int column) {
            return grid(*o)->item(row - 1, column - 1)->data(Qt::AccessibleTextRole).toString();
        };
        QCOMPARE(spoken(1, 2), QStringLiteral("Row 1, column 2: Text fragment, STAMPLINE, Font 3"));
        QCOMPARE(spoken(4, 8), QStringLiteral("Row 4, column 8: empty"));
        QCOMPARE(grid(*o)->verticalHeaderItem(3)->text(), QStringLiteral("4"));
        QCOMPARE(grid(*o)->horizontalHeaderItem(7)->text(), QStringLiteral("8"));

        // Without the names list at hand a logo shows its slot alone; "Read" shows a change.
        Opened plain;
        QCOMPARE(shown(*plain, 1, 1), QStringLiteral("Graphic fragment\nLogo 0\nFont 6"));
        plain.rig.state().cell(3, 5) = Fragment{.font = 2, .text = "NEW"};
        plain.rig.state().cell(1, 2) = Fragment{};
        plain.rig.mark();
        click(*plain, "BtRead");
        QCOMPARE(plain.rig.commandNames(), wholeRead);
        QCOMPARE(shown(*plain, 3, 5), QStringLiteral("Text fragment\nNEW\nFont 2"));
        QCOMPARE(shown(*plain, 1, 2), QString());
        QVERIFY(plain.rig.messages.log.isEmpty());
    }

    void cancelKeepsWhatWasRead() {
        Opened o([](FormRig &rig) {
            rig.clockSteps(100);
            cancelNextLongWait();
        });
        const int read = int(o.rig.commandNames().count(QStringLiteral("ReadFragment")));
        QVERIFY2(read > 0 && read < 32, qPrintable(QString::number(read)));
        QCOMPARE(state(*o), QStringLiteral("Read cancelled: %1 of 32 cells read.").arg(read));
        QVERIFY(o.rig.messages.log.isEmpty());
        const int last = read - 1; // the cells go row by row
        QVERIFY(shown(*o, last / 8 + 1, last % 8 + 1) != QStringLiteral("(not read)"));
        QCOMPARE(shown(*o, read / 8 + 1, read % 8 + 1), QStringLiteral("(not read)"));
        QCOMPARE(shown(*o, 4, 8), QStringLiteral("(not read)"));
    }

    void silentPrinterAndDeafCell() {
        // Silent: one message, nothing read, and a cell not read opens no editor.
        Opened silent([](FormRig &rig) { rig.switchOff(); });
        QCOMPARE(silent.rig.messages.log, QStringList{"Error: TimeParamsRead Error"});
        QCOMPARE(silent.rig.messages.over.value(0), silent.form.get());
        QCOMPARE(shown(*silent, 2, 3), QStringLiteral("(not read)"));
        QCOMPARE(state(*silent), QStringLiteral("Not read: the printer sent no font count."));
        silent.rig.mark();
        silent.form->CellsDblClick(0, 0);
        QCOMPARE(silent.rig.messages.log, QStringList{"beep"});

        // Deaf for the ten reads of cell 1,4: one message for the whole read, that cell marked.
        int reads = 0;
        Opened deaf([&reads](FormRig &rig) {
            rig.setClock([&rig, &reads] {
                ++reads; // once for the wait, then once before every attempt
                if (reads == 5)
                    rig.switchOff();
                if (reads == 15)
                    rig.switchOn();
                return qint64(0);
            });
        });
        QCOMPARE(deaf.rig.messages.log, QStringList{"Error: TextFragmentRead Error"});
        QCOMPARE(deaf.rig.messages.details, QStringList{"Cells not read (row,column): 1,4"});
        QCOMPARE(shown(*deaf, 1, 4), QStringLiteral("(not read)"));
        QCOMPARE(shown(*deaf, 2, 3), QStringLiteral("Counter fragment\n00001 (up)\nFont 1"));
        QVERIFY(state(*deaf).contains(QStringLiteral("31 of 32 cells read")));
    }

    void editorsOpenAtTheCell() {
        MainRig rig;
        rig.main->FormActivate();
        wireWindows(*rig.main);
        // A post-date at 3,1 and the special-function counter at 3,4.
        rig.printer->state().cell(3, 1) =
            Fragment{.kind = Fragment::Kind::PostDate, .text = "DD.MM.YY"};
        QVERIFY(rig.hub->fn().WriteCounterFragment(3, 4, "500"));
        QVERIFY(rig.hub->fn().WriteSpecFunc("", "1", "500", "1", "1", "34"));

        entry(*rig.main, "MarkOverview1")->trigger(); // a disabled entry would open nothing
        QTRY_COMPARE(rig.main->findChildren<TMarkOverviewForm *>().size(), 1);
        TMarkOverviewForm &overview = *rig.main->findChildren<TMarkOverviewForm *>().first();
        QTRY_VERIFY(state(overview).startsWith(QStringLiteral("All")));
        QVERIFY(!overview.isModal());

        auto *table = grid(overview);
        const auto doubleClick = [&](int row, int column) {
            const QPoint at = table->visualItemRect(table->item(row - 1, column - 1)).center();
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
        };
        // The modal editors: the fields of the cell they opened at, then closed.
        const auto modalFields = [&](int row, int column, std::vector<const char *> names) {
            QStringList fields;
            onNextModal([&](QWidget *modal) {
                fields << QString::fromLatin1(modal->metaObject()->className());
                for (const char *name : names)
                    fields << field(*modal, name);
                modal->close();
            });
            doubleClick(row, column);
            return fields;
        };
        QCOMPARE(modalFields(2, 1, {"RowStr_", "ColStr"}), QStringList({"TTimeForm", "2", "1"}));
        QCOMPARE(modalFields(3, 1, {"RowStr_", "ColStr"}),
                 QStringList({"TPostDateForm", "3", "1"}));
        // The logo placement: row in ColStr, column in RowStr_, the cell's logo in RowStr.
        QCOMPARE(modalFields(1, 3, {"ColStr", "RowStr_", "RowStr"}),
                 QStringList({"TLogoToMarkForm", "1", "3", "1"}));

        // The modeless ones beside it.
        doubleClick(2, 3);
        auto *counter = rig.main->findChild<TCounterForm *>();
        QVERIFY(counter && counter->isVisible());
        QCOMPARE(QStringList({field(*counter, "RowStr_"), field(*counter, "ColStr")}),
                 QStringList({"2", "3"}));
        counter->close();
        doubleClick(3, 4);
        auto *special = rig.main->findChild<TSpecFuncForm *>();
        QVERIFY(special && special->isVisible());
        QCOMPARE(field(*special, "FragmNum"), QStringLiteral("34"));
        special->close();

        // Enter on an empty cell: the text editor, told its cell, reads it as it comes.
        table->setFocus();
        table->setCurrentCell(3, 6);
        rig.mark();
        QTest::keyClick(table, Qt::Key_Return);
        auto *text = rig.main->findChild<TOKHelpRightDlg *>();
        QTRY_VERIFY(text->isVisible());
        QCOMPARE(QStringList({field(*text, "RowStr"), field(*text, "ColStr")}),
                 QStringList({"4", "7"}));
        QTRY_VERIFY(rig.commands().contains(QStringLiteral("11 34 37")));
        text->hide();

        // Opened as before, the editors start where they always did.
        QTRY_COMPARE(rig.main->findChildren<TCounterForm *>().size(), 0);
        rig.main->findChild<QAction *>(QStringLiteral("Counter1"))->trigger();
        counter = rig.main->findChild<TCounterForm *>();
        QCOMPARE(QStringList({field(*counter, "RowStr_"), field(*counter, "ColStr")}),
                 QStringList({"1", "1"}));
        counter->close();
        QStringList time;
        onNextModal([&](QWidget *modal) {
            time << field(*modal, "RowStr_") << field(*modal, "ColStr");
            modal->close();
        });
        rig.main->findChild<QAction *>(QStringLiteral("TimeDate1"))->trigger();
        QCOMPARE(time, QStringList({"1", "1"}));
        QVERIFY(!rig.hub->mark().startCell);
    }
};

QTEST_MAIN(TestOverview)
#include "tst_overview.moc"
