// stampctl in-process, against a scripted printer: its command line, its exit status, what it
// prints from the printer's replies and the trace. The bytes of each operation are the link
// tests'; the real serial stack is the end-to-end test's.

#include "ScriptedPrinter.h"
#include "Stampctl.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Run {
    int exit = -1;
    QByteArray out, err;
};
} // namespace

class TestCli : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    std::shared_ptr<ScriptedPrinter> printer;

    // stampctl ARGS with Com1 the scripted printer at 57600 and the other ports absent.
    Run run(const QStringList &args) {
        Run r;
        const QString settings = dir.filePath(QStringLiteral("stampline.dev"));
        QFile file(settings);
        file.open(QIODevice::WriteOnly);
        file.write("[PortParams]\nCom=com1\nSpeed=57600\n[PortDevices]\nCOM1=printer\n");
        file.close();
        auto line = [this](const QString &device, QString *) -> std::unique_ptr<SerialLine> {
            if (device != QLatin1String("printer"))
                return nullptr;
            return std::make_unique<InProcessLine>(printer);
        };
        r.exit = ctl::run(
            args, settings, line,
            {[&r](const QByteArray &b) { r.out += b; }, [&r](const QByteArray &b) { r.err += b; }});
        return r;
    }

private slots:
    void init() { printer = std::make_shared<ScriptedPrinter>(57600); }

    void usageErrors_data();
    void usageErrors();
    void printsWhatThePrinterReplied();
    void failureAndTrace();
    void readMarkCells();
};

void TestCli::usageErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("no operation") << QStringList{} << QByteArray("no operation given");
    QTest::newRow("unknown operation")
        << QStringList{"jump"} << QByteArray("unknown operation \"jump\"");
    QTest::newRow("camel case name")
        << QStringList{"SetFont", "1", "1", "1"} << QByteArray("unknown operation");
    QTest::newRow("row not a number")
        << QStringList{"set-font", "3", "x", "2"} << QByteArray("ROW must be a number");
    QTest::newRow("number with junk")
        << QStringList{"place-logo", "12a", "1", "1"} << QByteArray("N must be a number");
    QTest::newRow("row out of range")
        << QStringList{"read-fragment", "5", "1"} << QByteArray("ROW must be 1 to 4");
    QTest::newRow("logo out of range")
        << QStringList{"delete-logo", "256"} << QByteArray("N must be 0 to 255");
    QTest::newRow("period out of range")
        << QStringList{"set-auto-run-period", "-1"} << QByteArray("PERIOD must be 0 to 255");
    QTest::newRow("too few") << QStringList{"set-font", "1", "1"}
                             << QByteArray("set-font takes 3 argument(s), not 2");
    QTest::newRow("too many") << QStringList{"start", "now"}
                              << QByteArray("start takes 0 argument(s), not 1");
    QTest::newRow("optional over") << QStringList{"read-logo", "1", "a.bmp", "b"}
                                   << QByteArray("read-logo takes 1 to 2 arguments, not 3");
    QTest::newRow("letter") << QStringList{"read-param", "KK"}
                            << QByteArray("L must be one letter");
    QTest::newRow("time") << QStringList{"set-time", "12:30"}
                          << QByteArray("HHMMSS must be 6 digits");
    QTest::newRow("no time") << QStringList{"set-time", "256199"}
                             << QByteArray("HHMMSS is no time of day");
    QTest::newRow("no minute") << QStringList{"set-time", "126000"}
                               << QByteArray("HHMMSS is no time of day");
    QTest::newRow("no date") << QStringList{"set-date", "999999"}
                             << QByteArray("DDMMYY is no day of the calendar");
    QTest::newRow("no leap day") << QStringList{"set-date", "290223"}
                                 << QByteArray("DDMMYY is no day of the calendar");
    QTest::newRow("missing picture") << QStringList{"write-logo", "1", "/no/such/file.bmp"}
                                     << QByteArray("no such file: /no/such/file.bmp");
    QTest::newRow("long text") << QStringList{"write-text-fragment", "1", "1",
                                              QString(39, QLatin1Char('x'))}
                               << QByteArray("TEXT must be at most 38 characters");
    QTest::newRow("long name") << QStringList{"rename-logo", "1", "NINECHARS"}
                               << QByteArray("NAME must be at most 8 characters");
    QTest::newRow("outside the code page")
        << QStringList{"write-counter-fragment", "1", "1", "日本"}
        << QByteArray("TEXT holds characters the printer's code page");
    QTest::newRow("mark file type") << QStringList{"read-mark-image", "mark.jpg"}
                                    << QByteArray("FILE must end in .png or .bmp");
    QTest::newRow("bad rate") << QStringList{"--baud", "4801", "start"}
                              << QByteArray("--baud must be");
    QTest::newRow("bad port") << QStringList{"--port", "Com5", "start"}
                              << QByteArray("--port must be");
    QTest::newRow("option without value")
        << QStringList{"--device"} << QByteArray("--device needs a value");
    QTest::newRow("cells take no argument")
        << QStringList{"read-mark-cells", "1"} << QByteArray("read-mark-cells takes 0 argument(s)");
    QTest::newRow("unknown option")
        << QStringList{"--fast", "start"} << QByteArray("unknown option --fast");
}

void TestCli::usageErrors() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, reason);
    const Run r = run(args);
    QCOMPARE(r.exit, int(ctl::Usage));
    QVERIFY2(r.err.startsWith("stampctl: " + reason), r.err.constData());
    QVERIFY2(r.err.contains("usage: stampctl"), r.err.constData());
    QCOMPARE(r.out, QByteArray());
    QVERIFY(printer->hostBytes().isEmpty()); // nothing reaches the printer
}

void TestCli::printsWhatThePrinterReplied() {
    // Texts come back from the printer's code page; every value ends its line.
    printer->expect(bytes("11 31 32")).reply(bytes("03 C4 EE EC 02 FF"));
    Run r = run({"read-fragment", "1", "2"});
    QCOMPARE(r.exit, int(ctl::Success));
    QCOMPARE(QString::fromUtf8(r.out), QStringLiteral("Дом\n2\n255\n"));

    init();
    const auto record = [](char slot, const QByteArray &name) {
        return QByteArray(1, slot) + name.leftJustified(8, ' ') + QByteArray(1, '\0');
    };
    printer->expect(bytes("01 03"))
        .reply(bytes("03") + record(5, " LOGO1") + record(7, bytes("CB EE E3 EE")) + record(9, ""));
    r = run({"read-logo-names-list"});
    QCOMPARE(QString::fromUtf8(r.out), QStringLiteral("5 LOGO1\n7 Лого\n9\n"));

    init();
    printer->expect(bytes("08")).reply(bytes("02 05 09"));
    r = run({"read-time-params"});
    QCOMPARE(r.out, QByteArray("5\n9\n")); // only the bytes the printer sent

    // Midnight as hour 24 and a leap day are taken.
    for (const auto &[op, value] : {std::pair{"set-time", "240000"}, {"set-date", "290224"}}) {
        init();
        printer->expect(bytes(op == QLatin1String("set-time") ? "1A 54" : "1A 44") +
                        QByteArray(value) + bytes("0D"));
        QCOMPARE(run({op, value}).exit, int(ctl::Success));
    }

    init();
    printer->expect(bytes("0D"));
    r = run({"--port", "com1", "find-device"});
    QCOMPARE(r.exit, int(ctl::Success));
    QCOMPARE(r.out, QByteArray("Com1\n57600\n"));
}

void TestCli::failureAndTrace() {
    printer->expect(bytes("0C 09")).reply(bytes("81")).expectRaw(bytes("12"));
    Run r = run({"--trace", "read-byte-status"});
    QCOMPARE(r.exit, int(ctl::Success));
    QCOMPARE(r.out, QByteArray("129\n"));
    QCOMPARE(r.err, QByteArray("# ReadByteStatus\n> 0C\n< 0C\n> 09\n< 09\n< 81\n> 12\n"));

    init();
    printer->silentFrom(0);
    r = run({"--trace", "start"});
    QCOMPARE(r.exit, int(ctl::Failed));
    QCOMPARE(r.err, QByteArray("# Start\n> 17\nstampctl: Start failed: Com1 (printer) at 57600 "
                               "baud: the printer did not answer; try find-device\n"));
    QCOMPARE(r.out, QByteArray());
}

void TestCli::readMarkCells() {
    // The state block (font count 7), then every cell: a logo in slot 2, a text in the code page,
    // a down-counter, a date, a special-function counter, a post-date, a kind of its own, a text
    // with a line break in it, and the rest empty.
    const QByteArray stateBlock = bytes("0E 00 00 00 00 00 00 00 00 00 00 00 00 00 07");
    const std::map<int, QByteArray> replies = {
        {0, bytes("01 02 07 FF")},    {1, bytes("03 C4 EE EC 03 FF")}, {2, bytes("02 34 32 01 05")},
        {3, bytes("02 44 44 02 00")}, {4, bytes("03 35 30 30 00 07")}, {5, bytes("02 44 4D 01 02")},
        {6, bytes("01 41 04 09")},    {7, bytes("03 41 0A 42 02 FF")},
    };
    const auto script = [&] {
        printer->expect(bytes("08")).reply(stateBlock);
        for (int i = 0; i < 32; ++i) {
            const QByteArray cell =
                QByteArray(1, char(0x11)) + char('1' + i / 8) + char('1' + i % 8);
            const auto it = replies.find(i);
            printer->expect(cell).reply(it == replies.end() ? bytes("00 00 FF") : it->second);
        }
    };
    script();
    Run r = run({"read-mark-cells"});
    QCOMPARE(r.exit, int(ctl::Success));
    const QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 33); // and the end of the last line
    QCOMPARE(lines.mid(0, 9),
             QStringList({"1 1 graphic 6 2", "1 2 text 3 Дом", "1 3 counter-down 1 42",
                          "1 4 time-date 2 DD", "1 5 special 0 500", "1 6 post-date 1 DM",
                          "1 7 other 4 A", "1 8 text 2 A\uFFFDB", "2 1 text 0"}));
    QCOMPARE(lines[31], QStringLiteral("4 8 text 0"));

    // A cell that never answers ends it after the editors' ten reads; a short state block at once.
    init();
    printer->expect(bytes("08")).reply(stateBlock);
    printer->silentFrom(16); // after the state block's echo and its 15 bytes
    r = run({"--trace", "read-mark-cells"});
    QCOMPARE(r.exit, int(ctl::Failed));
    // The trace names each operation of the command as it begins.
    QStringList names;
    for (const QByteArray &line : r.err.split('\n'))
        if (line.startsWith("# "))
            names << QString::fromLatin1(line.mid(2));
    QCOMPARE(names, QStringList{"ReadTimeParams"} + QStringList(10, "ReadFragment"));
    r.err = r.err.mid(r.err.indexOf("stampctl: "));
    QCOMPARE(r.err, QByteArray("stampctl: ReadMarkCells failed at cell 1,1 (10 reads): Com1 "
                               "(printer) at 57600 baud: the printer did not answer\n"));
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(printer->hostBytes().count(char(0x11)), 10);
    init();
    printer->expect(bytes("08")).reply(bytes("02 05 09"));
    r = run({"read-mark-cells"});
    QCOMPARE(r.exit, int(ctl::Failed));
    QVERIFY2(r.err.contains("without the font count (2 of 14 bytes)"), r.err.constData());
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
