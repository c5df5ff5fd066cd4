// The mark read and the mark view over the virtual printer: the read's outcomes and messages,
// its Cancel, the picture drawn dot by dot, the size, the grid, and the hand-overs through the
// main window (a new view for every read, "Read" reading again).

#include "FormRig.h"
#include "MainRig.h"
#include "Mark.h"
#include "MarkCanvas.h"
#include "MarkItems.h"
#include "MarkProgress.h"
#include "Windows.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>
#include <QtTest>

namespace {
constexpr int z = MarkShare::kZoom;

// A view as a read leaves it: drawn at its first activation; and what a view shows.
struct View {
    TMarkForm form;
    explicit View(Hub &hub) : form(hub) {
        hub.mark().redrawRequested = true;
        form.show();
        form.FormActivate();
    }
    static QString size(const TMarkForm &v) { return child<QLabel>(v, "SizeText")->text(); }
    static QImage picture(const TMarkForm &v) {
        return child<MarkCanvas>(v, "Image1")->grab().toImage();
    }
};

// The first pixel that is not black on a dot, silver on a grid line (when `grid`), white
// elsewhere, or the size when it is not `dots` (columns, rows) at the zoom; empty when the image is
// as it should be. dot(column, row from the top).
QString comparePixels(const QImage &image, QSize dots, bool grid,
                      const std::function<bool(int, int)> &dot) {
    if (image.size() != dots * z)
        return QStringLiteral("size %1*%2").arg(image.width()).arg(image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            QRgb want = dot(x / z, y / z) ? 0x000000 : 0xFFFFFF;
            if (grid && (x % z == 0 || y % z == 0))
                want = MarkCanvas::kGridColour;
            if ((image.pixel(x, y) & 0xFFFFFF) != want)
                return QStringLiteral("pixel %1,%2").arg(x).arg(y);
        }
    return {};
}

// The main window shown and active with its printer found, the program's windows wired.
struct Program {
    MainRig rig;
    Program() {
        wireWindows(*rig.main);
        rig.main->show();
        rig.main->activateWindow();
        if (!QTest::qWaitFor([this] { return rig.main->portReady(); }) ||
            !QTest::qWaitForWindowActive(rig.main.get()))
            qFatal("the main window did not start");
        rig.mark();
    }
    // An entry that opens the modal progress window; a read that never starts is closed.
    void trigger(const char *entry) {
        QTimer::singleShot(10000, rig.main.get(), [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        rig.main->findChild<QAction *>(QString::fromLatin1(entry))->trigger();
    }
    QList<TMarkForm *> views() const {
        QApplication::processEvents();
        return rig.main->findChildren<TMarkForm *>();
    }
};
} // namespace

class TestMarkView : public QObject {
    Q_OBJECT

private slots:
    void readOutcomes_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("valid");
        const QString failed = QStringLiteral("Error: Mark Read Error");
        QTest::newRow("read") << "read" << QString() << true;
        QTest::newRow("empty mark") << "empty"
                                    << "Information: Mark is Clear" << true;
        QTest::newRow("silent printer") << "silent" << failed << false;
        QTest::newRow("Cancel") << "cancel" << failed << false;
        QTest::newRow("Esc") << "escape" << failed << false;
    }

    void readOutcomes() {
        QFETCH(QString, how);
        QFETCH(QString, message);
        QFETCH(bool, valid);
        FormRig rig;
        rig.mark();
        TMarkProgreesForm progress(rig);
        auto *bar = child<QProgressBar>(progress, "ProgressBar1");
        progress.show();
        progress.FormActivate(); // nothing asked: nothing read
        QVERIFY(rig.commandNames().isEmpty());

        if (how != QLatin1String("read")) // an empty mark: the whole read is padding
            rig.fn().MarkDelete();
        if (how == QLatin1String("silent"))
            rig.switchOff();
        const bool stop = how == QLatin1String("cancel") || how == QLatin1String("escape");
        if (stop) // the operator stops the read halfway, once the bar has moved
            connect(bar, &QProgressBar::valueChanged, &progress, [&](int value) {
                if (value == 1 && how == QLatin1String("cancel"))
                    click(progress, "CancelBtn");
                else if (value == 1)
                    QTest::keyClick(&progress, Qt::Key_Escape);
            });
        rig.mark();
        rig.Hub::mark().readRequested = true;
        progress.FormActivate();

        QCOMPARE(rig.messages.log.join(QString()), message);
        if (!message.isEmpty())
            QCOMPARE(rig.messages.over.first(), &progress);
        if (how != QLatin1String("silent"))
            QCOMPARE(rig.commandNames(), QStringList{QStringLiteral("ReadMarkImage")});
        QCOMPARE(rig.posted, QList<WindowMessage>{kShowStamp});
        QCOMPARE(rig.Hub::mark().valid, valid);
        QVERIFY(!rig.Hub::mark().readRequested);
        // The window closes itself after a message; otherwise the main window closes it.
        QCOMPARE(progress.isVisible(), message.isEmpty());
        QCOMPARE(bar->value(), stop ? 1 : valid ? 20 : 0);
    }

    void sizeAndLayout_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("size");
        QTest::newRow("two bands") << 2 << 120 << "2*120";
        QTest::newRow("the largest") << 4 << 1280 << "4*1280";
        QTest::newRow("empty") << 0 << 0 << "0*0";
    }

    void sizeAndLayout() {
        QFETCH(int, height);
        QFETCH(int, length);
        QFETCH(QString, size);
        FormRig rig;
        rig.Hub::mark().image.height = height;
        rig.Hub::mark().image.length = length;
        View v(rig);
        QCOMPARE(View::size(v.form), size);
        QCOMPARE(v.form.pos(), QPoint(0, 0));
        QCOMPARE(child<MarkCanvas>(v.form, "Image1")->geometry(),
                 QRect(z, z, length * z, height * 8 * z));
        QVERIFY(child<QWidget>(v.form, "ReadBtn")->isEnabled());
        if (length == 0) // an empty mark leaves the window as designed
            return;
        auto *box = child<QScrollArea>(v.form, "ScrollBox1");
        auto *panel = child<QWidget>(v.form, "Panel1");
        QCOMPARE(box->geometry().topLeft(), QPoint(z, z));
        QCOMPARE(box->width(), 640); // long marks scroll
        QCOMPARE(v.form.height(), qMax(height * 8 * z + 10 * z, panel->height()));
        QCOMPARE(box->height(), v.form.height() - 2 * z);
        // The operator may make the view larger: the box takes the room, the panel stays right.
        v.form.resize(v.form.width() + 200, v.form.height() + 100);
        QCOMPARE(box->width(), 840);
        QCOMPARE(box->height(), v.form.height() - 2 * z);
        QCOMPARE(panel->geometry().right(), v.form.width() - 1 - z);
    }

    // The picture drawn dot for dot; the grid drawn over it at once and gone only at the next
    // drawing, the box's choice lasting from view to view.
    void dotsAndGrid() {
        FormRig rig;
        // The top dot of column 0 is bit 7 of its upper band, the bottom dot of column 1 bit 0 of
        // band 0; column 2 a run across the bands, column 3 full.
        const QStringList rows = {"#..#", "...#", "...#", "...#", "..##", "..##", "..##", "..##",
                                  "..##", "..##", "..##", "..##", "...#", "...#", "...#", ".#.#"};
        MarkImage &mark = rig.Hub::mark().image;
        mark.height = 2;
        mark.length = 4;
        mark.dots[0] = {0x00, 0x80};
        mark.dots[1] = {0x01, 0x00};
        mark.dots[2] = {0xF0, 0x0F};
        mark.dots[3] = {0xFF, 0xFF};
        // What a view shows: its box ticked or not, the dots, and the grid's lines over them or
        // not.
        const auto shows = [&](const TMarkForm &view, bool box, bool lines) {
            if (child<QCheckBox>(view, "GridsBox")->isChecked() != box)
                return QStringLiteral("the box");
            return comparePixels(View::picture(view), QSize(4, 16), lines,
                                 [&](int c, int r) { return rows[r][c] == QLatin1Char('#'); });
        };
        View first(rig);
        QCOMPARE(shows(first.form, false, false), QString());
        click(first.form, "GridsBox"); // drawn at once
        QCOMPARE(shows(first.form, true, true), QString());

        View second(rig);
        QCOMPARE(shows(second.form, true, true), QString());
        rig.mark();
        click(second.form, "GridsBox"); // off: the lines stay until the next drawing
        QCOMPARE(shows(second.form, false, true), QString());
        QCOMPARE(rig.messages.log, QStringList{QStringLiteral(
                                       "Information: Grid will be deleted after Mark redraw")});
        QCOMPARE(rig.messages.over.first(), &second.form);

        View third(rig);
        QCOMPARE(shows(third.form, false, false), QString());
    }

    void eachReadANewView() {
        Program p;
        p.trigger("ToolButton6");
        QTRY_COMPARE(p.views().size(), 1);
        TMarkForm *first = p.views().first();
        QVERIFY(first->isVisible() && !first->isModal());
        QVERIFY(p.rig.main->findChildren<TMarkProgreesForm *>().isEmpty());
        QVERIFY(p.rig.messages.log.isEmpty());
        // What the printer rendered, dot for dot, with the Read button to hand.
        const MarkPicture printed =
            renderMark(printer::markItems(p.rig.printer->state(), p.rig.printer->now()));
        QTRY_COMPARE(View::size(*first),
                     QStringLiteral("%1*%2").arg(printed.bands).arg(printed.columns.size()));
        const QSize dots(int(printed.columns.size()), printed.bands * 8);
        QCOMPARE(comparePixels(View::picture(*first), dots, false,
                               [&](int c, int r) { return (printed.columns[size_t(c)] >> r) & 1; }),
                 QString());
        QCOMPARE(first->focusWidget(), child<QWidget>(*first, "ReadBtn"));

        // "Read", pressed twice: the view closes and one new read opens a new view.
        p.rig.mark();
        QPointer<TMarkForm> asking = first;
        click(*first, "ReadBtn");
        click(*first, "ReadBtn");
        QTRY_VERIFY(!asking);
        QTRY_COMPARE(p.views().size(), 1);
        QCOMPARE(p.rig.commandNames(), QStringList{QStringLiteral("ReadMarkImage")});

        // A failed read opens nothing, and the open view keeps its picture when activated again.
        TMarkForm *second = p.views().first();
        const QImage before = View::picture(*second);
        p.rig.mark();
        p.rig.switchOff();
        p.trigger("MarkRead1");
        QTRY_COMPARE(p.rig.messages.log, QStringList{QStringLiteral("Error: Mark Read Error")});
        QCOMPARE(p.views(), QList{second});
        second->FormActivate();
        QCOMPARE(View::picture(*second), before);

        // An empty mark still opens a view, beside the one already open.
        p.rig.printer->setLineRate(57600); // switched on again
        p.rig.hub->fn().MarkDelete();
        p.rig.mark();
        p.trigger("StampRead__");
        QTRY_COMPARE(p.views().size(), 2);
        QTRY_COMPARE(View::size(*p.views().last()), QStringLiteral("0*0"));
    }
};

QTEST_MAIN(TestMarkView)
#include "tst_mark_view.moc"
