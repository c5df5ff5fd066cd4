// The logo window over the virtual printer: a 1-bit picture loaded into a slot, a slot read and
// shown, renamed, deleted and saved, the number and name checks, zoom and grid, failed transfers,
// and how the main window opens and closes it.

#include "FormRig.h"
#include "LogoReadWriteUnit.h"
#include "MainRig.h"
#include "Windows.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {
using Dots = std::function<bool(int x, int y)>;

bool everyDot(int columns, int rows, const Dots &same) {
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < rows; ++r)
            if (!same(c, r))
                return false;
    return true;
}

// A picture's dots: a diagonal weave, with a dot in the top row and in the last column.
bool weave(int x, int y) {
    return (x * 7 + y * 3) % 5 == 0 || y == 0;
}

QString writeBitmap(const QString &path, int width, int height, const Dots &dot,
                    QImage::Format format = QImage::Format_Mono) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, dot(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    picture.convertTo(format);
    picture.save(path, "BMP");
    return path;
}

// The weave, `columns` wide and 8 × B rows high, written into a slot.
void putWeave(Hub &hub, int slot, int B, int columns, const QByteArray &name) {
    LogoImage image;
    LogoDots staging{};
    PackColumns(image, staging, 8 * B, columns, weave);
    QVERIFY(hub.fn().WriteLogo(slot, B, columns, name, image));
}

struct LogoWindow {
    FormRig rig;
    std::unique_ptr<TLogoReadWriteForm> form;

    // Made as the main window makes it for the mode.
    void open(LogoMode mode, const QString &picture = {}) {
        rig.logo().mode = mode;
        rig.logo().pictureFile = picture;
        rig.logo().cell = LogoShare::kDefaultCell;
        rig.mark();
        form = std::make_unique<TLogoReadWriteForm>(rig);
        form->show();
    }
    QString picture(const QString &name) { return rig.dir.filePath(name); }
    void type(const char *edit, const QString &text) {
        child<QLineEdit>(*form, edit)->setText(text);
    }
    QString text(const char *edit) { return child<QLineEdit>(*form, edit)->text(); }
    QString size() { return child<QLabel>(*form, "Label1")->text(); }
    LogoPicture *image() { return child<LogoPicture>(*form, "Image1"); }
    // Whether the picture shows exactly these dots, `rows` high, `columns` wide.
    bool shows(const Dots &dot, int columns, int rows) {
        const QImage drawn = image()->grab().toImage();
        const int cell = rig.logo().cell;
        return !image()->isHidden() && drawn.size() == QSize(columns, rows) * cell &&
               everyDot(columns, rows, [&](int c, int r) {
                   return (drawn.pixelColor(c * cell + cell / 2, r * cell + cell / 2) ==
                           Qt::black) == dot(c, r);
               });
    }
};

bool slotHolds(const printer::Logo &logo, const Dots &dot) {
    return everyDot(logo.columns, 8 * logo.bytesPerColumn,
                    [&](int c, int y) { return logo.dot(c, y) == dot(c, y); });
}
} // namespace

class TestLogoWindow : public QObject {
    Q_OBJECT

private slots:
    void loadWritesThePicture_data();
    void loadWritesThePicture();
    void readAndLoad_data();
    void readAndLoad();
    void renameSaveAndClear();
    void numberChecks();
    void zoomAndGrid();
    void mainWindowOpensAndCloses();
};

void TestLogoWindow::loadWritesThePicture_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("shown");   // columns in the window
    QTest::addColumn<int>("sent");    // columns that reach the slot
    QTest::addColumn<QString>("cut"); // what the window says of the columns it leaves out
    QTest::newRow("12 rows: 2 bytes a column") << 40 << 12 << 40 << 40 << QString();
    QTest::newRow("32 rows: 125 columns fill the frame")
        << 130 << 32 << 125 << 125 << QStringLiteral("130 x 32 dots; the logo keeps its left 125");
    // Under 8 rows a picture of up to 4000 dots may be wider than the image: the image keeps
    // its 512 columns and shows them, a write carries the first 255.
    QTest::newRow("4 rows, 600 columns")
        << 600 << 4 << 512 << 255 << QStringLiteral("600 x 4 dots; the logo keeps its left 255");
}

void TestLogoWindow::loadWritesThePicture() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, shown);
    QFETCH(int, sent);
    QFETCH(QString, cut);
    LogoWindow w;
    w.open(LogoMode::Load, writeBitmap(w.picture(QStringLiteral("p.bmp")), width, height, weave));
    // Nothing is left out without a word.
    QCOMPARE(w.rig.messages.log.size(), cut.isEmpty() ? 0 : 1);
    if (!cut.isEmpty())
        QVERIFY2(
            w.rig.messages.log[0].startsWith("Information: the picture is " + cut + " columns"),
            qPrintable(w.rig.messages.log[0]));
    w.rig.messages.log.clear();
    const int B = (height + 7) / 8, below = 8 * B - height; // the picture sits on the bottom
    const Dots picture = [&](int c, int y) { return y >= below && weave(c, y - below); };
    QCOMPARE(w.size(), QStringLiteral("Col:%1*Row:%2").arg(shown).arg(8 * B));
    QCOMPARE(child<QPushButton>(*w.form, "OKBtn")->text(), QStringLiteral("Load"));
    QVERIFY(w.shows(picture, shown, 8 * B));

    w.type("RowStr", QStringLiteral("7"));
    w.type("Edit1", QStringLiteral("LOGO7"));
    click(*w.form, "OKBtn");
    QCOMPARE(w.rig.commandNames(), QStringList{"WriteLogo"});
    QCOMPARE(w.rig.messages.log, QStringList{"Information: Ok"});
    const printer::Logo &slot = w.rig.state().logos[7];
    QCOMPARE(slot.bytesPerColumn, B);
    QCOMPARE(slot.columns, sent);
    QVERIFY(slotHolds(slot, picture));
    QCOMPARE(slot.name, QByteArray("LOGO7   "));
}

void TestLogoWindow::readAndLoad_data() {
    QTest::addColumn<LogoMode>("mode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");         // an arrow key pressed in the number edit, or 0 for OKBtn
    QTest::addColumn<int>("wrongEchoAt"); // a host byte echoed wrongly; -1 none
    QTest::addColumn<int>("silentFrom"); // host byte from which the printer hears nothing; -1 never
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QStringList>("shown");
    const auto row = [](const char *name, LogoMode mode, const char *typed, int key,
                        int wrongEchoAt, int silentFrom, const QStringList &commands,
                        const QStringList &shown) {
        QTest::newRow(name) << mode << QString::fromLatin1(typed) << key << wrongEchoAt
                            << silentFrom << commands << shown;
    };
    const QStringList read{"ReadLogo"};
    row("Read", LogoMode::Read, "7", 0, -1, -1, read, {});
    row("a negative number reads its low byte", LogoMode::Read, "-249", 0, -1, -1, read, {});
    row("arrow up", LogoMode::Read, "6", Qt::Key_Up, -1, -1, read, {});
    row("arrow down", LogoMode::Read, "8", Qt::Key_Down, -1, -1, read, {});
    // Byte 2 is the slot number of the first read; the second never gets its own to the printer.
    row("a read tried again", LogoMode::Read, "7", 0, 2, -1, {"ReadLogo", "ReadLogo"}, {});
    row("a read failing twice", LogoMode::Read, "7", 0, 2, 5, {"ReadLogo", "Unknown"},
        {"Error: Logo Read Error"});
    row("a load failing", LogoMode::Load, "7", 0, -1, 0, {}, {"Error: Logo Load Error"});
}

void TestLogoWindow::readAndLoad() {
    QFETCH(LogoMode, mode);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, wrongEchoAt);
    QFETCH(int, silentFrom);
    QFETCH(QStringList, commands);
    QFETCH(QStringList, shown);
    LogoWindow w;
    putWeave(w.rig, 7, 3, 20, "SEVEN");
    const bool load = mode == LogoMode::Load;
    w.open(mode, load ? writeBitmap(w.picture(QStringLiteral("p.bmp")), 10, 8, weave) : QString());
    QCOMPARE(w.image()->isHidden(), !load);
    const QString before = w.size();
    const LogoDots dotsBefore = w.rig.logo().image.dots;
    w.type("RowStr", typed);
    if (wrongEchoAt >= 0)
        w.rig.printer->wrongEchoAt(wrongEchoAt);
    if (silentFrom >= 0)
        w.rig.printer->silenceFrom(silentFrom);
    if (key)
        QTest::keyClick(child<QLineEdit>(*w.form, "RowStr"), Qt::Key(key));
    else
        click(*w.form, "OKBtn");
    QCOMPARE(w.rig.commandNames(), commands);
    QCOMPARE(w.rig.messages.log, shown);
    QVERIFY(w.form->isVisible());
    if (!shown.isEmpty()) { // a failed transfer leaves the window as it was
        QCOMPARE(w.size(), before);
        QVERIFY(w.rig.logo().image.dots == dotsBefore);
        return;
    }
    QVERIFY(w.shows(weave, 20, 24));
    QCOMPARE(w.size(), QStringLiteral("Col:20*Row:24"));
    QCOMPARE(w.text("Edit1"), QStringLiteral("SEVEN"));
}

void TestLogoWindow::renameSaveAndClear() {
    LogoWindow w;
    putWeave(w.rig, 7, 2, 30, "OLD");
    w.open(LogoMode::Read);
    w.type("RowStr", QStringLiteral("7"));
    // The name as typed: hyphen and blank dropped, 8 kept.
    QTest::keyClicks(child<QLineEdit>(*w.form, "Edit1"), QStringLiteral("NEW-NA ME7XY"));
    QCOMPARE(w.text("Edit1"), QStringLiteral("NEWNAME7"));
    click(*w.form, "BtRename");
    QCOMPARE(w.rig.commandNames(), (QStringList{"ReadLogo", "WriteLogo"}));
    const printer::Logo &slot = w.rig.state().logos[7];
    QVERIFY(slotHolds(slot, weave));
    QCOMPARE(slot.name, QByteArray("NEWNAME7"));
    QVERIFY(w.shows(weave, 30, 16)); // the slot, shown under its new name
    QCOMPARE(w.text("Edit1"), QStringLiteral("NEWNAME7"));

    // Saved as a 1-bit bitmap with ".bmp" in place of the extension chosen.
    w.rig.messages.fileNames = {w.picture(QStringLiteral("saved.logo"))};
    click(*w.form, "BtSaveToFile");
    const QImage saved(w.picture(QStringLiteral("saved.bmp")));
    QCOMPARE(saved.depth(), 1);
    QCOMPARE(saved.size(), QSize(30, 16));
    QVERIFY(everyDot(30, 16, [&](int x, int y) {
        return (saved.pixelColor(x, y) == Qt::black) == weave(x, y);
    }));

    // No keeps the slot; Yes deletes it; the deleted logo is not saved.
    w.rig.mark();
    w.rig.messages.answers = {false, true};
    click(*w.form, "Button1");
    QCOMPARE(w.rig.commandNames(), QStringList{});
    click(*w.form, "Button1");
    QCOMPARE(w.rig.commandNames(), QStringList{"WriteLogo"});
    const QString question = QStringLiteral("Question Confirm: Logo delete. Are You Sure?");
    QCOMPARE(w.rig.messages.log, (QStringList{question, question, "Information: Ok"}));
    QCOMPARE(w.rig.messages.defaults, (QList<DefaultButton>{DefaultButton::No, DefaultButton::No}));
    QVERIFY(slot.isEmpty()); // the printer took the blank column as a deletion
    QCOMPARE(w.size(), QStringLiteral("Col:1*Row:32"));
    click(*w.form, "BtSaveToFile");
    QCOMPARE(w.rig.messages.fileDialogs, 1);
}

// A number that is no slot: the message, and nothing reaches the printer.
void TestLogoWindow::numberChecks() {
    const QString maximum = QStringLiteral("Error: Maximum Fragment №=255");
    const QString notASlot = QStringLiteral("Error: Fragment № must be a number from 0 to 255");
    const std::tuple<LogoMode, const char *, const char *, QString> rows[] = {
        {LogoMode::Read, "OKBtn", "300", maximum},   {LogoMode::Read, "OKBtn", "abc", "beep"},
        {LogoMode::Load, "OKBtn", "-1", notASlot},   {LogoMode::Read, "Button1", "", notASlot},
        {LogoMode::Read, "Button1", "-1", notASlot}, {LogoMode::Read, "BtRename", "x1", notASlot}};
    for (const auto &[mode, button, typed, shown] : rows) {
        LogoWindow w;
        w.open(mode, writeBitmap(w.picture(QStringLiteral("p.bmp")), 10, 10, weave));
        w.type("RowStr", QString::fromLatin1(typed));
        click(*w.form, button);
        QVERIFY2(w.rig.messages.log == QStringList{shown} && w.rig.commandNames().isEmpty(),
                 qPrintable(QStringLiteral("%1 \"%2\": ").arg(button, typed) +
                            (w.rig.messages.log + w.rig.commandNames()).join(", ")));
    }
}

void TestLogoWindow::zoomAndGrid() {
    // Nothing read: the zoom does nothing, not even a beep.
    LogoWindow w;
    w.open(LogoMode::Read);
    click(*w.form, "ToolButton4");
    click(*w.form, "ToolButton9");
    QVERIFY(w.rig.messages.log.isEmpty());
    QCOMPARE(w.rig.logo().cell, LogoShare::kDefaultCell);

    // A loaded picture: out at the default beeps; in and out double and halve, to the closest.
    w.open(LogoMode::Load, writeBitmap(w.picture(QStringLiteral("p.bmp")), 10, 16, weave));
    click(*w.form, "ToolButton9");
    QCOMPARE(w.rig.messages.take(), QStringList{"beep"});
    click(*w.form, "ToolButton4");
    QCOMPARE(w.rig.logo().cell, 8);
    QVERIFY(w.shows(weave, 10, 16));
    click(*w.form, "ToolButton9");
    QVERIFY(w.shows(weave, 10, 16));
    QCOMPARE(w.rig.logo().cell, 4);
    for (int cell = 8; cell <= TLogoReadWriteForm::kMaxCell; cell *= 2)
        click(*w.form, "ToolButton4");
    QVERIFY(w.rig.messages.log.isEmpty());
    click(*w.form, "ToolButton4");
    QCOMPARE(w.rig.messages.take(), QStringList{"beep"});
    QCOMPARE(w.rig.logo().cell, TLogoReadWriteForm::kMaxCell);

    // The grid goes on and off at once and is ticked again at the next opening.
    click(*w.form, "DrawGrids_");
    QVERIFY(w.image()->grid());
    QVERIFY(w.rig.logo().gridShown);
    w.open(LogoMode::Load, w.rig.logo().pictureFile);
    QVERIFY(child<QCheckBox>(*w.form, "DrawGrids_")->isChecked());
    QVERIFY(w.image()->grid());
    click(*w.form, "DrawGrids_");
    QVERIFY(!w.image()->grid());
    QVERIFY(w.rig.commandNames().isEmpty());
}

void TestLogoWindow::mainWindowOpensAndCloses() {
    MainRig rig;
    rig.main->FormActivate(); // the printer found
    wireWindows(*rig.main);
    // Whatever a window shows, it is closed in the end, so a failing check cannot leave it open;
    // the guard says when it had to.
    bool guarded = false;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&guarded] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            guarded = true;
            modal->close();
        }
    });
    guard.start(30000);

    // A cancelled picture choice opens nothing; a refused picture closes the window again.
    QAction *load = entry(*rig.main, "LogoLoad1");
    load->trigger();
    QCOMPARE(rig.messages.fileDialogs, 1);
    QVERIFY(rig.messages.log.isEmpty());
    rig.messages.fileNames = {
        rig.path(QStringLiteral("missing.bmp")),
        writeBitmap(rig.path(QStringLiteral("colour.bmp")), 8, 8, weave, QImage::Format_RGB888)};
    load->trigger();
    load->trigger();
    QVERIFY(!guarded); // each closed itself
    QCOMPARE(rig.messages.log, (QStringList{"Information: Image is not valid...",
                                            "Information: Image is not monochrome..."}));

    // "LogoRead" starts from a blank logo at the default zoom, whatever was shown before.
    rig.hub->logo().image.fill(0xFF);
    rig.hub->logo().cell = 16;
    onNextModal([](QWidget *modal) { modal->close(); });
    entry(*rig.main, "LogoRead1")->trigger();
    QCOMPARE(rig.hub->logo().cell, LogoShare::kDefaultCell);
    QCOMPARE(rig.hub->logo().image.columnCount, 32);
    QVERIFY(!rig.hub->logo().image.hasDots());
}

QTEST_MAIN(TestLogoWindow)
#include "tst_logo_window.moc"
