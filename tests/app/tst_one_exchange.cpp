// One exchange at a time: windows activated in the middle of a mark read (which lets events through
// after every byte) and of a restore (logo writes under a long wait) start nothing of their own
// until it is over. The read and the restore go through, the printer's transcript shows nothing
// between their commands, and no box appears.

#include "MainRig.h"
#include "Mark.h"
#include "NewTextFragmentInsertUnit_1.h"
#include "TestFiles.h"
#include "Windows.h"

#include <QtTest>

namespace {
// The windows that read the printer when the operator comes back to them, activated in turn as
// soon as the printer takes the command named, from the events let through.
struct Activations {
    QList<QWidget *> windows;
    bool done = false;
    void on(MainRig &rig, const QString &command) {
        rig.printer->transcript().onCommand = [this, command](const QString &name) {
            if (name != command || done)
                return;
            done = true;
            for (QWidget *window : windows)
                QTimer::singleShot(0, window, [window] { QApplication::setActiveWindow(window); });
        };
    }
};

// A main window that found its printer, its windows wired, and the text editor open beside it.
struct Rig : MainRig {
    TOKHelpRightDlg *editor = nullptr;
    Rig() {
        main->FormActivate(); // the printer found
        main->show();
        wireWindows(*main);
        entry(*main, "FragEdit1")->trigger();
        editor = main->findChild<TOKHelpRightDlg *>();
        QVERIFY(QTest::qWaitForWindowActive(editor));
    }
};
} // namespace

class TestOneExchange : public QObject {
    Q_OBJECT

private slots:
    void activationsWaitForTheMarkRead() {
        Rig rig;
        Activations activations{{rig.main.get(), rig.editor, rig.main.get()}};
        activations.on(rig, QStringLiteral("ReadMarkImage"));
        rig.mark();
        entry(*rig.main, "MarkRead1")->trigger();
        rig.printer->transcript().onCommand = nullptr;
        QVERIFY(activations.done);
        QTRY_VERIFY(rig.main->findChild<TMarkForm *>()); // the read went through to its view
        QVERIFY(rig.messages.log.isEmpty());
        // The activations' reads come after the read, never inside it.
        const QStringList names = rig.commandNames();
        QCOMPARE(names.value(0), QStringLiteral("ReadMarkImage"));
        for (const QString &name : names.mid(1))
            QVERIFY2(name == QLatin1String("ReadTimeParams") ||
                         name == QLatin1String("ReadFragment"),
                     qPrintable(names.join(' ')));
    }

    void activationsWaitForTheRestore() {
        Rig rig;
        const QString file = rig.path(QStringLiteral("printer.json"));
        rig.messages.fileNames = {file, file};
        rig.messages.answers = {true};
        entry(*rig.main, "BackUp1")->trigger();
        QCOMPARE(rig.messages.take().size(), 1);

        qint64 now = 0;
        rig.hub->setClock([&now] { return now += 100; }); // the long wait shows and lets events in
        Activations activations{{rig.main.get(), rig.editor}};
        activations.on(rig, QStringLiteral("WriteLogo"));
        rig.mark();
        entry(*rig.main, "Restore2")->trigger();
        rig.printer->transcript().onCommand = nullptr;
        QVERIFY(activations.done);
        const QStringList shown = rig.messages.take();
        QCOMPARE(shown.size(), 2); // the question, then what came of it
        QVERIFY2(shown[1].startsWith(u"Information: The printer is restored"),
                 qPrintable(shown[1]));
        // Nothing but the restore's own commands until its last, the script.
        const QStringList names = rig.commandNames();
        const qsizetype last = names.lastIndexOf(QStringLiteral("WriteSpecFunc"));
        QVERIFY(last > 0);
        QCOMPARE(names.mid(0, last).count(QStringLiteral("ReadTimeParams")), 1);
        QCOMPARE(names.mid(0, last).count(QStringLiteral("ReadFragment")), 0);
    }
};

QTEST_MAIN(TestOneExchange)
#include "tst_one_exchange.moc"
