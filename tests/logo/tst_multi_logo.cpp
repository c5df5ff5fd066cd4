// The multi-logo dialog over the virtual printer: a band cut into slices of 125 columns, each
// written as a logo and placed in row 1 of the mark; refused slices; and the logo name filter.

#include "FormRig.h"
#include "LogoBand.h"
#include "ManyLogoNumSelectUnit.h"
#include "NameFilter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QtTest>

using printer::Fragment;
using namespace Qt::StringLiterals;

namespace {
// A band whose columns differ: a dot on the bottom row, and one climbing the band.
void drawBand(LogoBand &band, int widthValue) {
    for (int x = 0; x < widthValue; ++x) {
        band.setDot(x, LogoBand::kBottom, true);
        band.setDot(x, LogoBand::kTop + x % LogoBand::kHeight, true);
    }
    band.setWidthValue(widthValue);
}

QString text(const QWidget &form, const char *name) {
    return child<QComboBox>(form, name)->currentText();
}
} // namespace

class TestMultiLogo : public QObject {
    Q_OBJECT

private slots:
    void slicesCoverTheBand_data();
    void slicesCoverTheBand();
    void stopsAtTheFailingSlice();
    void nameFilter_data();
    void nameFilter();
};

void TestMultiLogo::slicesCoverTheBand_data() {
    QTest::addColumn<int>("widthValue");
    QTest::addColumn<QList<int>>("widths"); // N = width value + 1 columns in all
    QTest::newRow("N 125") << 124 << QList<int>{125};
    QTest::newRow("N 126") << 125 << QList<int>{125, 1};
    QTest::newRow("N 250") << 249 << QList<int>{125, 125};
    QTest::newRow("300-column band") << 300 << QList<int>{125, 125, 51};
}

void TestMultiLogo::slicesCoverTheBand() {
    QFETCH(int, widthValue);
    QFETCH(QList<int>, widths);
    FormRig rig;
    LogoBand band;
    drawBand(band, widthValue);
    TSelectLogosNum dialog(rig, band);
    const int slices = int(widths.size());
    for (int k = 1; k <= TSelectLogosNum::kSlices; ++k) {
        const QByteArray n = QByteArray::number(k);
        QCOMPARE(child<QComboBox>(dialog, "CB" + n)->isEnabled(), k <= slices);
        QCOMPARE(text(dialog, "CB" + n), k <= slices ? QString::number(31 + k) : QString());
        // The mark's columns only: the ninth slice starts at the last column, 8.
        QCOMPARE(text(dialog, "Col" + n), k <= slices ? QString::number(qMin(k, 8)) : QString());
        QCOMPARE(child<QComboBox>(dialog, "Col" + n)->count(), k <= slices ? 8 : 0);
    }
    child<QLineEdit>(dialog, "Name1")->setText(QStringLiteral("FIRST"));
    rig.mark();
    click(dialog, "OKBtn");

    const QStringList eachSlice(slices, QStringLiteral("WriteLogo PlaceLogo"));
    QCOMPARE(rig.commandNames().join(' '), eachSlice.join(' '));
    QCOMPARE(rig.messages.log, QStringList{"Information: Ok"});
    QCOMPARE(child<QProgressBar>(dialog, "PB1")->isHidden(), slices == 1);
    QCOMPARE(child<QProgressBar>(dialog, "PB1")->value(), 0);
    QCOMPARE(rig.state().logos[32].name, QByteArray("FIRST   "));
    for (int k = 0; k < slices; ++k) {
        const printer::Logo &logo = rig.state().logos[size_t(32 + k)];
        QCOMPARE(logo.columns, widths[k]);
        // Every dot of the slice as the band holds it, the band's top row on the logo's top row.
        for (int c = 0; c < logo.columns; ++c)
            for (int y = 0; y < LogoBand::kHeight; ++y)
                QCOMPARE(logo.dot(c, y), band.picture().dot(125 * k + c, LogoBand::kTop + y));
        const Fragment &cell = rig.state().cell(1, k + 1);
        QCOMPARE(cell.kind, Fragment::Kind::Graphic);
        QCOMPARE(cell.logo, 32 + k);
    }
}

void TestMultiLogo::stopsAtTheFailingSlice() {
    FormRig rig;
    LogoBand band;
    drawBand(band, 300);
    TSelectLogosNum dialog(rig, band);
    const Fragment secondCell = rig.state().cell(1, 2);

    // A column or a logo number that is no such thing is said at its field before anything goes
    // out, and the printer is not blamed for it.
    const struct {
        const char *combo, *typed, *allowed;
    } refused[] = {{"Col2", "x", "A column of the mark: 1 to 8"},
                   {"Col2", "9", "A column of the mark: 1 to 8"},
                   {"CB1", "3x", "A logo number: 0 to 255"},
                   {"CB3", "256", "A logo number: 0 to 255"}};
    for (const auto &row : refused) {
        auto *combo = child<QComboBox>(dialog, row.combo);
        const QString before = combo->currentText();
        combo->setEditText(QLatin1String(row.typed));
        rig.mark();
        click(dialog, "OKBtn");
        QVERIFY(rig.commandNames().isEmpty());
        QCOMPARE(rig.messages.log, QStringList{"beep"});
        QCOMPARE(dialog.focusWidget(), combo);
        QCOMPARE(combo->toolTip(), QLatin1String(row.allowed));
        combo->setEditText(before);
    }
    QCOMPARE(rig.state().cell(1, 2), secondCell);

    // A slice the printer does not take ends the write there: the slices after it are not sent.
    rig.printer->silenceFrom(600); // within the second slice's frame
    rig.mark();
    click(dialog, "OKBtn");
    QCOMPARE(rig.commandNames().mid(0, 2), (QStringList{"WriteLogo", "PlaceLogo"}));
    QCOMPARE(rig.commandNames().count(QStringLiteral("WriteLogo")), 2);
    QCOMPARE(rig.messages.log.last(), QStringLiteral("Error: Write Error"));
}

void TestMultiLogo::nameFilter_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("lowestKept"); // 49 is this dialog's
    QTest::addColumn<QString>("kept");
    QTest::addColumn<bool>("typing"); // also typed into the dialog's name edit, key by key
    QTest::newRow("blank, 0 and hyphen dropped") << u"A 0-b1"_s << 49 << u"Ab1"_s << true;
    QTest::newRow("ten letters") << u"abcdefghij"_s << 49 << u"abcdefgh"_s << true;
    QTest::newRow("beyond ASCII") << u"\u041B\u043E\u0433\u043E"_s << 49
                                  << u"\u041B\u043E\u0433\u043E"_s << false;
    QTest::newRow("a lower bound keeps the blank") << u"A 0-b1\t"_s << 32 << u"A 0-b1"_s << false;
}

void TestMultiLogo::nameFilter() {
    QFETCH(QString, typed);
    QFETCH(int, lowestKept);
    QFETCH(QString, kept);
    QFETCH(bool, typing);
    QCOMPARE(filterLogoName(typed, char16_t(lowestKept)), kept);
    if (!typing)
        return;
    FormRig rig;
    LogoBand band;
    drawBand(band, 10);
    TSelectLogosNum dialog(rig, band);
    QVERIFY(!child<QLineEdit>(dialog, "Name2")->isEnabled()); // one slice only
    auto *name = child<QLineEdit>(dialog, "Name1");
    QTest::keyClicks(name, typed);
    QCOMPARE(name->text(), kept);
    QCOMPARE(name->cursorPosition(), kept.size());
}

QTEST_MAIN(TestMultiLogo)
#include "tst_multi_logo.moc"
