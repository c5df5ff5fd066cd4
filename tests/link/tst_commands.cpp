// The exact bytes of every command of the printer's command set, what the host makes of the
// printer's replies, and failure at every point where the printer can fail.

#include "ScriptedPrinter.h"
#include "WireText.h"

#include <QTest>

using Script = std::function<void(ScriptedPrinter &)>;
using Op = std::function<bool(Functions &)>;
// An operation that reads: whether it went through, and what it read as bytes.
using Read = std::function<bool(Functions &, QByteArray &)>;
Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(Op)
Q_DECLARE_METATYPE(Read)

namespace {
// What a read gave, as bytes: a byte or a text as it is, a fragment as its text, font and kind,
// the state block as its count and its 14 bytes, the names list as its count and records.
QByteArray shown(quint8 byte) {
    return QByteArray(1, char(byte));
}
QByteArray shown(const QByteArray &text) {
    return text;
}
QByteArray shown(const FragmentReply &cell) {
    return cell.text + char(cell.font) + char(cell.kind);
}
QByteArray shown(const StateBlock &block) {
    return char(block.received) +
           QByteArray(reinterpret_cast<const char *>(block.bytes.data()), 14);
}
QByteArray shown(const LogoNames &names) {
    return char(names.count) + names.records;
}

// A read into a value that holds `before` until the read.
template <class T> Read reading(T before, std::function<bool(Functions &, T &)> read) {
    return [before, read](Functions &f, QByteArray &out) {
        T value = before;
        const bool ok = read(f, value);
        out = shown(value);
        return ok;
    };
}

// The command echoed, the reply, and the host's closing bytes, echoed or raw.
Script answers(const char *command, const QByteArray &reply, const char *closing = "",
               bool closingRaw = false) {
    return [=](ScriptedPrinter &p) {
        p.expect(bytes(command)).reply(reply);
        closingRaw ? p.expectRaw(bytes(closing)) : p.expect(bytes(closing));
    };
}
} // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void plainCommands_data();
    void plainCommands();
    void postDateGoesOutInTwoExchanges();
    void reads_data();
    void reads();
    void refusedBeforeAnyByte();
    void textCodePage();
};

// Commands that send bytes (each echoed), maybe close with raw bytes, and read nothing (an answer
// after them is left unread).
void CommandsTest::plainCommands_data() {
    QTest::addColumn<Op>("op");
    QTest::addColumn<QByteArray>("echoed");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QByteArray>("answer");

    const auto row = [](const char *name, Op op, const char *echoed, const char *raw = "",
                        const char *answer = "") {
        QTest::newRow(name) << op << bytes(echoed) << bytes(raw) << bytes(answer);
    };
    const auto text = [](const char *name, Op op, const char *echoed) {
        QTest::newRow(name) << op << QByteArray(echoed) << QByteArray() << QByteArray();
    };
#define OP(call) Op([](Functions &f) { return f.call; })
    row("Start", OP(Start()), "17");
    row("Stop", OP(Stop()), "02");
    row("PrintStart", OP(PrintStart()), "17");
    row("HighVoltageTurn", OP(HighVoltageTurn()), "02");
    row("Reset", OP(Reset()), "12");
    row("RunningNumberReset", OP(RunningNumberReset()), "1F");
    row("RunningNumberForward", OP(RunningNumberForward()), "0C 4E", "14");
    row("RunningNumberBack", OP(RunningNumberBack()), "0C 4E", "13");
    row("RunningNumberBack answered 14", OP(RunningNumberBack()), "0C 4E", "13", "14");
    row("RunningNumberBack answered 00", OP(RunningNumberBack()), "0C 4E", "13", "00");
    row("AutoRunStop", OP(AutoRunStop()), "0B 41");
    row("SetAutoRunPeriod 7", OP(SetAutoRunPeriod("7")), "0C 41 30 30 37 0D");
    row("SetAutoRunPeriod blanks", OP(SetAutoRunPeriod("  5 ")), "0C 41 30 30 35 0D");
    row("SetAutoRunPeriod 1234", OP(SetAutoRunPeriod("1234")), "0C 41 31 32 33 34 0D");
    row("MarkDelete", OP(MarkDelete()), "0B 4D");
    row("MarkStorage mode 0", OP(MarkStorage(0, 0)), "0C 4D 30 0D");
    row("MarkStorage mode 1", OP(MarkStorage(1, 63)), "0C 52 6F 0D");
    row("MarkStorage mode 2", OP(MarkStorage(2, 10)), "0C 57 3A 0D");
    row("MarkStorage mode 3", OP(MarkStorage(3, 4)), "0C 34 0D");
    row("MarkStorage mode -1", OP(MarkStorage(-1, 0)), "0C 30 0D");
    row("MarkPrintForward", OP(MarkPrintForward()), "1E 14 0D");
    row("MarkPrintBack", OP(MarkPrintBack()), "1E 13 0D");
    row("BreakPointCorrectionOn", OP(BreakPointCorrectionOn()), "1E 15 0D");
    row("BreakPointCorrectionOff", OP(BreakPointCorrectionOff()), "1E 16 0D");
    row("MarkRotateOn", OP(MarkRotateOn()), "1E 44 0D");
    row("MarkRotateOff", OP(MarkRotateOff()), "1E 55 0D");
    row("SetTime", OP(SetTime("235901")), "1A 54 32 33 35 39 30 31 0D");
    row("SetDate", OP(SetDate("311299")), "1A 44 33 31 31 32 39 39 0D");
    row("KeyboardSelect", OP(KeyboardSelect()), "07 41");
    row("KeyboardOff", OP(KeyboardOff()), "12 2A 55 4F");
    // The arguments come as font, row, column; the row goes out first and the font last.
    row("SetFont", OP(SetFont(5, 2, 7)), "1B 32 37 35 0D");
    row("WriteTimeDateFragment", OP(WriteTimeDateFragment(3, 4, "HH:MM")),
        "1A 33 34 48 48 3A 4D 4D 0D");
    row("WriteCounterFragment", OP(WriteCounterFragment(1, 2, "500")), "19 31 32 35 30 30 0D");
    row("WriteTextFragment empty", OP(WriteTextFragment(4, 8, "")), "18 34 38 0D");
    row("WriteTextFragment Cyrillic", OP(WriteTextFragment(1, 1, toWire(QStringLiteral("Привет")))),
        "18 31 31 CF F0 E8 E2 E5 F2 0D");
    // 44 bytes: the first 38 go out.
    row("WriteTextFragment cut at 38",
        OP(WriteTextFragment(2, 3, "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGH")),
        "18 32 33 30313233343536373839 6162636465666768696A6B6C6D6E6F707172737475767778797A "
        "4142 0D");
    // Logo 13 looks like a CR, but it is one binary byte followed by the real CR.
    row("PlaceLogo 13", OP(PlaceLogo(13, 2, 3)), "1C 32 33 0D 0D");
    row("PlaceLogo 255", OP(PlaceLogo(255, 1, 1)), "1C 31 31 FF 0D");
    text("WriteSpecFunc counter", OP(WriteSpecFunc("", "1", "500", "1", "1", "12")),
         "\x01QIQ12N00000001E00000500S0001P0001\r");
    text("WriteSpecFunc group only", OP(WriteSpecFunc("3", "", "", "", "", "12")), "\x01QIG3\r");
    text("WriteSpecFunc nothing", OP(WriteSpecFunc("", "", "", "", "", "")), "\x01QI\r");
    text("WriteSpecFunc blanks count as nothing", OP(WriteSpecFunc(" ", "  ", "", "\t", "", "11")),
         "\x01QI\r");
    text("WriteSpecFunc counter and group", OP(WriteSpecFunc(" 5 ", "1", "500", "1", "1", "12")),
         "\x01QIQ12N00000001E00000500S0001P0001IG5\r");
    text("WriteSpecFunc long values whole",
         OP(WriteSpecFunc("", "123456789", " 7 ", "12345", "2", "345")),
         "\x01QIQ345N123456789E00000007S12345P0002\r");
#undef OP
}

void CommandsTest::plainCommands() {
    QFETCH(Op, op);
    QFETCH(QByteArray, echoed);
    QFETCH(QByteArray, raw);
    QFETCH(QByteArray, answer);
    const Script script = [&](ScriptedPrinter &p) {
        p.expect(echoed).expectRaw(raw).reply(answer);
    };
    PrinterRig rig;
    checkGoesThrough(rig, script, op);
    QCOMPARE(hexBytes(rig.printer->hostBytes()), hexBytes(echoed + raw));
    QCOMPARE(hexBytes(rig.hostRead), hexBytes(echoed)); // the echoes and nothing else
    QCOMPARE(rig.printer->opens(), 1);
    checkFailureAtEveryByte(script, op);
}

void CommandsTest::postDateGoesOutInTwoExchanges() {
    const Script script = [](ScriptedPrinter &p) {
        p.expect(bytes("1D 32 35") + "DD.MM\r").expect(bytes("1D 44") + "0005\r");
    };
    const Op op = [](Functions &f) { return f.WritePostDateFragment(2, 5, "0005", "DD.MM"); };
    PrinterRig rig;
    checkGoesThrough(rig, script, op);
    QCOMPARE(rig.printer->opens(), 2);
    // The format goes out on the first opening, the day count on the second.
    QByteArray first, second;
    for (const WireByte &w : rig.printer->transcript())
        if (w.fromHost)
            (w.open == 1 ? first : second).append(char(w.value));
    QCOMPARE(hexBytes(first), hexBytes(bytes("1D 32 35") + "DD.MM\r"));
    QCOMPARE(hexBytes(second), hexBytes(bytes("1D 44") + "0005\r"));
    // A first half that fails sends nothing of the second.
    checkFailureAtEveryByte(script, op);
}

void CommandsTest::reads_data() {
    QTest::addColumn<Read>("read");
    QTest::addColumn<Script>("script");
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("unread"); // bytes at the end of the reply that are never asked for

    const auto row = [](const char *name, Read read, Script script, const QByteArray &result,
                        bool ok = true, int unread = 0) {
        QTest::newRow(name) << read << script << result << ok << unread;
    };
    const Read fragment =
        reading<FragmentReply>({"old", 9, 9}, [](Functions &f, FragmentReply &cell) {
            return f.ReadFragment(2, 5, cell);
        });
    row("ReadFragment", fragment, answers("11 32 35", bytes("03 41 42 43 02 FF")),
        "ABC" + bytes("02 FF"));
    // Bytes above 7F are the code page's letters, passed on as they came.
    row("ReadFragment Cyrillic", fragment, answers("11 32 35", bytes("06 CF F0 E8 E2 E5 F2 01 FF")),
        bytes("CF F0 E8 E2 E5 F2 01 FF"));
    // A count of 0 still reads both attribute bytes; the text is cleared at the start.
    row("ReadFragment empty", fragment, answers("11 32 35", bytes("00 07 05")), bytes("07 05"));
    // A reply cut short keeps the characters read up to the cut.
    row("ReadFragment cut short", fragment, answers("11 32 35", bytes("05 41 42")),
        "AB" + bytes("09 09"), false);

    StateBlock untouched;
    untouched.bytes.fill(0xAA);
    const Read timeParams = reading<StateBlock>(
        untouched, [](Functions &f, StateBlock &block) { return f.ReadTimeParams(block); });
    const QByteArray full = bytes("05 2C 01 59 30 12 00 31 12 99 07 01 02 07");
    row("ReadTimeParams", timeParams, answers("08", bytes("0E") + full), bytes("0E") + full);
    // Fewer than 14: only the first bytes change.
    row("ReadTimeParams short", timeParams, answers("08", bytes("03 01 02 03")),
        bytes("03 01 02 03") + QByteArray(11, '\xAA'));
    // More than 14: the extra bytes are read to the end of the reply and dropped.
    row("ReadTimeParams long", timeParams,
        answers("08", bytes("14") + full + bytes("E1 E2 E3 E4 E5 E6")), bytes("0E") + full);

    // The value is read plainly; the closing 12 is raw and decides the result.
    row("ReadParam",
        reading<quint8>(0, [](Functions &f, quint8 &value) { return f.ReadParam('B', value); }),
        answers("0C 42 05", bytes("37"), "12", true), bytes("37"));
    row("ReadByteStatus",
        reading<quint8>(0, [](Functions &f, quint8 &status) { return f.ReadByteStatus(status); }),
        answers("0C 09", bytes("A5"), "12", true), bytes("A5"));
    // Increase and decrease close with 00 and CR, both acknowledged.
    const Read increase =
        reading<quint8>(0, [](Functions &f, quint8 &value) { return f.IncreaseParam('D', value); });
    row("IncreaseParam", increase, answers("0C 44 15 05", bytes("10"), "00 0D"), bytes("10"));
    row("DecreaseParam",
        reading<quint8>(0, [](Functions &f, quint8 &value) { return f.DecreaseParam('D', value); }),
        answers("0C 44 16 05", bytes("0F"), "00 0D"), bytes("0F"));
    // A closing 00 that is not acknowledged fails the step, with the value already read.
    row("IncreaseParam unacknowledged", increase, answers("0C 44 15 05", bytes("10"), "00", true),
        bytes("10"), false);

    row("ReadScript",
        reading<QByteArray>("old",
                            [](Functions &f, QByteArray &text) { return f.ReadScript(text); }),
        answers("01 05", bytes("04") + "QIG3"), "QIG3");
    // The ink-system read goes out on the port already open (no reopening) and takes exactly 38
    // bytes.
    const QByteArray status = "Ink 1234 Pressure 2.8 Viscosity 0042 X";
    row("ReadHydroStatus",
        reading<QByteArray>(
            "old",
            [](Functions &f, QByteArray &text) { return f.Start() && f.ReadHydroStatus(text); }),
        answers("17 12 2A 4C 6C", status + "ZZ"), status, true, 2);
    const Read names = reading<LogoNames>(
        {3, "stale"}, [](Functions &f, LogoNames &list) { return f.ReadLogoNamesList(list); });
    const QByteArray records =
        bytes("05") + "LOGO5   " + bytes("00") + bytes("11") + "Second  " + bytes("01");
    row("ReadLogoNamesList", names, answers("01 03", bytes("02") + records), bytes("02") + records);
    row("ReadLogoNamesList empty", names, answers("01 03", bytes("00")), bytes("00"));
}

void CommandsTest::reads() {
    QFETCH(Read, read);
    QFETCH(Script, script);
    QFETCH(bool, ok);
    QFETCH(int, unread);
    PrinterRig rig;
    script(*rig.printer);
    QByteArray result;
    QCOMPARE(read(rig.f, result), ok);
    QTEST(result, "result");
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QCOMPARE(rig.printer->opens(), 1);
    QCOMPARE(hexBytes(rig.hostRead), hexBytes(rig.printer->printerBytes().chopped(unread)));
    rig.printer->expect(bytes("17")); // the next exchange starts clean
    QVERIFY(rig.f.Start());
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    if (ok)
        checkFailureAtEveryByte(script, [&](Functions &f) { return read(f, result); });
}

void CommandsTest::refusedBeforeAnyByte() {
    // A text holding a byte below 20h would end its command early (a CR ends every text) and the
    // printer would run the rest as commands; a group that is no number has no digit to go out
    // as. Nothing is sent at all, and the cause names the control byte and where it is.
    const struct {
        const char *name;
        Op op;
        const char *cause;
    } rows[] = {
#define OP(call) [](Functions &f) { return f.call; }
        {"text", OP(WriteTextFragment(1, 2, "A\r\x0bM")), "control byte (0Dh) at position 2"},
        {"text cut at 38", OP(WriteTextFragment(1, 2, QByteArray(40, 'x') + '\x18')),
         "control byte (18h) at position 41"},
        {"counter", OP(WriteCounterFragment(1, 1, "1\n2")), "(0Ah) at position 2"},
        {"time-date", OP(WriteTimeDateFragment(1, 1, "HH\x1bMM")), "(1Bh) at position 3"},
        {"post-date format", OP(WritePostDateFragment(1, 1, "0005", "DD\rMM")), "(0Dh)"},
        {"post-date days", OP(WritePostDateFragment(1, 1, "00\r5", "DD")), "(0Dh)"},
        {"day count",
         OP(SetPostDays("0\x0b"
                        "05")),
         "(0Bh)"},
        {"time", OP(SetTime("12\r456")), "(0Dh)"},
        {"date",
         OP(SetDate("0\x01"
                    "1222")),
         "(01h) at position 2"},
        {"period", OP(SetAutoRunPeriod("1\r2")), "(0Dh)"},
        {"spec func", OP(WriteSpecFunc("", "1\r2", "500", "1", "1", "12")), "(0Dh)"},
        {"group not a number", OP(WriteSpecFunc("x", "1", "500", "1", "1", "12")), ""},
        {"group 3a", OP(WriteSpecFunc("3a", "", "", "", "", "")), ""},
        {"group -1", OP(WriteSpecFunc("-1", "", "", "", "", "")), ""},
        {"logo name", Op([](Functions &f) {
             LogoImage image;
             return f.WriteLogo(3, 1, 1, "AB\rC", image);
         }),
         "(0Dh) at position 3"},
        {"new logo name", Op([](Functions &f) {
             LogoImage image;
             return f.RenameLogo(3, "\x0bM", image);
         }),
         "(0Bh) at position 1"},
#undef OP
    };
    for (const auto &row : rows) {
        PrinterRig rig;
        QVERIFY2(!row.op(rig.f), row.name);
        QVERIFY2(rig.printer->opens() == 0 && rig.printer->hostBytes().isEmpty(), row.name);
        QVERIFY2(rig.state.causes.value(0).contains(QLatin1String(row.cause)),
                 qPrintable(QLatin1String(row.name) + ": " + rig.state.causes.join('|')));
    }
}

void CommandsTest::textCodePage() {
    QCOMPARE(fromWire(bytes("CF F0 E8 E2 E5 F2")), QStringLiteral("Привет"));
    // What a text may hold: every character of the code page from 20h on.
    QVERIFY(!wireTextFault(QStringLiteral("Привет, № 5 — \"A\" ~")));
    QCOMPARE(wireTextFault(QStringLiteral("AB\rCD")).value_or(QString()),
             QStringLiteral("holds a control character (0Dh) at position 3"));
    QCOMPARE(wireTextFault(QStringLiteral("Zürich ł 日本")).value_or(QString()),
             QStringLiteral("holds \"ü\" at position 2, which the printer's code page "
                            "(windows-1251) lacks"));
    QCOMPARE(wireTextFault(QStringLiteral("a😀\x1f")).value_or(QString()),
             QStringLiteral("holds \"😀\" at position 2, which the printer's code page "
                            "(windows-1251) lacks"));
}

QTEST_GUILESS_MAIN(CommandsTest)
#include "tst_commands.moc"
