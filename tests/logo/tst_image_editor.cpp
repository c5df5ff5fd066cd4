// The image editor: the clipboard import and its height fit, dots and selections edited with the
// mouse, the pop-up menu and the keys, saving and pasting bitmap files, and how the window is
// opened and reopened.

#include "ClipBrdRead.h"
#include "FormRig.h"
#include "MainRig.h"
#include "ManyLogoNumSelectUnit.h"
#include "Windows.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QPainter>
#include <QtTest>

namespace {
constexpr int kTop = LogoBand::kTop;

// The middle of the shown cell at column x, band row y.
QPoint at(int x, int y) {
    return {x * 8 + 4, y * 8 + 4};
}

// Black text on white, as a word processor's picture of a line.
QImage textPicture() {
    QImage picture(700, 120, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(70);
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.drawText(QPoint(10, 85), QStringLiteral("Stampline 2024"));
    return picture;
}

struct Editor {
    FormRig rig;
    std::unique_ptr<TClipBrdReadForm> form;

    // Made as the main window makes it; the messages of its making are kept.
    explicit Editor(bool readAtStart = false, int heightIndex = TClipBrdReadForm::kScaledIndex) {
        rig.logo().readAtStart = readAtStart;
        rig.logo().textHeightIndex = heightIndex;
        rig.mark();
        form = std::make_unique<TClipBrdReadForm>(rig);
        form->show();
    }
    LogoBand &band() { return form->band(); }
    QWidget *image() { return child<QWidget>(*form, "Image3"); }

    // A band of 40 columns with a few dots; edit mode on.
    void drawAndEdit() {
        for (int x = 0; x < 12; ++x)
            band().setDot(x, kTop + 4 + x % 6, true);
        band().setWidthValue(40);
        form->showBand();
        click(*form, "ToolButton6");
    }
    void mouse(QEvent::Type type, QPoint pos) {
        QMouseEvent event(type, pos, image()->mapToGlobal(pos),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(image(), &event);
    }
    void drag(QPoint from, QPoint to) {
        mouse(QEvent::MouseButtonPress, from);
        mouse(QEvent::MouseMove, to);
        mouse(QEvent::MouseButtonRelease, to);
    }
    // Opens the pop-up menu at a point of the band and picks an entry.
    void menu(QPoint pos, const char *entry) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, image()->mapToGlobal(pos));
        QApplication::sendEvent(image(), &event);
        child<QAction>(*form, entry)->trigger();
        child<QMenu>(*form, "PopupMenu1")->hide();
    }
    bool offered(const char *entry) { return child<QAction>(*form, entry)->isEnabled(); }
    void key(Qt::Key k) { QTest::keyClick(child<QComboBox>(*form, "CBScale"), k); }
};

// The smallest rectangle that holds every dot of the picture.
QRect dotBox(const LogoBand &band) {
    QRect box;
    for (int x = 0; x < LogoBand::kColumns; ++x)
        for (int y = 0; y < LogoBand::kRows; ++y)
            if (band.picture().dot(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Whether a 1-bit picture shows the band's area dot for dot.
bool showsArea(const QImage &bitmap, const LogoBand &band, const QRect &area) {
    if (bitmap.size() != area.size() || bitmap.depth() != 1)
        return false;
    for (int x = 0; x < area.width(); ++x)
        for (int y = 0; y < area.height(); ++y)
            if ((qGray(bitmap.pixel(x, y)) < 128) != band.picture().dot(area.x() + x, area.y() + y))
                return false;
    return true;
}
} // namespace

class TestImageEditor : public QObject {
    Q_OBJECT

private slots:
    void importFitsTheChosenHeight_data();
    void importFitsTheChosenHeight();
    void dotsAndCutPasteUndo();
    void movesStayInTheBand();
    void saveAndPasteFiles();
    void openingAndReopening();
};

void TestImageEditor::importFitsTheChosenHeight_data() {
    QTest::addColumn<QImage>("picture"); // on the clipboard; none: the text, if any
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("rows"); // rows of dots on the band, less one; -1: nothing imported
    QTest::addColumn<QStringList>("messages");
    const QString text = QStringLiteral("Stampline 2024\r\n");
    QImage yellow(100, 20, QImage::Format_RGB32);
    yellow.fill(Qt::yellow);
    QTest::newRow("picture, 8") << textPicture() << QString() << 0 << 8 << QStringList();
    QTest::newRow("picture, 16") << textPicture() << QString() << 8 << 16 << QStringList();
    QTest::newRow("picture, 32") << textPicture() << QString() << 24 << 31 << QStringList();
    QTest::newRow("text, 16") << QImage() << text << 8 << 16 << QStringList();
    // Ink from the top row on: the fit counts its first row from row 1, so the bar ends 16 rows
    // below row 1 and keeps its top row: 18 rows of dots.
    QImage bar(20, 40, QImage::Format_RGB32);
    bar.fill(Qt::white); // the capture's first column is its background
    for (int y = 0; y < bar.height(); ++y)
        for (int x = 5; x < 15; ++x)
            bar.setPixel(x, y, qRgb(0, 0, 0));
    QTest::newRow("bar from the top row, 16") << bar << QString() << 8 << 17 << QStringList();
    QTest::newRow("empty clipboard") << QImage() << QString() << 24 << -1
                                     << QStringList{"Error: Not Supported Clipboard Format",
                                                    "Error: ClipBoardImage convert error"};
    // A picture without anything dark in it cannot be fitted either.
    QTest::newRow("nothing dark") << yellow << QString() << 24 << -1
                                  << QStringList{"Error: ClipBoardImage convert error"};
}

void TestImageEditor::importFitsTheChosenHeight() {
    QFETCH(QImage, picture);
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(int, rows);
    if (!picture.isNull())
        QGuiApplication::clipboard()->setImage(picture);
    else if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
    else
        QGuiApplication::clipboard()->clear();
    Editor e(true, index);
    QTEST(e.rig.messages.log, "messages");
    QCOMPARE(e.band().hasPicture(), rows >= 0);
    QCOMPARE(e.image()->isVisible(), rows >= 0);
    if (rows < 0) { // an empty window, and nothing to edit
        click(*e.form, "ToolButton6");
        QVERIFY(!e.form->editMode());
        return;
    }
    // The dots end on the band's bottom row, exactly as high as the fit makes them.
    const QRect box = dotBox(e.band());
    QCOMPARE(box.bottom(), LogoBand::kBottom);
    QCOMPARE(box.height() - 1, rows);
    // The width value: one beyond the rightmost dot; shown one column wider, 8 pixels a dot.
    QCOMPARE(e.band().widthValue(), box.right() + 1);
    QCOMPARE(e.image()->size(), QSize((box.right() + 2) * 8, 256));
}

void TestImageEditor::dotsAndCutPasteUndo() {
    Editor e;
    e.band().setWidthValue(40);
    e.form->showBand();
    // Outside edit mode a click turns a dot over; the menu offers nothing.
    e.mouse(QEvent::MouseButtonPress, at(3, 5));
    QVERIFY(e.band().picture().dot(3, kTop + 5));
    e.mouse(QEvent::MouseButtonPress, at(3, 5));
    QVERIFY(!e.band().picture().dot(3, kTop + 5));

    e.drawAndEdit();
    const DotBand original = e.band().picture();
    e.drag(at(2, 4), at(6, 9));
    const QRect area(QPoint(2, kTop + 4), QPoint(6, kTop + 9));
    QCOMPARE(e.band().selection(), std::optional<QRect>(area));
    e.menu(at(3, 5), "Cut1");
    QVERIFY(!e.offered("Paste1")); // nothing had been copied when the menu opened
    QVERIFY(e.offered("Cut1"));
    QCOMPARE(e.band().picture().copy(area), DotBand(5, 6));
    DotBand cut = original;
    cut.clear(area);

    // Paste elsewhere, Escape takes it back, paste where it was: the band as it began.
    e.menu(at(20, 10), "Paste1");
    QVERIFY(e.offered("Paste1"));
    QCOMPARE(e.band().picture().copy(QRect(20, kTop + 10, 5, 6)), original.copy(area));
    QCOMPARE(e.band().selection(), std::optional<QRect>(QRect(20, kTop + 10, 5, 6)));
    e.key(Qt::Key_Escape);
    QCOMPARE(e.band().picture(), cut);
    QVERIFY(e.form->isVisible());
    e.menu(at(2, 4), "Paste1");
    QCOMPARE(e.band().picture(), original);

    // Delete clears the selection, Enter drops it; without a selection the menu offers less.
    e.key(Qt::Key_Delete);
    QCOMPARE(e.band().picture(), cut);
    e.key(Qt::Key_Enter);
    QVERIFY(!e.band().selection());
    e.menu(at(30, 1), "Copy1");
    QVERIFY(!e.offered("Cut1"));
    QVERIFY(e.offered("Paste1"));
    QVERIFY(e.offered("PastefromFile1"));
}

void TestImageEditor::movesStayInTheBand() {
    Editor e;
    e.drawAndEdit();
    e.drag(at(0, 0), at(3, 5)); // columns 0 to 3, the band's top rows
    const DotBand before = e.band().picture();
    const QRect area = *e.band().selection();

    // Up, left, and down past the bottom row: a beep each, and nothing moves.
    e.drag(at(1, 1), at(1, -1));
    e.drag(at(1, 1), at(-1, 1));
    e.drag(at(1, 1), at(1, 29));
    QCOMPARE(e.rig.messages.log, (QStringList{"beep", "beep", "beep"}));
    QCOMPARE(e.band().selection(), std::optional<QRect>(area));
    QCOMPARE(e.band().picture(), before);

    // A move by whole cells takes the dots along and leaves no dot behind; Escape undoes it.
    e.drag(at(1, 1), at(9, 27));
    const QRect moved = area.translated(8, 26);
    QCOMPARE(e.band().selection(), std::optional<QRect>(moved));
    QCOMPARE(e.band().picture().copy(moved), before.copy(area));
    QCOMPARE(e.band().picture().copy(area), DotBand(4, 6));
    e.key(Qt::Key_Escape);
    QCOMPARE(e.band().picture(), before);
}

void TestImageEditor::saveAndPasteFiles() {
    Editor e;
    e.drawAndEdit();
    const QString band = e.rig.dir.filePath(QStringLiteral("band"));
    e.rig.messages.fileNames = {band};
    click(*e.form, "ToolButton7");
    QVERIFY(showsArea(QImage(band + QStringLiteral(".bmp")), e.band(), e.band().shownArea()));

    e.drag(at(2, 4), at(6, 9));
    const QRect area(2, kTop + 4, 5, 6);
    const QString part = e.rig.dir.filePath(QStringLiteral("part.txt"));
    const QString partBitmap = e.rig.dir.filePath(QStringLiteral("part.bmp"));
    e.rig.messages.fileNames = {part};
    e.menu(at(3, 5), "SavetoFile1");
    QVERIFY(!QFile::exists(part));
    QVERIFY(showsArea(QImage(partBitmap), e.band(), area));
    e.menu(at(3, 5), "Copy1");
    QVERIFY(e.offered("Paste1")); // the save copied the selection
    QCOMPARE(e.rig.messages.fileDialogs, 2);
    QVERIFY(e.rig.messages.log.isEmpty());
    e.key(Qt::Key_Enter);
    const DotBand before = e.band().picture();

    // A colour bitmap is refused as the logo load refuses it.
    QImage colour(10, 10, QImage::Format_RGB32);
    colour.fill(Qt::black);
    const QString colourFile = e.rig.dir.filePath(QStringLiteral("colour.bmp"));
    QVERIFY(colour.save(colourFile, "BMP"));
    e.rig.messages.fileNames = {colourFile};
    e.menu(at(5, 5), "PastefromFile1");
    QCOMPARE(e.rig.messages.log, QStringList{"Information: Image is not monochrome..."});
    QCOMPARE(e.band().picture(), before);

    // The saved part lands with its top left corner on the cell of the menu, as the selection.
    e.rig.messages.fileNames = {partBitmap};
    e.menu(at(20, 3), "PastefromFile1");
    const QRect pasted(20, kTop + 3, 5, 6);
    QCOMPARE(e.band().selection(), std::optional<QRect>(pasted));
    QCOMPARE(e.band().picture().copy(pasted), before.copy(area));
}

void TestImageEditor::openingAndReopening() {
    // The tool button and "ReRead ClipBoard" ask the main window for a fresh read, and close.
    for (const char *button : {"ToolButton1", "Button1"}) {
        Editor e(false, 3);
        child<QComboBox>(*e.form, "CBScale")->setCurrentIndex(8);
        click(*e.form, button);
        QCOMPARE(e.rig.posted, QList<WindowMessage>{kReadClpBoard});
        QCOMPARE(e.rig.logo().textHeightIndex, qstrcmp(button, "Button1") ? 24 : 8);
        QVERIFY(!e.form->isVisible());
    }

    // The main window: the message makes the window anew, which reads the clipboard; the tool
    // button opens it empty with "32" chosen; a band goes to the multi-logo dialog. Each window
    // is closed whatever it showed.
    QGuiApplication::clipboard()->setImage(textPicture());
    MainRig rig;
    rig.main->skipStartUp();
    wireWindows(*rig.main);
    bool read = false, logosShown = false;
    onNextModal([&](QWidget *modal) {
        read = qobject_cast<TClipBrdReadForm *>(modal)->band().hasPicture();
        QTimer::singleShot(0, modal, [&, modal] {
            if (auto *logos = modal->findChild<TSelectLogosNum *>()) {
                logosShown = logos->isVisible();
                logos->reject();
            }
        });
        click(*modal, "ToolButton5");
        modal->close();
    });
    rig.hub->postMessage(kReadClpBoard);
    QTRY_VERIFY(read);
    QVERIFY(logosShown);
    QVERIFY(rig.hub->logo().readAtStart);

    rig.hub->logo().textHeightIndex = 2;
    QString height;
    onNextModal([&](QWidget *modal) {
        read = qobject_cast<TClipBrdReadForm *>(modal)->band().hasPicture();
        height = child<QComboBox>(*modal, "CBScale")->currentText();
        modal->close();
    });
    entry(*rig.main, "ToolButton24")->trigger();
    QVERIFY(!read);
    QCOMPARE(height, QStringLiteral("32"));
    QVERIFY(!rig.hub->logo().readAtStart);
    QVERIFY(rig.messages.log.isEmpty());
}

QTEST_MAIN(TestImageEditor)
#include "tst_image_editor.moc"
