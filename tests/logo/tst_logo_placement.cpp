// The logo placement window and the logos list over the virtual printer. A new printer holds the
// logos STAR, ARROW and FRAME in slots 0 to 2, STAR at cell 1,1 and a text at 1,2.

#include "FormRig.h"
#include "InProcessLine.h"
#include "LogoPicture.h"
#include "LogoToMarkUnit.h"
#include "LogoViewProgress.h"
#include "MainRig.h"
#include "ScriptedPrinter.h"
#include "ShowAllLogoListFormUnit.h"
#include "Windows.h"

#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

using printer::Fragment;

namespace {
const QString kOk = QStringLiteral("Information: Ok");
const QString kGate =
    QStringLiteral("Error: Select \"Change\" mode, if you want LogoToMark insert");

QString field(const QWidget &form, const char *name) {
    return child<QLineEdit>(form, name)->text();
}

// A rig whose names list may come from a scripted printer, or whose port opens nothing.
struct Rig : FormRig {
    void answerNames(const QByteArray &reply) {
        auto scripted = std::make_shared<ScriptedPrinter>(57600);
        scripted->expect(bytes("01 03")).reply(reply);
        // The line is opened afresh on the scripted printer for this read, and on the real one
        // after it.
        const LineFactory real =
            std::exchange(portState().openLine, [scripted](const QString &, QString *) {
                return std::make_unique<InProcessLine>(scripted);
            });
        portState().handle.reset();
        readLogoNames();
        portState().openLine = real;
        portState().handle.reset();
    }
    void unplug() { portState().portName = QStringLiteral("Com2"); }
};

// The placement window as its opener leaves it: the slot previewed, the window shown, its cell
// read.
struct Placement {
    Rig rig;
    std::unique_ptr<TLogoToMarkForm> form;
    explicit Placement(int slot = 0) {
        rig.logo().previewNumber = rig.logo().nameNumber = slot;
        rig.fn().ReadLogoPreview(slot, rig.logo().image);
        form = std::make_unique<TLogoToMarkForm>(rig);
        form->show();
        QCoreApplication::processEvents();
        rig.mark();
    }
    void press(const char *name, int times = 1) {
        for (int i = 0; i < times; ++i)
            click(*form, name);
    }
};

// Whether the window's picture is black exactly on the printer's logo dots, 4 pixels a dot.
bool samePicture(const QWidget &form, const printer::Logo &logo) {
    const QImage image = child<LogoPicture>(form, "Image1")->grab().toImage();
    bool same = image.size() == QSize(logo.columns * 4, logo.bytesPerColumn * 8 * 4);
    for (int y = 0; same && y < image.height(); ++y)
        for (int x = 0; same && x < image.width(); ++x)
            same = ((image.pixel(x, y) & 0xFFFFFF) == 0) == logo.dot(x / 4, y / 4);
    return same;
}

// A names list reply: the count, then for each record the slot, the name and one more byte.
QByteArray namesReply(std::initializer_list<std::pair<int, const char *>> records) {
    QByteArray out(1, char(records.size()));
    for (const auto &[slot, name] : records)
        out += char(slot) + QByteArray(name).leftJustified(8, ' ') + char(2);
    return out;
}

QStringList rowsOf(const QWidget &list) {
    auto *view = child<QTreeWidget>(list, "ListView2");
    QStringList rows;
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = view->topLevelItem(i);
        rows << QStringList{row->text(0), row->text(1), row->text(2)}.join(QLatin1Char('|'));
    }
    return rows;
}

// What the placement window that opens next shows once it has read its slot; it is then closed.
void onPlacementShown(QString *shown) {
    onNextModal(
        [shown](QWidget *modal) {
            *shown = modal->windowTitle() + QLatin1Char(' ') + field(*modal, "RowStr") +
                     QLatin1Char(' ') + field(*modal, "Edit1");
            modal->close();
        },
        [] {
            auto *placement = qobject_cast<TLogoToMarkForm *>(QApplication::activeModalWidget());
            return placement && !field(*placement, "Fragtext").isEmpty();
        });
}
} // namespace

class TestLogoPlacement : public QObject {
    Q_OBJECT

private slots:
    void pasteGate_data();
    void pasteGate();
    void arrowsStop();
    void slotSteps_data();
    void slotSteps();
    void rename();
    void clearAndSave();
    void logoList_data();
    void logoList();
    void openedFromListAndMainWindow();
};

void TestLogoPlacement::pasteGate_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("unread"); // the printer does not answer the cell's reads
    QTest::addColumn<bool>("tick");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("messages");
    const QStringList gate{kGate, QStringLiteral("beep")};
    QTest::newRow("logo cell: at once")
        << 1 << false << false << "Graphic fragment" << QStringList{kOk};
    QTest::newRow("text cell") << 2 << false << false << "Text fragment" << gate;
    QTest::newRow("text cell, Change") << 2 << false << true << "Text fragment" << QStringList{kOk};
    // Coming from a logo cell: nothing is known of the cell, so "Change" is asked for again.
    QTest::newRow("unread cell") << 2 << true << false << "" << gate;
    QTest::newRow("unread cell, Change") << 2 << true << true << "" << QStringList{kOk};
}

void TestLogoPlacement::pasteGate() {
    QFETCH(int, column);
    QFETCH(bool, unread);
    QFETCH(bool, tick);
    QFETCH(QString, shown);
    QFETCH(QStringList, messages);
    Placement p(2);
    if (unread)
        p.rig.switchOff();
    p.press("BitBtn2", column - 1);
    p.rig.switchOn();
    QCOMPARE(p.rig.messages.take(),
             unread ? QStringList{"Error: TextFragmentRead Error"} : QStringList());
    QCOMPARE(field(*p.form, "Fragtext"), shown);
    QCOMPARE(child<QCheckBox>(*p.form, "Ch_")->isHidden(), column == 1);
    if (tick)
        p.press("Ch_");
    p.rig.mark();
    p.press("OKBtn");
    QCOMPARE(p.rig.messages.log, messages);
    const bool placed = messages == QStringList{kOk};
    QCOMPARE(p.rig.commandNames(), placed ? QStringList{"PlaceLogo"} : QStringList());
    if (placed) // otherwise nothing reached the printer
        QCOMPARE(p.rig.state().cell(1, column), (Fragment{Fragment::Kind::Graphic, 0, {}, 2}));
}

void TestLogoPlacement::arrowsStop() {
    // Nine clicks on an arrow: the field it steps, where that starts and where it stops.
    const char *const steps[][4] = {
        {"BitBtn3", "ColStr", "1", "4"},        {"BitBtn5", "ColStr", "1", "1"},
        {"BitBtn2", "RowStr_", "1", "8"},       {"BitBtn4", "RowStr_", "1", "1"},
        {"LogoNumInc", "RowStr", "254", "255"}, {"LogoNumDec", "RowStr", "1", "0"}};
    Placement p;
    for (const auto &[arrow, name, start, stop] : steps) {
        child<QLineEdit>(*p.form, name)->setText(QString::fromLatin1(start));
        p.press(arrow, 9);
        QCOMPARE(field(*p.form, name), QString::fromLatin1(stop));
    }
    QVERIFY(p.rig.messages.log.isEmpty());
}

void TestLogoPlacement::slotSteps_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("readFails");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("name");
    QTest::newRow("up") << "LogoNumInc" << false << 2 << "FRAME";
    QTest::newRow("down") << "LogoNumDec" << false << 0 << "STAR";
    QTest::newRow("Show") << "Button7" << false << 1 << "ARROW";
    // A failed read: "Show" and the up arrow still move on; the down arrow stays.
    QTest::newRow("up, read fails") << "LogoNumInc" << true << 2 << "FRAME";
    QTest::newRow("down, read fails") << "LogoNumDec" << true << 1 << "ARROW";
}

void TestLogoPlacement::slotSteps() {
    QFETCH(QString, button);
    QFETCH(bool, readFails);
    QFETCH(int, slot);
    QFETCH(QString, name);
    Placement p(1);
    if (readFails)
        p.rig.printer->silenceFrom(0); // the preview read only
    p.press(qPrintable(button));
    QCOMPARE(p.rig.messages.log, readFails ? QStringList{"Error: Logo Read Error"} : QStringList());
    QCOMPARE(field(*p.form, "RowStr"), QString::number(slot));
    QCOMPARE(field(*p.form, "Edit1"), name);
    QVERIFY(child<QWidget>(*p.form, "LogoNumInc")->isEnabled());
    if (!readFails)
        QVERIFY(samePicture(*p.form, p.rig.state().logos[size_t(slot)]));

    // A slot that holds nothing says so, instead of a size of 32 x 256.
    child<QLineEdit>(*p.form, "RowStr")->setText(QStringLiteral("200"));
    p.rig.printer->clearFaults();
    p.press("Button7");
    QCOMPARE(child<QLabel>(*p.form, "Label1")->text(), QStringLiteral("Empty slot"));
}

void TestLogoPlacement::rename() {
    Placement p(1);
    auto *name = child<QLineEdit>(*p.form, "Edit1");
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("PL US-42XYZ"));
    QCOMPARE(name->text(), QStringLiteral("PLUS42XY"));
    p.press("BtRename");
    QCOMPARE(p.rig.messages.take(), QStringList{kOk});
    QCOMPARE(p.rig.state().logos[1].name, QByteArray("PLUS42XY"));
    QCOMPARE(LogoNameOf(p.rig.logoNames(), 1), QByteArray("PLUS42XY")); // the list read again

    // A list that cannot be read again closes the window.
    p.rig.switchOff();
    p.press("BtRename");
    QCOMPARE(p.rig.messages.log,
             QStringList({"Error: Logo Rename Error", "Error: LogoNamesList Read Error"}));
    QCOMPARE(p.rig.logoNames().count, 0);
    QVERIFY(!p.form->isVisible());
}

void TestLogoPlacement::clearAndSave() {
    for (const bool yes : {true, false}) {
        Placement p(1);
        const printer::Logo arrow = p.rig.state().logos[1];
        p.rig.messages.answers = {yes};
        p.press("Button1");
        QCOMPARE(p.rig.messages.defaults, QList<DefaultButton>{DefaultButton::No});
        QCOMPARE(p.rig.messages.log.first(),
                 QStringLiteral("Question Confirm: Logo delete. Are You Sure?"));
        QCOMPARE(p.rig.commandNames(), yes ? QStringList{"WriteLogo"} : QStringList());
        QCOMPARE(p.rig.state().logos[1], yes ? printer::Logo{} : arrow);

        // Saving: no dialog for a deleted logo; otherwise a bitmap, whatever extension was typed.
        p.rig.messages.fileNames = {p.rig.dir.filePath(QStringLiteral("arrow.txt"))};
        p.press("Button2");
        QCOMPARE(p.rig.messages.fileDialogs, yes ? 0 : 1);
        const QImage saved(p.rig.dir.filePath(QStringLiteral("arrow.bmp")));
        QCOMPARE(saved.size(), yes ? QSize(0, 0) : QSize(16, 16));
    }
}

void TestLogoPlacement::logoList_data() {
    QTest::addColumn<QByteArray>("names"); // empty: the printer's own list
    QTest::addColumn<bool>("plugged");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("printer's list")
        << QByteArray() << true << QStringList{"1|0|STAR", "2|1|ARROW", "3|2|FRAME"};
    QTest::newRow("slot twice") << namesReply({{7, "SEVEN"}, {3, "THREE"}, {7, "AGAIN"}}) << true
                                << QStringList{"1|7|SEVEN", "2|3|THREE", "3|7|SEVEN"};
    QTest::newRow("count 0") << namesReply({}) << true << QStringList();
    QTest::newRow("no port") << QByteArray() << false << QStringList();
}

void TestLogoPlacement::logoList() {
    QFETCH(QByteArray, names);
    QFETCH(bool, plugged);
    QFETCH(QStringList, rows);
    Rig rig;
    if (names.isEmpty())
        rig.readLogoNames();
    else
        rig.answerNames(names);
    if (!plugged)
        rig.unplug();
    for (int reading = 0; reading < 2; ++reading) { // each reading starts from an empty list
        rig.mark();
        TLogoViewForm progress(rig);
        progress.show();
        progress.FormActivate();
        QCOMPARE(progress.isVisible(), !plugged);
        QCOMPARE(rig.posted, plugged ? QList{kLogoViewDone} : QList<WindowMessage>());
        QCOMPARE(rowsOf(TShowAllLogoListForm(rig)), rows);
    }
}

void TestLogoPlacement::openedFromListAndMainWindow() {
    MainRig rig;
    wireWindows(*rig.main);
    rig.main->show();
    QVERIFY(QTest::qWaitFor([&rig] { return rig.main->portReady(); }));
    QVERIFY(QTest::qWaitForWindowActive(rig.main.get()));
    QString shown;
    onPlacementShown(&shown);
    rig.main->findChild<QAction *>(QStringLiteral("LogoToMarkAction"))->trigger();
    QCOMPARE(shown, QStringLiteral("LogoToMarkForm 0 STAR"));

    // LogosView: the names list, its reading, then the list beside the main window; a second
    // reading replaces it.
    QPointer<TShowAllLogoListForm> shownList;
    for (const char *entry : {"LogosView1", "ToolButton22"}) {
        rig.main->findChild<QAction *>(QString::fromLatin1(entry))->trigger();
        QTRY_VERIFY(!shownList);
        QTRY_COMPARE(rig.main->findChildren<TShowAllLogoListForm *>().size(), 1);
        shownList = rig.main->findChildren<TShowAllLogoListForm *>().first();
    }
    TShowAllLogoListForm &list = *shownList;
    QTRY_VERIFY(list.isActiveWindow());
    QCOMPARE(rowsOf(list), QStringList({"1|0|STAR", "2|1|ARROW", "3|2|FRAME"}));
    auto *view = child<QTreeWidget>(list, "ListView2");
    const QPoint row = view->visualItemRect(view->topLevelItem(2)).center();
    onPlacementShown(&shown);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row);
    QCOMPARE(shown, QStringLiteral("LogoToMarkForm 2 FRAME"));
}

QTEST_MAIN(TestLogoPlacement)
#include "tst_logo_placement.moc"
