// The host's command set against the virtual printer: what the host gets back equals what the
// printer holds, and every command changes the printer as it says.

#include "MarkItems.h"
#include "ScriptedPrinter.h"
#include "VirtualRig.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace printer;

namespace {

FragmentReply readCell(Functions &f, int row, int column) {
    FragmentReply cell;
    if (!f.ReadFragment(row, column, cell))
        QTest::qFail("ReadFragment failed", __FILE__, __LINE__);
    return cell;
}

// The cell as "text|font|kind", all three in one comparison.
QByteArray cellAt(Functions &f, int row, int column) {
    const FragmentReply cell = readCell(f, row, column);
    return cell.text + '|' + QByteArray::number(cell.font) + '|' + QByteArray::number(cell.kind);
}

StateBlock readBlock(Functions &f) {
    StateBlock block;
    if (!f.ReadTimeParams(block))
        QTest::qFail("ReadTimeParams failed", __FILE__, __LINE__);
    return block;
}

// The clock of the state block in BCD: seconds, minutes, hours, weekday, day, month, year.
QByteArray clockOf(const StateBlock &block) {
    return QByteArray(reinterpret_cast<const char *>(&block.bytes[3]), 7).toHex(' ');
}

// A logo image in file orientation from text rows ('#' a dot), as the logo window packs one.
LogoImage packed(const QStringList &rows) {
    LogoImage image;
    LogoDots staging{};
    PackColumns(image, staging, int(rows.size()), int(rows[0].size()),
                [&](int x, int y) { return rows[y][x] == QLatin1Char('#'); });
    image.bytesPerColumn = (int(rows.size()) + 7) / 8;
    image.columnCount = int(rows[0].size());
    return image;
}

// Reads the mark picture into IMAGE; its dots as columns, bit y the dot y rows from the top.
std::vector<quint32> readColumns(Functions &f, MarkImage &image) {
    if (!f.ReadMarkImage(image))
        QTest::qFail("ReadMarkImage failed", __FILE__, __LINE__);
    std::vector<quint32> columns;
    for (int c = 0; c < image.length; ++c) {
        quint32 word = 0;
        for (int y = 0; y < image.height * 8; ++y)
            if (image.dot(c, y))
                word |= quint32(1) << y;
        columns.push_back(word);
    }
    return columns;
}

} // namespace

class TstVirtualPrinter : public QObject {
    Q_OBJECT

private slots:
    void init();
    void runAndSwitchCommands();
    void fragmentsRoundTrip();
    void countersStepWithPrints();
    void clockAndStateBlock();
    void parameters();
    void statusByteAndInkSystem();
    void specialFunctions();
    void markStorage();
    void logoTransfers();
    void markPicture();
    void faultsFailOneOperation();
    void stateFileSurvivesRestart();
    void stateFilesUnderHostileInput();
    void lineRateAndPrinterSearch();
    void commandsSharingFirstBytes();
    void transcriptNamesCommandsAndStaysBounded();

private:
    // A fresh printer, and the host talking to it, for each test.
    std::unique_ptr<VirtualRig> rig;
    Functions *f = nullptr;
};

void TstVirtualPrinter::init() {
    rig.reset(); // the rig before lets go of the printer's clock as it goes
    rig = std::make_unique<VirtualRig>();
    f = &rig->f;
}

void TstVirtualPrinter::runAndSwitchCommands() {
    // A command, then the run, the high voltage and the switches as the next state block read
    // finds them. A set switch bit is the normal way: forward, no correction, no rotation.
    const auto after = [&host = *f, &r = *rig](bool (Functions::*command)()) {
        if (!(host.*command)())
            return QByteArray("failed");
        const QByteArray switches = QByteArray::number(readBlock(host).switches());
        return QByteArray(r.state().started ? "run " : "- ") +
               (r.state().highVoltage ? "HV " : "- ") + switches;
    };
    QCOMPARE(after(&Functions::HighVoltageTurn), QByteArray("- HV 7"));
    QCOMPARE(after(&Functions::HighVoltageTurn), QByteArray("- - 7"));
    QCOMPARE(after(&Functions::Start), QByteArray("run HV 7"));
    QCOMPARE(after(&Functions::Stop), QByteArray("- HV 7")); // Stop ends the run only
    QCOMPARE(after(&Functions::PrintStart), QByteArray("run HV 7"));
    QCOMPARE(after(&Functions::AutoRunStop), QByteArray("- HV 7"));
    QCOMPARE(after(&Functions::PrintStart), QByteArray("run HV 7"));
    QCOMPARE(after(&Functions::Reset), QByteArray("- - 7")); // the read shows a lone 12
    QCOMPARE(rig->printer->transcript().hostBytesOf("Reset").size(), size_t(1));
    QCOMPARE(after(&Functions::MarkPrintBack), QByteArray("- - 6"));
    QCOMPARE(after(&Functions::BreakPointCorrectionOn), QByteArray("- - 4"));
    QCOMPARE(after(&Functions::MarkRotateOn), QByteArray("- - 0"));
    QCOMPARE(after(&Functions::MarkPrintForward), QByteArray("- - 1"));
    QCOMPARE(after(&Functions::BreakPointCorrectionOff), QByteArray("- - 3"));
    QCOMPARE(after(&Functions::MarkRotateOff), QByteArray("- - 7"));
}

void TstVirtualPrinter::fragmentsRoundTrip() {
    QVERIFY(f->MarkDelete());
    QCOMPARE(cellAt(*f, 4, 8), QByteArray("|0|255"));

    QVERIFY(f->WriteTextFragment(1, 2, "\xCF\xF0\xE8\xE2\xE5\xF2 1"));
    QVERIFY(f->SetFont(4, 1, 2));
    QCOMPARE(cellAt(*f, 1, 2), QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2 1|4|255"));

    // A 38-byte text is kept whole; the printer keeps no more than that.
    QVERIFY(f->WriteTextFragment(4, 8, QByteArray(38, 'x')));
    QCOMPARE(cellAt(*f, 4, 8), QByteArray(38, 'x') + "|0|255");
    QVERIFY(f->WriteCounterFragment(4, 7, QByteArray(50, '7')));
    QCOMPARE(cellAt(*f, 4, 7), QByteArray(38, '7') + "|0|6");

    // A counter's kind is the direction at the time of writing.
    QVERIFY(f->RunningNumberBack());
    QVERIFY(f->WriteCounterFragment(2, 1, "0042"));
    QVERIFY(f->RunningNumberForward());
    QVERIFY(f->WriteCounterFragment(2, 2, "7"));
    QCOMPARE(cellAt(*f, 2, 1), QByteArray("0042|0|5"));
    QCOMPARE(cellAt(*f, 2, 2), QByteArray("7|0|6"));

    QVERIFY(f->WriteTimeDateFragment(3, 1, "HH:XX DD/MM/YY"));
    QCOMPARE(cellAt(*f, 3, 1), QByteArray("HH:XX DD/MM/YY|0|0"));
    QVERIFY(f->WritePostDateFragment(3, 2, "0300", "DD.MM.YYYY"));
    QCOMPARE(cellAt(*f, 3, 2), QByteArray("DD.MM.YYYY|0|2"));
    QCOMPARE(readBlock(*f).postDateDays(), 300);

    // A logo number of 13 looks like a CR: it is still taken as the number. A graphic cell's
    // font is the font count (7) and its text the slot.
    QVERIFY(f->SetFont(2, 3, 3));
    QVERIFY(f->PlaceLogo(13, 3, 3));
    QCOMPARE(cellAt(*f, 3, 3), QByteArray("\x0D|7|255"));
    // A text written over a graphic cell is a text fragment again.
    QVERIFY(f->WriteTextFragment(3, 3, "A"));
    QCOMPARE(cellAt(*f, 3, 3), QByteArray("A|0|255"));

    // An empty text empties the cell; cells outside the grid change nothing.
    QVERIFY(f->WriteTextFragment(1, 2, ""));
    QVERIFY(rig->state().cell(1, 2).isEmpty());
    const Mark before = rig->state().mark;
    QVERIFY(f->WriteTextFragment(5, 1, "no row 5"));
    QVERIFY(f->SetFont(3, 0, 1));
    QVERIFY(f->SetFont(9, 1, 1)); // no font 9
    QCOMPARE(rig->state().mark, before);
    QCOMPARE(readCell(*f, 0, 9).kind, quint8(255));

    QVERIFY(f->MarkDelete());
    QCOMPARE(rig->state().mark, Mark{});
}

void TstVirtualPrinter::countersStepWithPrints() {
    QVERIFY(f->MarkDelete());
    QVERIFY(f->RunningNumberForward());
    QVERIFY(f->WriteCounterFragment(1, 1, "0998"));
    QVERIFY(f->RunningNumberBack());
    QVERIFY(f->WriteCounterFragment(1, 2, "001"));
    QVERIFY(f->WriteCounterFragment(1, 3, "A12")); // not a number: shown as written, never steps
    QVERIFY(f->SetAutoRunPeriod("5"));             // half a second
    const auto counters = [&host = *f] {
        return readCell(host, 1, 1).text + ' ' + readCell(host, 1, 2).text + ' ' +
               readCell(host, 1, 3).text;
    };

    rig->advanceMs(10'000); // nothing prints while stopped
    QCOMPARE(counters(), QByteArray("0998 001 A12"));

    QVERIFY(f->Start());
    rig->advanceMs(1'499); // two prints fell due; down through zero wraps
    QCOMPARE(counters(), QByteArray("1000 999 A12"));

    rig->advanceMs(1); // the third print
    QCOMPARE(counters(), QByteArray("1001 998 A12"));
    QVERIFY(f->Stop());
    rig->advanceMs(60'000);
    QCOMPARE(counters(), QByteArray("1001 998 A12"));

    QVERIFY(f->RunningNumberReset());
    QCOMPARE(counters(), QByteArray("0998 001 A12"));
}

void TstVirtualPrinter::clockAndStateBlock() {
    const StateBlock block = readBlock(*f);
    QCOMPARE(block.received, 14);
    QCOMPARE(block.fontCount(), 7);
    QCOMPARE(clockOf(block), QByteArray("30 20 10 05 15 03 24")); // a Friday
    QCOMPARE(block.axl(), int(rig->state().axl));

    QVERIFY(f->SetTime("235958"));
    QVERIFY(f->SetDate("311299"));
    rig->advanceMs(3'000); // the clock runs: past midnight into the next century's first day
    QCOMPARE(clockOf(readBlock(*f)), QByteArray("01 00 00 05 01 01 00")); // 2100 began on a Friday

    // Impossible times and dates are acknowledged and change nothing; hour 24 is the end of
    // the day.
    const qint64 offset = rig->state().clockOffsetMs;
    QVERIFY(f->SetDate("310224"));
    QVERIFY(f->SetTime("126000"));
    QVERIFY(f->SetTime("12ab00"));
    QCOMPARE(rig->state().clockOffsetMs, offset);
    QVERIFY(f->SetDate("280224"));
    QVERIFY(f->SetTime("240000"));
    QCOMPARE(clockOf(readBlock(*f)), QByteArray("00 00 00 04 29 02 24"));

    QVERIFY(f->SetAutoRunPeriod("255"));
    QCOMPARE(readBlock(*f).autoRunPeriod(), 255);
    QVERIFY(f->SetAutoRunPeriod("256")); // not a period: kept as it was
    QCOMPARE(readBlock(*f).autoRunPeriod(), 255);
}

void TstVirtualPrinter::parameters() {
    const QByteArray letters = "CDFHJKLQSTUYZ";
    for (int i = 0; i < letters.size(); ++i) {
        rig->state().parameters[size_t(i)] = quint8(10 * i);
        quint8 value = 0xEE;
        QVERIFY(f->ReadParam(quint8(letters[i]), value));
        QCOMPARE(value, quint8(10 * i));
    }
    // The raw 12 that closes a read is taken silently: no echo, and no Reset.
    QCOMPARE(rig->printer->transcript().lastCommandPrinterBytes(), bytes("0C 5A 05 78"));
    QVERIFY(f->Start());
    quint8 value = 0;
    QVERIFY(f->ReadParam('C', value));
    QVERIFY(rig->state().started);

    // A step and the value the printer answers, which stays within 0..255.
    const auto step = [&host = *f, &value](bool (Functions::*command)(quint8, quint8 &),
                                           char letter) {
        return (host.*command)(quint8(letter), value) ? int(value) : -1;
    };
    QCOMPARE(step(&Functions::IncreaseParam, 'H'), 31);
    QCOMPARE(rig->state().parameters[3], quint8(31));
    QCOMPARE(step(&Functions::DecreaseParam, 'H'), 30);
    QCOMPARE(step(&Functions::DecreaseParam, 'H'), 29);
    rig->state().parameters[0] = 0;
    QCOMPARE(step(&Functions::DecreaseParam, 'C'), 0);
    rig->state().parameters[0] = 255;
    QCOMPARE(step(&Functions::IncreaseParam, 'C'), 255);
}

void TstVirtualPrinter::statusByteAndInkSystem() {
    const auto status = [&host = *f] {
        quint8 byte = 0;
        return host.ReadByteStatus(byte) ? int(byte) : -1;
    };
    QCOMPARE(status(), 0b1001'1010); // red phase, HV unit ok, HV off, cover closed
    QVERIFY(f->HighVoltageTurn());
    QCOMPARE(status() & 0xC4, 0xC4); // ready: yellow phase, HV on
    QVERIFY(f->SetAutoRunPeriod("1"));
    QVERIFY(f->Start());
    QCOMPARE(status() & 0xC5, 0x45); // running: green phase, HV on, printing

    QVERIFY(f->KeyboardSelect());
    QCOMPARE(status() & 0x30, 0x30);
    QByteArray text;
    QVERIFY(f->ReadHydroStatus(text));
    QCOMPARE(text.size(), 38);
    QVERIFY(text.contains("KBD SEL"));
    QVERIFY(f->KeyboardOff());
    QVERIFY(!rig->state().keyboardSelected);
    // The ink-system commands begin with 12 like Reset, and are not one.
    QVERIFY(rig->state().started);
}

void TstVirtualPrinter::specialFunctions() {
    const auto script = [&host = *f] {
        QByteArray text = "x";
        return host.ReadScript(text) ? text : QByteArray("no reply");
    };
    QVERIFY(f->MarkDelete());
    QVERIFY(f->WriteSpecFunc("", "", "", "", "", ""));
    QCOMPARE(script(), QByteArray());
    QVERIFY(f->WriteSpecFunc("3", "", "", "", "", ""));
    QCOMPARE(script(), QByteArray("G3"));

    // The counter of the dialog: its cell first, then the script that names it.
    QVERIFY(f->WriteCounterFragment(1, 2, "500"));
    QVERIFY(f->WriteSpecFunc("3", "1", "500", "1", "2", "12"));
    QCOMPARE(script(), QByteArray("Q12N00000001E00000500S0001P0002G3"));
    QCOMPARE(cellAt(*f, 1, 2), QByteArray("500|0|7"));

    // Each print prints a group of 3 marks; the counter steps by 1 every 2 marks.
    QVERIFY(f->SetAutoRunPeriod("10"));
    QVERIFY(f->Start());
    rig->advanceMs(2'000);
    QCOMPARE(shownText(rig->state(), 1, 2, rig->nowMs), QByteArray("001"));
    // Any exchange lets the due prints happen.
    QCOMPARE(script(), QByteArray("Q12N00000001E00000500S0001P0002G3"));
    QCOMPARE(shownText(rig->state(), 1, 2, rig->nowMs), QByteArray("004"));

    // Only the counter (the group dropped), and at last nothing.
    QVERIFY(f->WriteSpecFunc("", "1", "500", "1", "1", "12"));
    QCOMPARE(script(), QByteArray("Q12N00000001E00000500S0001P0001"));
    QVERIFY(f->WriteSpecFunc("", "", "", "", "", "12"));
    QCOMPARE(script(), QByteArray());
    QCOMPARE(readCell(*f, 1, 2).kind, quint8(6)); // a plain counter again
}

void TstVirtualPrinter::markStorage() {
    const Mark first = rig->state().mark;
    QVERIFY(f->MarkStorage(2, 63)); // store place 64
    QVERIFY(f->MarkDelete());
    QVERIFY(f->WriteTextFragment(1, 1, "other"));
    const Mark other = rig->state().mark;
    QVERIFY(f->MarkStorage(2, 0));
    QVERIFY(f->MarkStorage(1, 63));
    QCOMPARE(rig->state().mark, first);
    QVERIFY(f->MarkStorage(0, 0));
    QCOMPARE(rig->state().mark, other);
    QVERIFY(f->MarkStorage(1, 5)); // never stored: an empty mark
    QCOMPARE(rig->state().mark, Mark{});

    // Without a mode nothing is stored or restored, whatever the place looks like.
    QVERIFY(f->MarkStorage(2, 0));
    const auto store = rig->state().store;
    for (int index : {0, 17, 30, 19, 29, 34, 39}) { // '0', 'A', 'N', 'C', 'M', 'R', 'W'
        QVERIFY2(f->MarkStorage(7, index), qPrintable(QString::number(index)));
        QCOMPARE(rig->printer->transcript().lastCommandName(), QStringLiteral("MarkStorage"));
    }
    QCOMPARE(rig->state().store, store);
    QCOMPARE(rig->state().mark, Mark{});
    QVERIFY(rig->state().countUp);
    QCOMPARE(rig->state().parameters[7], quint8(8));
}

void TstVirtualPrinter::logoTransfers() {
    const QStringList rows = {"#...........", "##..........", "###.........", "####........",
                              "#####.......", "######......", "#######.....", "########....",
                              "#########...", "##########..", "###########.", "############"};
    LogoImage image = packed(rows);
    QVERIFY(f->WriteLogo(40, 2, 12, "TRI", image));
    const Logo &stored = rig->state().logos[40];
    QCOMPARE(stored.bytesPerColumn, 2);
    QCOMPARE(stored.columns, 12);
    QCOMPARE(stored.name, QByteArray("TRI     "));
    for (int x = 0; x < 12; ++x)
        for (int y = 0; y < 16; ++y) // 16 dots high, the picture at the bottom
            QCOMPARE(stored.dot(x, y), y >= 4 && x <= y - 4);

    LogoImage read;
    QByteArray name;
    QVERIFY(f->ReadLogo(40, read, name));
    QCOMPARE(name, QByteArray("TRI     "));
    QCOMPARE(read.bytesPerColumn, 2);
    QCOMPARE(read.columnCount, 12);
    for (int x = 0; x < 12; ++x)
        for (int k = 0; k < 2; ++k)
            QCOMPARE(read.dots[size_t(x)][size_t(k)], quint8(~quint8(stored.data[x * 2 + k])));
    LogoImage preview;
    QVERIFY(f->ReadLogoPreview(40, preview));
    QCOMPARE(preview.dots, read.dots);

    QVERIFY(f->RenameLogo(40, "Pyramid", read));
    QCOMPARE(rig->state().logos[40].name, QByteArray("Pyramid "));
    QCOMPARE(rig->state().logos[40].data, stored.data);

    // The largest logo: 4 x 125 fills the data area.
    LogoImage full;
    full.fill(0x0F);
    QVERIFY(f->WriteLogo(255, 4, 125, "FULL", full));
    QVERIFY(f->ReadLogo(255, read, name));
    QCOMPARE(read.columnCount, 125);
    QCOMPARE(read.dots[124][3], quint8(0xF0)); // file orientation mirrored on the way

    LogoNames names;
    QVERIFY(f->ReadLogoNamesList(names));
    QCOMPARE(names.count, 5); // STAR, ARROW, FRAME of the first state, 40 and 255
    QCOMPARE(LogoNameOf(names, 40), QByteArray("Pyramid"));
    QCOMPARE(LogoNumberAt(names, 4), 255);
    QCOMPARE(quint8(names.records[3 * 10 + 9]), quint8(2)); // the record's last byte: B

    // A deleted logo is an empty slot: B = C = 0, and only its name follows.
    QVERIFY(f->DeleteLogo(40, image));
    QVERIFY(rig->state().logos[40].isEmpty());
    QVERIFY(f->ReadLogoNamesList(names));
    QCOMPARE(names.count, 4);
    QCOMPARE(LogoNameOf(names, 40), QByteArray());
    QVERIFY(f->ReadLogo(40, read, name));
    QCOMPARE(rig->printer->transcript().lastCommandPrinterBytes().size(), 3 + 2 + 9 + 1);
    QVERIFY(f->ReadLogoPreview(40, preview));
    QCOMPARE(rig->printer->transcript().lastCommandPrinterBytes(), bytes("07 00 28 00 00 73"));

    // All 256 slots full: the count byte carries 255 records.
    for (int slot = 0; slot < 256; ++slot)
        rig->state().logos[size_t(slot)] = rig->state().logos[0];
    QVERIFY(f->ReadLogoNamesList(names));
    QCOMPARE(names.count, 255);
}

void TstVirtualPrinter::markPicture() {
    auto image = std::make_unique<MarkImage>();

    QVERIFY(f->MarkDelete());
    QVERIFY(readColumns(*f, *image).empty());
    QCOMPARE(image->height, 0);

    // A placed logo appears dot for dot.
    const QStringList rows = {"#..#..#", ".#.#.#.", "..###..", "#######", "..###..",
                              ".#.#.#.", "#..#..#", "...#...", "...#...", "..###.."};
    QVERIFY(f->WriteLogo(7, 2, 7, "SNOW", packed(rows)));
    QVERIFY(f->PlaceLogo(7, 1, 1));
    QVERIFY(f->ReadMarkImage(*image));
    QCOMPARE(image->height, 2);
    QCOMPARE(image->length, 7);
    for (int x = 0; x < 7; ++x)
        for (int y = 0; y < 16; ++y)
            QCOMPARE(image->dot(x, y), y >= 6 && rows[y - 6][x] == QLatin1Char('#'));

    // A date fragment shows the printer clock's day.
    QVERIFY(f->MarkDelete());
    QVERIFY(f->WriteTimeDateFragment(1, 1, "DD"));
    QVERIFY(f->SetFont(0, 1, 1));
    QCOMPARE(readColumns(*f, *image), renderText("15", 0));
    QCOMPARE(image->height, 1);
    QVERIFY(f->SetDate("010424"));
    QCOMPARE(readColumns(*f, *image), renderText("01", 0));
    QVERIFY(f->WritePostDateFragment(1, 1, "0030", "DD"));
    QCOMPARE(readColumns(*f, *image), renderText("01", 0)); // 1 April + 30 days = 1 May

    // The reply always carries 5120 picture bytes, and a length over 254 uses the 255 rule.
    QVERIFY(f->WriteTextFragment(1, 1, QByteArray(38, 'W')));
    QVERIFY(f->SetFont(6, 1, 1));
    QVERIFY(f->ReadMarkImage(*image));
    const QByteArray reply = rig->printer->transcript().lastCommandPrinterBytes().mid(3);
    QCOMPARE(reply.size(), 3 + 5120);
    QCOMPARE(int(quint8(reply[1])) + 255 * quint8(reply[2]), image->length);
    QVERIFY(image->length > 255);
    QCOMPARE(image->height, 4);
}

void TstVirtualPrinter::faultsFailOneOperation() {
    FragmentReply cell;

    rig->printer->silenceFrom(2); // the column byte
    QVERIFY(!f->ReadFragment(1, 2, cell));
    QCOMPARE(cellAt(*f, 1, 2), QByteArray("STAMPLINE|3|255"));

    rig->printer->wrongEchoAt(3);
    QVERIFY(!f->SetFont(5, 1, 2));
    QCOMPARE(rig->state().cell(1, 2).font, quint8(3)); // the half-sent command did nothing
    QVERIFY(f->SetFont(5, 1, 2));
    QCOMPARE(rig->state().cell(1, 2).font, quint8(5));

    rig->printer->shortReply(5);
    StateBlock block;
    QVERIFY(!f->ReadTimeParams(block));
    QCOMPARE(block.received, 4);
    QVERIFY(f->ReadTimeParams(block));
    QCOMPARE(block.received, 14);

    rig->printer->cutLine(1);
    QVERIFY(!f->Start());
    QVERIFY(!rig->state().started);
    QVERIFY(f->Start());
    QVERIFY(rig->state().started);

    // A wrong name checksum is not an error for the host: the name comes back empty.
    LogoImage image;
    QByteArray name;
    rig->printer->badNameChecksum();
    QVERIFY(f->ReadLogo(0, image, name));
    QCOMPARE(name, QByteArray());
    QVERIFY(f->ReadLogo(0, image, name));
    QCOMPARE(name, QByteArray("STAR    "));

    auto mark = std::make_unique<MarkImage>();
    for (auto kind : {OversizeMark::Height5, OversizeMark::TooManyBytes}) {
        rig->printer->oversizeMark(kind);
        QVERIFY(!f->ReadMarkImage(*mark));
        QVERIFY(f->ReadMarkImage(*mark));
        QCOMPARE(mark->height, 4);
    }

    // A logo write cut off in the middle of its frame stores nothing, and the next one works.
    rig->printer->silenceFrom(100);
    QVERIFY(!f->WriteLogo(9, 1, 1, "CUT", image));
    QVERIFY(rig->state().logos[9].isEmpty());
    QVERIFY(f->WriteLogo(9, 1, 1, "WHOLE", image));
    QCOMPARE(rig->state().logos[9].name, QByteArray("WHOLE   "));
}

void TstVirtualPrinter::stateFileSurvivesRestart() {
    QTemporaryDir dir;
    const QString path = dir.filePath("printer.json");
    rig->port.ports.devices[0] = "virtual:" + path;
    QVERIFY(f->WriteLogo(77, 1, 3, "CROSS", packed({"#.#", ".#.", "#.#"})));
    QVERIFY(f->WriteCounterFragment(3, 4, "0100"));
    QVERIFY(f->MarkStorage(2, 12));
    QVERIFY(f->WriteSpecFunc("2", "5", "9", "1", "1", "34"));
    quint8 value = 0;
    QVERIFY(f->IncreaseParam('T', value));
    QVERIFY(f->MarkRotateOn());
    QVERIFY(f->SetDate("050607"));
    const auto running = sharedPrinter("virtual:" + path, path);
    PrinterState kept;
    QCOMPARE(loadState(path, kept), StateLoad::Loaded);
    kept.lastPrintMs = running->state().lastPrintMs;
    QCOMPARE(kept, running->state()); // every part of the state compares
    QCOMPARE(kept.logos[77].name, QByteArray("CROSS   "));
    // The printer holds its file: no other printer (another program's) may use it meanwhile.
    QString error;
    QCOMPARE(VirtualPrinter().useStateFile(path, &error), StateLoad::Refused);
    QVERIFY2(error.startsWith(path + " is in use by another program (tst_virtual_printer, pid "),
             qPrintable(error));
}

void TstVirtualPrinter::stateFilesUnderHostileInput() {
    QTemporaryDir dir;
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    };
    // Only a file that carries the state file's mark and cannot be read is set aside as damaged;
    // the printer starts afresh and says so once.
    const QString broken =
        write("broken.json", "{\"format\": \"stampline-virtual-printer-state\", \"ma");
    const auto line = devices::open("virtual:" + broken);
    QVERIFY(line && line->notice.contains(broken + ".damaged"));
    QVERIFY(devices::open("virtual:" + broken)->notice.isEmpty());
    QFile aside(broken + ".damaged");
    QVERIFY(aside.open(QIODevice::ReadOnly) && aside.readAll().endsWith("\"ma"));
    rig->port.ports.devices[0] = "virtual:" + broken;
    QVERIFY(f->WriteTextFragment(1, 1, "afresh"));
    QVERIFY(QFile::exists(broken)); // the new state is kept where the old one was

    // Anything else is refused, named, and left exactly as it was: another program's JSON (a
    // backup given by mistake), a file of another version, a directory, a FIFO (without
    // blocking on it), a device node.
    const QByteArray backupFile = "{\"format\": \"stampline-printer-backup\", \"cells\": []}";
    QString fifo = dir.filePath("fifo");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const QString node = dir.filePath("null");
    const bool root =
        ::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    struct Row {
        QString path;
        const char *reason;
    };
    QList<Row> rows = {
        {write("backup.json", backupFile), "not a virtual printer's state file"},
        {write("newer.json", "{\"format\": \"stampline-virtual-printer-state\", \"version\": 2}"),
         "a state file of version 2; this printer reads version 1"},
        {dir.path(), "is a directory, not a state file"},
        {fifo, "is a FIFO, not a state file"},
    };
    if (root)
        rows.append({node, "is a device, not a state file"});
    for (const Row &row : rows) {
        const QFileInfo before(row.path);
        QString why;
        QVERIFY2(!devices::open("virtual:" + row.path, &why), qPrintable(row.path));
        QVERIFY2(why.contains(QLatin1String(row.reason)), qPrintable(why));
        const QFileInfo after(row.path);
        QVERIFY(after.exists() && after.size() == before.size() &&
                after.isFile() == before.isFile());
        QVERIFY(!QFileInfo::exists(row.path + ".damaged"));
    }
    QFile kept(dir.filePath("backup.json"));
    QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == backupFile);

    // A state file written before files carried their mark is still a printer's state; numbers
    // far out of range are brought within what the printer holds, and printing on them stays
    // defined (the sanitizers watch the arithmetic).
    const QString old = write(
        "old.json", "{\"mark\": [{\"row\": 1, \"column\": 1, \"kind\": \"counter\", \"text\": "
                    "\"3939\", \"value\": \"9223372036854775807\"}], \"logos\": [], \"store\": [], "
                    "\"parameters\": {}, \"clockOffsetMs\": \"9223372036854775807\", \"script\": "
                    "{\"counter\": true, \"N\": \"2d39323233333732303336383534373735383038\", "
                    "\"E\": \"39\", \"S\": \"31\", \"P\": \"31\", \"Q\": \"3132\"}, "
                    "\"specialValue\": \"-9223372036854775808\", \"specialPrints\": "
                    "\"9223372036854775807\"}");
    PrinterState state;
    QCOMPARE(loadState(old, state), StateLoad::Loaded);
    QCOMPARE(state.cell(1, 1).text, QByteArray("99"));
    state.printMarks(7);
    QVERIFY(state.clock(QDateTime::currentMSecsSinceEpoch()).isValid());
    QVERIFY(state.cell(1, 1).value >= 0 && state.cell(1, 1).value < 100);
}

void TstVirtualPrinter::lineRateAndPrinterSearch() {
    // The printer answers at its own rate only, and the search finds it there. Which rates the
    // search tries, in which order, is the link tests'.
    rig->printer->setLineRate(19200);
    QVERIFY(f->FindDevice());
    QCOMPARE(rig->port.baudName, QStringLiteral("19200"));
    QVERIFY(f->Start()); // at the rate found

    rig->port.baudName = "57600";
    QVERIFY(!f->Stop()); // another rate: the bytes are lost
    QVERIFY(rig->printer->transcript().bytes().back().lost);
}

void TstVirtualPrinter::commandsSharingFirstBytes() {
    VirtualPrinter &p = *rig->printer;
    auto send = [&](const QByteArray &host) {
        QByteArray back;
        for (char c : host)
            back += p.feed(quint8(c));
        return back;
    };
    // Unknown bytes and a lone CR are echoed and ignored.
    QCOMPARE(send(bytes("0D 55 00 FF")), bytes("0D 55 00 FF"));
    QCOMPARE(p.transcript().lastCommandName(), QStringLiteral("Unknown"));

    // A lone 12 is Reset once the next command begins; 12 '*' is the ink system.
    p.state().highVoltage = true;
    QCOMPARE(send(bytes("12")), bytes("12"));
    QVERIFY(p.state().highVoltage);
    QCOMPARE(send(bytes("11 31 32")).left(4), bytes("11 31 32 09"));
    QVERIFY(!p.state().highVoltage);
    const auto commands = p.transcript().commands();
    QCOMPARE(commands[commands.size() - 2].name, QStringLiteral("Reset"));
    QCOMPARE(commands.back().name, QStringLiteral("ReadFragment"));
    QCOMPARE(send(bytes("12 2A 4C 6C")).size(), 4 + 38);

    // 0C 'N' then a raw direction byte: not echoed.
    QCOMPARE(send(bytes("0C 4E 13")), bytes("0C 4E"));
    QVERIFY(!p.state().countUp);
    QCOMPARE(send(bytes("0C 4E 0D")), bytes("0C 4E 0D")); // a store place without a mode
    QVERIFY(!p.state().countUp);

    // WriteLogo: the size and frame raw, 's' sent, the host's echo of it swallowed.
    QByteArray frame = logoFrameBytes(bytes("00"), "ONE");
    QCOMPARE(send(bytes("07 89 05 01 01") + frame), bytes("07 89 05 73"));
    QCOMPARE(send(bytes("73")), QByteArray());
    QCOMPARE(p.state().logos[5].columns, 1);
    QCOMPARE(send(bytes("17")), bytes("17")); // the next command after the swallowed echo
    frame[509] = char(frame[509] + 1);        // a frame with a wrong checksum is refused
    QCOMPARE(send(bytes("07 89 06 01 01") + frame), bytes("07 89 06 65"));
    QVERIFY(p.state().logos[6].isEmpty());

    // A half-received command is dropped when the exchange ends.
    send(bytes("18 31 31 41 42"));
    p.endExchange();
    QCOMPARE(p.state().cell(1, 1).kind, Fragment::Kind::Graphic);
    QCOMPARE(send(bytes("0D")), bytes("0D"));
    QCOMPARE(p.transcript().lastCommandName(), QStringLiteral("Probe"));
}

void TstVirtualPrinter::transcriptNamesCommandsAndStaysBounded() {
    Transcript &t = rig->printer->transcript();
    QVERIFY(f->SetFont(2, 1, 3));
    rig->port.baudName = "9600";
    QVERIFY(!f->Start());
    QCOMPARE(t.text(), QStringLiteral("SetFont > 1B < 1B > 31 < 31 > 33 < 33 > 32 < 32 > 0D < 0D"
                                      " > 17x"));

    // A long run keeps only the recent commands, whole.
    rig->port.baudName = "57600";
    t.setLimit(200);
    for (int i = 0; i < 50; ++i)
        QVERIFY(f->SetFont(i % 7, 1, 3));
    FragmentReply cell;
    QVERIFY(f->ReadFragment(1, 2, cell));
    QVERIFY2(t.size() <= 200, qPrintable(QString::number(t.size())));
    QCOMPARE(t.commands().front().first, 0);
    QCOMPARE(t.hostBytesOf("SetFont").back(), bytes("1B 31 33 30 0D"));
    QCOMPARE(t.lastCommandName(), QStringLiteral("ReadFragment"));
    QCOMPARE(t.lastCommandPrinterBytes(), bytes("11 31 32 09") + "STAMPLINE" + bytes("03 FF"));
}

QTEST_GUILESS_MAIN(TstVirtualPrinter)
#include "tst_virtual_printer.moc"
