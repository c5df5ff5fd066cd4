// The exact bytes of every command of the printer's command set, and what the host makes of the
// printer's replies.

#include "ScriptedPrinter.h"
#include "WireText.h"

#include <QTest>

using Op = std::function<bool(Functions &)>;
Q_DECLARE_METATYPE(Op)

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void plainCommands_data();
    void plainCommands();
    void runningNumberIgnoresTheAnswer();
    void postDateGoesOutInTwoExchanges();
    void readFragment_data();
    void readFragment();
    void readTimeParams();
    void paramReads();
    void scriptHydroAndNames();
    void writeSpecFunc_data();
    void writeSpecFunc();
    void specFuncRefusesABadGroup();
    void textCodePage();
};

// Commands that send bytes (each echoed), maybe close with raw bytes, and read nothing.
void CommandsTest::plainCommands_data() {
    QTest::addColumn<Op>("op");
    QTest::addColumn<QByteArray>("echoed");
    QTest::addColumn<QByteArray>("raw");

    const auto row = [](const char *name, Op op, const char *echoed, const char *raw = "") {
        QTest::newRow(name) << op << bytes(echoed) << bytes(raw);
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
#undef OP
}

void CommandsTest::plainCommands() {
    QFETCH(Op, op);
    QFETCH(QByteArray, echoed);
    QFETCH(QByteArray, raw);

    PrinterRig rig;
    rig.printer->expect(echoed).expectRaw(raw);
    QVERIFY(op(rig.f));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QCOMPARE(hexOf(rig.printer->hostBytes()), hexOf(echoed + raw));
    QCOMPARE(hexOf(rig.hostRead), hexOf(echoed)); // the echoes and nothing else
    QCOMPARE(rig.printer->opens(), 1);
}

void CommandsTest::runningNumberIgnoresTheAnswer() {
    for (const char *answer : {"", "14", "00"}) {
        PrinterRig rig;
        rig.printer->expect(bytes("0C 4E")).expectRaw(bytes("13")).reply(bytes(answer));
        QVERIFY(rig.f.RunningNumberBack());
        QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
        QCOMPARE(hexOf(rig.hostRead), QStringLiteral("0C 4E"));
    }
}

void CommandsTest::postDateGoesOutInTwoExchanges() {
    PrinterRig rig;
    rig.printer->expect(bytes("1D 32 35") + "DD.MM" + "\r").expect(bytes("1D 44") + "0005\r");
    QVERIFY(rig.f.WritePostDateFragment(2, 5, "0005", "DD.MM"));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QCOMPARE(rig.printer->opens(), 2);
    // The format goes out on the first opening, the day count on the second.
    QByteArray first, second;
    for (const WireByte &w : rig.printer->transcript())
        if (w.fromHost)
            (w.open == 1 ? first : second).append(char(w.value));
    QCOMPARE(hexOf(first), hexOf(bytes("1D 32 35") + "DD.MM\r"));
    QCOMPARE(hexOf(second), hexOf(bytes("1D 44") + "0005\r"));

    // A first half that fails stops before the second Connect.
    PrinterRig failing;
    failing.printer->expect(bytes("1D 32 35") + "DD");
    QVERIFY(!failing.f.WritePostDateFragment(2, 5, "0005", "DD.MM"));
    QCOMPARE(failing.printer->opens(), 1);
    QCOMPARE(hexOf(failing.printer->hostBytes()), hexOf(bytes("1D 32 35") + "DD."));
}

void CommandsTest::readFragment_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("font"); // -1: not looked at
    QTest::addColumn<int>("kind");
    QTest::newRow("text") << bytes("03 41 42 43 02 FF") << true << QByteArray("ABC") << 2 << 255;
    // Bytes above 7F are the code page's letters, passed on as they came.
    QTest::newRow("Cyrillic") << bytes("06 CF F0 E8 E2 E5 F2 01 FF") << true
                              << bytes("CF F0 E8 E2 E5 F2") << 1 << 255;
    // A count of 0 still reads both attribute bytes; the text is cleared at the start.
    QTest::newRow("empty") << bytes("00 07 05") << true << QByteArray() << 7 << 5;
    // A reply cut short keeps the characters read up to the cut.
    QTest::newRow("cut short") << bytes("05 41 42") << false << QByteArray("AB") << 9 << 9;
    QTest::newRow("no second attribute") << bytes("00 07") << false << QByteArray() << -1 << -1;
}

void CommandsTest::readFragment() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(QByteArray, text);
    QFETCH(int, font);
    QFETCH(int, kind);
    PrinterRig rig;
    rig.printer->expect(bytes("11 32 35")).reply(reply);
    FragmentReply cell{"old", 9, 9};
    QCOMPARE(rig.f.ReadFragment(2, 5, cell), ok);
    QCOMPARE(cell.text, text);
    if (font >= 0) {
        QCOMPARE(cell.font, quint8(font));
        QCOMPARE(cell.kind, quint8(kind));
    }
    QCOMPARE(hexOf(rig.hostRead), hexOf(bytes("11 32 35") + reply));
}

void CommandsTest::readTimeParams() {
    const QByteArray full = bytes("05 2C 01 59 30 12 00 31 12 99 07 01 02 07");
    {
        PrinterRig rig;
        rig.printer->expect(bytes("08")).reply(bytes("0E") + full);
        StateBlock block;
        QVERIFY(rig.f.ReadTimeParams(block));
        QCOMPARE(block.received, 14);
        QCOMPARE(hexOf(QByteArray(reinterpret_cast<const char *>(block.bytes.data()), 14)),
                 hexOf(full));
        QCOMPARE(block.postDateDays(), 300);
        QCOMPARE(block.axl(), 258);
        QCOMPARE(block.fontCount(), 7);
    }
    {
        // Fewer than 14: only the first bytes change.
        PrinterRig rig;
        rig.printer->expect(bytes("08")).reply(bytes("03 01 02 03"));
        StateBlock block;
        block.bytes.fill(0xAA);
        QVERIFY(rig.f.ReadTimeParams(block));
        QCOMPARE(block.received, 3);
        QCOMPARE(block.byte(3), quint8(3));
        QCOMPARE(block.byte(4), quint8(0xAA));
        QCOMPARE(block.byte(14), quint8(0xAA));
    }
    {
        // More than 14: the extra bytes are read to the end of the reply and dropped, and the
        // next exchange starts clean.
        PrinterRig rig;
        rig.printer->expect(bytes("08"))
            .reply(bytes("14") + full + bytes("E1 E2 E3 E4 E5 E6"))
            .expect(bytes("17"));
        StateBlock block;
        QVERIFY(rig.f.ReadTimeParams(block));
        QCOMPARE(block.received, 14);
        QCOMPARE(block.byte(14), quint8(7));
        QCOMPARE(rig.hostRead.size(), 1 + 1 + 20);
        QVERIFY(rig.hostRead.endsWith(bytes("E5 E6")));
        QVERIFY(rig.f.Start());
        QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    }
    {
        // A reply short of its count fails.
        PrinterRig rig;
        rig.printer->expect(bytes("08")).reply(bytes("0E 01 02"));
        StateBlock block;
        QVERIFY(!rig.f.ReadTimeParams(block));
    }
}

void CommandsTest::paramReads() {
    {
        // The value is read plainly; the closing 12 is raw and decides the result.
        PrinterRig rig;
        rig.printer->expect(bytes("0C 42 05")).reply(bytes("37")).expectRaw(bytes("12"));
        quint8 value = 0;
        QVERIFY(rig.f.ReadParam('B', value));
        QCOMPARE(value, quint8(0x37));
        QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
        QCOMPARE(hexOf(rig.hostRead), QStringLiteral("0C 42 05 37"));
    }
    {
        PrinterRig rig;
        rig.printer->expect(bytes("0C 09")).reply(bytes("A5")).expectRaw(bytes("12"));
        quint8 status = 0;
        QVERIFY(rig.f.ReadByteStatus(status));
        QCOMPARE(status, quint8(0xA5));
        QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    }
    {
        // Increase and decrease close with 00 and CR, both acknowledged.
        PrinterRig rig;
        rig.printer->expect(bytes("0C 44 15 05"))
            .reply(bytes("10"))
            .expect(bytes("00 0D"))
            .expect(bytes("0C 44 16 05"))
            .reply(bytes("0F"))
            .expect(bytes("00 0D"));
        quint8 up = 0, down = 0;
        QVERIFY(rig.f.IncreaseParam('D', up));
        QVERIFY(rig.f.DecreaseParam('D', down));
        QCOMPARE(up, quint8(0x10));
        QCOMPARE(down, quint8(0x0F));
        QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    }
    {
        // A closing 00 that is not acknowledged fails the step, with the value already read.
        PrinterRig rig;
        rig.printer->expect(bytes("0C 44 15 05")).reply(bytes("10")).expectRaw(bytes("00"));
        quint8 up = 0;
        QVERIFY(!rig.f.IncreaseParam('D', up));
        QCOMPARE(up, quint8(0x10));
        QCOMPARE(hexOf(rig.printer->hostBytes()), QStringLiteral("0C 44 15 05 00"));
    }
}

void CommandsTest::scriptHydroAndNames() {
    {
        PrinterRig rig;
        rig.printer->expect(bytes("01 05")).reply(bytes("04") + "QIG3");
        QByteArray text = "old";
        QVERIFY(rig.f.ReadScript(text));
        QCOMPARE(text, QByteArray("QIG3"));
    }
    {
        // The ink-system read goes out on the port already open: no reopening. It takes exactly
        // 38 bytes.
        PrinterRig rig;
        const QByteArray status = "Ink 1234 Pressure 2.8 Viscosity 0042 X";
        QCOMPARE(status.size(), 38);
        rig.printer->expect(bytes("17")).expect(bytes("12 2A 4C 6C")).reply(status + "ZZ");
        QVERIFY(rig.f.Start());
        QByteArray text;
        QVERIFY(rig.f.ReadHydroStatus(text));
        QCOMPARE(text, status);
        QCOMPARE(rig.printer->opens(), 1);
        QCOMPARE(rig.hostRead, bytes("17 12 2A 4C 6C") + status);
    }
    {
        PrinterRig rig;
        const QByteArray records =
            bytes("05") + "LOGO5   " + bytes("00") + bytes("11") + "Second  " + bytes("01");
        rig.printer->expect(bytes("01 03")).reply(bytes("02") + records);
        LogoNames names;
        QVERIFY(rig.f.ReadLogoNamesList(names));
        QCOMPARE(names.count, 2);
        QCOMPARE(hexOf(names.records), hexOf(records));
    }
    {
        PrinterRig rig;
        rig.printer->expect(bytes("01 03")).reply(bytes("00"));
        LogoNames names;
        names.count = 3;
        names.records = "stale";
        QVERIFY(rig.f.ReadLogoNamesList(names));
        QCOMPARE(names.count, 0);
        QVERIFY(names.records.isEmpty());
    }
}

void CommandsTest::writeSpecFunc_data() {
    QTest::addColumn<QList<QByteArray>>("args"); // g, n, e, s, p, q
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("counter") << QList<QByteArray>{"", "1", "500", "1", "1", "12"}
                             << QByteArray("\x01QIQ12N00000001E00000500S0001P0001\r");
    QTest::newRow("group only") << QList<QByteArray>{"3", "", "", "", "", "12"}
                                << QByteArray("\x01QIG3\r");
    QTest::newRow("nothing") << QList<QByteArray>{"", "", "", "", "", ""} << QByteArray("\x01QI\r");
    QTest::newRow("blanks count as nothing")
        << QList<QByteArray>{" ", "  ", "", "\t", "", "11"} << QByteArray("\x01QI\r");
    QTest::newRow("counter and group") << QList<QByteArray>{" 5 ", "1", "500", "1", "1", "12"}
                                       << QByteArray("\x01QIQ12N00000001E00000500S0001P0001IG5\r");
    QTest::newRow("long values whole")
        << QList<QByteArray>{"", "123456789", " 7 ", "12345", "2", "345"}
        << QByteArray("\x01QIQ345N123456789E00000007S12345P0002\r");
}

void CommandsTest::writeSpecFunc() {
    QFETCH(QList<QByteArray>, args);
    QFETCH(QByteArray, sent);
    PrinterRig rig;
    rig.printer->expect(sent);
    QVERIFY(rig.f.WriteSpecFunc(args[0], args[1], args[2], args[3], args[4], args[5]));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
    QCOMPARE(rig.printer->opens(), 1);
}

void CommandsTest::specFuncRefusesABadGroup() {
    // A group that is no number has no digit to go out as: nothing is sent at all.
    for (const QByteArray &group : {QByteArray("x"), QByteArray("3a"), QByteArray("-1")}) {
        PrinterRig rig;
        QVERIFY(!rig.f.WriteSpecFunc(group, "1", "500", "1", "1", "12"));
        QVERIFY(!rig.f.WriteSpecFunc(group, "", "", "", "", ""));
        QCOMPARE(rig.printer->opens(), 0);
        QVERIFY(rig.printer->hostBytes().isEmpty());
    }
}

void CommandsTest::textCodePage() {
    QCOMPARE(hexOf(toWire(QStringLiteral("Привет"))), QStringLiteral("CF F0 E8 E2 E5 F2"));
    QCOMPARE(fromWire(bytes("CF F0 E8 E2 E5 F2")), QStringLiteral("Привет"));
}

QTEST_GUILESS_MAIN(CommandsTest)
#include "tst_commands.moc"
