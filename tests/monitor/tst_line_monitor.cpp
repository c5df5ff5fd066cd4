// The line monitor over the virtual printer, opened from the main window's Printer menu as the
// operator opens it: a row for each exchange the operator causes, the failed one marked; "Pause"
// holds new rows, "Clear" forgets them, "Save…" writes them to a text file; closed, it listens to
// nothing.

#include "LineMonitor.h"
#include "MainRig.h"
#include "Windows.h"

#include <QAction>
#include <QLabel>
#include <QTableView>
#include <QtTest>

namespace {

QAbstractItemModel *rowsOf(const TLineMonitor &monitor) {
    return child<QTableView>(monitor, "Rows")->model();
}

// Each row as the view shows it, "Operation | Sent | Received | Echo"; the state-block reads of
// the main window's activations left out.
QStringList shown(const TLineMonitor &monitor) {
    const QAbstractItemModel *m = rowsOf(monitor);
    QStringList rows;
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c :
             {ExchangeLog::Operation, ExchangeLog::Sent, ExchangeLog::Received, ExchangeLog::Echo})
            cells << m->index(r, c).data().toString();
        if (cells[0] != QLatin1String("ReadTimeParams"))
            rows << cells.join(QStringLiteral(" | "));
    }
    return rows;
}

int lastRow(const TLineMonitor &monitor) {
    return rowsOf(monitor)->rowCount() - 1;
}
} // namespace

class TestLineMonitor : public QObject {
    Q_OBJECT

private slots:
    void rowsPauseClearSave() {
        MainRig rig;
        wireWindows(*rig.main);
        rig.main->show();
        QTRY_VERIFY(rig.main->portReady());
        PortState &port = rig.hub->fn().state();
        QCOMPARE(port.watcher, nullptr); // nothing listens before it opens

        entry(*rig.main, "LineMonitor1")->trigger();
        auto *monitor = rig.main->findChild<TLineMonitor *>();
        QVERIFY(monitor && monitor->isVisible());
        QCOMPARE(monitor->windowTitle(), QStringLiteral("Line Monitor"));
        QCOMPARE(rig.main->dockWidgetArea(monitor), Qt::BottomDockWidgetArea);

        entry(*rig.main, "Start1")->trigger();
        QTRY_COMPARE(shown(*monitor), QStringList{"Start | 17  . | 17  . | 1 echoed"});
        const QAbstractItemModel *m = rowsOf(*monitor);
        const int start = lastRow(*monitor);
        QVERIFY(QRegularExpression(R"(^\d\d:\d\d:\d\d\.\d\d\d$)")
                    .match(m->index(start, ExchangeLog::Time).data().toString())
                    .hasMatch());
        QVERIFY(QRegularExpression(R"(^\d+\.\d ms$)")
                    .match(m->index(start, ExchangeLog::Took).data().toString())
                    .hasMatch());
        QVERIFY(!m->index(start, 0).data(Qt::BackgroundRole).isValid());

        // Paused, new exchanges wait and say how many; they show when it is released.
        click(*monitor, "BtPause");
        entry(*rig.main, "RunningNumbersReset1")->trigger();
        monitor->flush();
        QCOMPARE(shown(*monitor).size(), 1);
        QCOMPARE(child<QLabel>(*monitor, "Held")->text(), QStringLiteral("1 held"));
        click(*monitor, "BtPause");
        QCOMPARE(shown(*monitor).last(), QStringLiteral("RunningNumberReset | 1F  . | 1F  . | "
                                                        "1 echoed"));
        QCOMPARE(child<QLabel>(*monitor, "Held")->text(), QString());

        // A printer that does not answer: the row is marked and says why.
        rig.switchOff();
        entry(*rig.main, "Start1")->trigger();
        QTRY_COMPARE(shown(*monitor).size(), 3);
        QCOMPARE(shown(*monitor).last(), QStringLiteral("Start | 17  . |  | no echo for 17"));
        const QModelIndex failed = m->index(lastRow(*monitor), ExchangeLog::Operation);
        QVERIFY(failed.data(Qt::BackgroundRole).isValid());
        const QString why = failed.data(Qt::ToolTipRole).toString();
        QVERIFY2(why.endsWith(QStringLiteral("57600 baud: the printer did not answer")),
                 qPrintable(why));

        // Saved: a line a row, every field, the outcome last.
        const QString file = rig.path(QStringLiteral("line.txt"));
        rig.messages.fileNames = {file};
        click(*monitor, "BtSave");
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(saved.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.takeFirst(),
                 QStringLiteral("Time\tOperation\tSent\tReceived\tEcho\tTook\tResult"));
        QCOMPARE(lines.takeLast(), QString());
        QCOMPARE(lines.size(), m->rowCount());
        QStringList start2 = lines[start].split(QLatin1Char('\t'));
        start2.removeAt(5); // how long it took
        QCOMPARE(start2.mid(1), (QStringList{"Start", "17  .", "17  .", "1 echoed", "ok"}));
        QVERIFY(lines.last().endsWith(QStringLiteral("\tfailed: ") + why.mid(8)));

        // A file that cannot be written says so over the monitor.
        rig.messages.clear();
        rig.messages.fileNames = {rig.path(QStringLiteral("no-such-folder/line.txt"))};
        click(*monitor, "BtSave");
        QCOMPARE(rig.messages.log.size(), 1);
        QVERIFY(rig.messages.log[0].startsWith(QStringLiteral("Error: File Save Error")));
        QCOMPARE(rig.messages.over.value(0), monitor);

        click(*monitor, "BtClear");
        QCOMPARE(m->rowCount(), 0);

        // Closed, it listens to nothing; opened again, it shows what follows.
        rig.switchOn();
        monitor->close();
        QCOMPARE(port.watcher, nullptr);
        entry(*rig.main, "Start1")->trigger();
        QVERIFY(!port.exchange);
        entry(*rig.main, "LineMonitor1")->trigger();
        QCOMPARE(rig.main->findChild<TLineMonitor *>(), monitor);
        QCOMPARE(m->rowCount(), 0);
        entry(*rig.main, "Start1")->trigger();
        QTRY_COMPARE(shown(*monitor), QStringList{"Start | 17  . | 17  . | 1 echoed"});
    }

    // The bytes' cells: hex, then their characters in the printer's code page, long ones cut.
    void bytesAndCharacters() {
        QCOMPARE(bytesWithCharacters(QByteArray("\x11\x31\xC4\x0D\x98", 5)),
                 QStringLiteral("11 31 C4 0D 98  .1Д.."));
        const QByteArray mark(5129, 'A');
        const QString cut = bytesWithCharacters(mark, ExchangeLog::kShownBytes);
        QVERIFY(cut.startsWith(QStringLiteral("41 41 ")));
        QVERIFY(cut.endsWith(QString(32, QLatin1Char('A')) + QStringLiteral(" … (5129 bytes)")));
        QCOMPARE(bytesWithCharacters({}), QString());
    }
};

QTEST_MAIN(TestLineMonitor)
#include "tst_line_monitor.moc"
