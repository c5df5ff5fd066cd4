// The line window over virtual printers, opened from the main window's Printer menu as the
// operator opens it: its rows kept fresh in the background, a job saved from the main window's
// printer, applied to checked printers and verified, a printer that differs found, a printer
// chosen by double click and by Enter for the main window, and the poll ended when it closes.

#include "LineWindow.h"
#include "MainRig.h"
#include "Windows.h"

#include <QComboBox>
#include <QFile>
#include <QTableWidget>
#include <QtTest>

namespace {

QString cellText(const TLineWindow &window, int row, int column) {
    const QTableWidgetItem *item = child<QTableWidget>(window, "Printers")->item(row, column);
    return item ? item->text() : QString();
}

void check(const TLineWindow &window, std::initializer_list<int> rows) {
    auto *table = child<QTableWidget>(window, "Printers");
    for (int row = 0; row < table->rowCount(); ++row)
        table->item(row, TLineWindow::Name)
            ->setCheckState(std::find(rows.begin(), rows.end(), row) != rows.end() ? Qt::Checked
                                                                                   : Qt::Unchecked);
}

} // namespace

class TestLineWindow : public QObject {
    Q_OBJECT

private slots:
    void printersJobsAndTheMainWindowsPrinter();
};

void TestLineWindow::printersJobsAndTheMainWindowsPrinter() {
    MainRig rig;
    const QString north = rig.virtualDevice(QStringLiteral("north.json"));
    const QString south = rig.virtualDevice(QStringLiteral("south.json"));
    {
        QFile file(rig.settings);
        QVERIFY(file.open(QIODevice::Append));
        file.write(QStringLiteral("\n[Line]\nJobFolder=%1\nPrinters\\size=3\n"
                                  "Printers\\1\\Name=Main\nPrinters\\1\\Device=%2\n"
                                  "Printers\\1\\Speed=57600\n"
                                  "Printers\\2\\Name=North\nPrinters\\2\\Device=%3\n"
                                  "Printers\\2\\Speed=57600\n"
                                  "Printers\\3\\Name=South\nPrinters\\3\\Device=%4\n"
                                  "Printers\\3\\Speed=57600\n")
                       .arg(rig.path("jobs"), rig.device, north, south)
                       .toUtf8());
    }
    wireWindows(*rig.main);
    rig.main->show();
    QTRY_VERIFY(rig.main->portReady());
    QVERIFY(rig.hub->fn().WriteTextFragment(1, 2, "LOT 42"));

    entry(*rig.main, "Line1")->trigger();
    auto *window = rig.main->findChild<TLineWindow *>();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Line"));
    QVERIFY(window->polling());
    QVERIFY(rig.hub->portState().sharesLine); // the main window takes turns with the poll
    // Every row fresh from the background poll: the main window's printer among them.
    for (int row = 0; row < 3; ++row) {
        QTRY_COMPARE(cellText(*window, row, TLineWindow::Connection), QStringLiteral("connected"));
        QVERIFY(cellText(*window, row, TLineWindow::Status).contains(": fase "));
    }
    QCOMPARE(cellText(*window, 1, TLineWindow::Name), QStringLiteral("North"));
    QCOMPARE(cellText(*window, 1, TLineWindow::Device), north);

    // Save as Job: the main window's printer into the job library.
    rig.messages.clear();
    rig.messages.fileNames.push_back(rig.path("jobs/changeover"));
    click(*window, "BtSaveJob");
    QTRY_COMPARE(rig.messages.log, QStringList("Information: The job is saved to " +
                                               rig.path("jobs/changeover") + ".json."));
    QCOMPARE(rig.messages.over.value(0), window);
    QCOMPARE(child<QComboBox>(*window, "Jobs")->currentText(), QStringLiteral("changeover"));

    // Applied to North and South at once, each read back.
    rig.messages.clear();
    check(*window, {1, 2});
    click(*window, "BtApply");
    QTRY_COMPARE(rig.messages.log.size(), 2);
    QCOMPARE(rig.messages.log,
             QStringList({"Question Confirm: Apply changeover to North, South? It overwrites "
                          "their marks and the logos the job places.",
                          "Information: changeover is applied: every printer verified."}));
    for (int row : {1, 2}) {
        QCOMPARE(cellText(*window, row, TLineWindow::Job), QStringLiteral("changeover: verified"));
        QVERIFY(!cellText(*window, row, TLineWindow::Verified).isEmpty());
    }
    QVERIFY(cellText(*window, 0, TLineWindow::Job).isEmpty());

    // North changed afterwards: found by a verify, and not mended by a write that is dropped.
    {
        PortState other;
        line::aimAt(other, {QStringLiteral("North"), north, QStringLiteral("57600")});
        other.openLine = rig.hub->lines();
        other.sharesLine = true;
        Functions f(other);
        QVERIFY(f.WriteTextFragment(1, 2, "LOT 41"));
    }
    rig.messages.clear();
    click(*window, "BtVerify");
    QTRY_COMPARE(rig.messages.log.size(), 1);
    QCOMPARE(rig.messages.log[0], QStringLiteral("Error: 1 of 2 printers match changeover."));
    QCOMPARE(rig.messages.details.value(0),
             QStringLiteral("North: differs: cell 1,2: printer holds \"LOT 41\", job says \"LOT "
                            "42\"\nSouth: matches"));
    QCOMPARE(cellText(*window, 1, TLineWindow::Job), QStringLiteral("changeover: differs"));
    rig.printerOf(north)->dropTextWrite();
    rig.messages.clear();
    check(*window, {1});
    click(*window, "BtApply");
    QTRY_COMPARE(rig.messages.log.size(), 2);
    QCOMPARE(rig.messages.log[1],
             QStringLiteral("Error: changeover is applied and verified on 0 of 1 printers."));
    QVERIFY2(rig.messages.details.value(0).startsWith(
                 "North: written but different: cell 1,2: printer holds \"LOT 41\""),
             qPrintable(rig.messages.details.value(0)));
    QCOMPARE(cellText(*window, 1, TLineWindow::Job),
             QStringLiteral("changeover: written but different"));

    // North by double click, South by Enter: the windows work on it, and say so.
    auto *table = child<QTableWidget>(*window, "Printers");
    const QRect northRow = table->visualItemRect(table->item(1, TLineWindow::Device));
    // A double click is a click, then a second press that the system reports as a double one.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, northRow.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, northRow.center());
    QCOMPARE(rig.hub->printerName(), QStringLiteral("North"));
    QCOMPARE(rig.main->windowTitle(), QStringLiteral("KVOR 100 — North"));
    QCOMPARE(child<QWidget>(*rig.main, "Shape1")->accessibleDescription(),
             QStringLiteral("North answers"));
    table->setCurrentCell(2, TLineWindow::Device);
    QTest::keyClick(table, Qt::Key_Return);
    QCOMPARE(rig.hub->printerName(), QStringLiteral("South"));
    const auto southPrinter = rig.printerOf(south);
    const qsizetype before = southPrinter->transcript().size();
    quint8 status = 0;
    QVERIFY(rig.hub->fn().ReadByteStatus(status));
    QVERIFY(southPrinter->transcript().size() > before);

    // Closed: no poll, and the main window keeps its line open again.
    window->close();
    QVERIFY(!window->polling());
    QVERIFY(!rig.hub->portState().sharesLine);
    // A port chosen: the port's printer again.
    QVERIFY(rig.hub->choosePort(QStringLiteral("Com1"), QStringLiteral("57600")));
    QVERIFY(rig.hub->printerName().isEmpty());
    QCOMPARE(rig.main->windowTitle(), QStringLiteral("KVOR 100"));
}

QTEST_MAIN(TestLineWindow)
#include "tst_line_window.moc"
