// stampctl in-process, against a scripted printer: its command line, its exit status, what it
// prints from the printer's replies and the operations its trace names. The bytes of each
// operation are the link tests'; the real serial stack and the trace's bytes are the end-to-end
// test's.

#include "DeviceSettings.h"
#include "ScriptedPrinter.h"
#include "Stampctl.h"

#include <QStandardPaths>
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
    Run run(const QStringList &args,
            const QByteArray &portParams = "[PortParams]\nCom=com1\nSpeed=57600\n") {
        Run r;
        const QString settings = dir.filePath(QStringLiteral("stampline.dev"));
        QFile file(settings);
        file.open(QIODevice::WriteOnly);
        file.write(portParams + "[PortDevices]\nCOM1=printer\n");
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

    void usageErrors();
    void printsWhatThePrinterReplied();
    void readMarkCells();
    void settingsThatSayWhatIsWrong();
    void settingsOfAnInstalledProgram();
    void severalOperationsOverOneOpening();
};

void TestCli::usageErrors() {
    const struct {
        QStringList args;
        const char *reason;
    } rows[] = {
        {{}, "no operation given"},
        {{"jump"}, "unknown operation \"jump\""},
        {{"SetFont", "1", "1", "1"}, "unknown operation"}, // the operation's own name
        {{"set-font", "3", "x", "2"}, "ROW must be a number"},
        {{"place-logo", "12a", "1", "1"}, "N must be a number"},
        {{"read-fragment", "5", "1"}, "ROW must be 1 to 4"},
        {{"delete-logo", "256"}, "N must be 0 to 255"},
        {{"set-auto-run-period", "-1"}, "PERIOD must be 0 to 255"},
        {{"set-font", "1", "1"}, "set-font takes 3 argument(s), not 2"},
        {{"start", "now"}, "start takes 0 argument(s), not 1"},
        {{"read-logo", "1", "a.bmp", "b"}, "read-logo takes 1 to 2 arguments, not 3"},
        {{"read-param", "KK"}, "L must be one letter"},
        {{"set-time", "12:30"}, "HHMMSS must be 6 digits"},
        {{"set-time", "256199"}, "HHMMSS is no time of day"},
        {{"set-time", "126000"}, "HHMMSS is no time of day"},
        {{"set-date", "999999"}, "DDMMYY is no day of the calendar"},
        {{"set-date", "290223"}, "DDMMYY is no day of the calendar"}, // no leap day
        {{"write-logo", "1", "/no/such/file.bmp"}, "no such file: /no/such/file.bmp"},
        {{"write-text-fragment", "1", "1", QString(39, QLatin1Char('x'))},
         "TEXT must be at most 38 characters"},
        {{"rename-logo", "1", "NINECHARS"}, "NAME must be at most 8 characters"},
        {{"write-counter-fragment", "1", "1", "日本"},
         "TEXT holds \"日\" at position 1, which the printer's code page (windows-1251) lacks"},
        {{"write-text-fragment", "1", "2", "A\r\x0bM"},
         "TEXT holds a control character (0Dh) at position 2"},
        {{"write-time-date-fragment", "4", "8",
          "X\x18"
          "48PWNED"},
         "TEXT holds a control character (18h) at position 2"},
        {{"rename-logo", "1", "A\tB"}, "NAME holds a control character (09h) at position 2"},
        {{"read-mark-image", "mark.jpg"}, "FILE must end in .png or .bmp"},
        {{"--baud", "4801", "start"}, "--baud must be"},
        {{"--port", "Com5", "start"}, "--port must be"},
        {{"--device"}, "--device needs a value"},
        {{"read-mark-cells", "1"}, "read-mark-cells takes 0 argument(s)"},
        {{"--fast", "start"}, "unknown option --fast"},
        {{"write-spec-func", "", "1", "500", "1", "1", "99"},
         "the counter's fragment number \"99\" names no cell of the mark"},
    };
    // Status 2, the reason and the usage on stderr, and nothing to the printer.
    for (const auto &row : rows) {
        const Run r = run(row.args);
        QVERIFY2(r.exit == ctl::Usage && r.err.startsWith(QByteArray("stampctl: ") + row.reason) &&
                     r.err.contains("usage: stampctl") && r.out.isEmpty() &&
                     printer->hostBytes().isEmpty(),
                 qPrintable(row.args.join(' ') + QStringLiteral(": %1 ").arg(r.exit) + r.err));
    }
}

void TestCli::printsWhatThePrinterReplied() {
    // Texts come back from the printer's code page; every value ends its line. Midnight as hour
    // 24 and a leap day are taken.
    const auto record = [](char slot, const QByteArray &name) {
        return QByteArray(1, slot) + name.leftJustified(8, ' ') + QByteArray(1, '\0');
    };
    const struct {
        QStringList args;
        QByteArray host, reply, out;
    } rows[] = {
        {{"read-logo-names-list"},
         bytes("01 03"),
         bytes("03") + record(5, " LOGO1") + record(7, bytes("CB EE E3 EE")) + record(9, ""),
         "5 LOGO1\n7 Лого\n9\n"},
        {{"read-time-params"}, bytes("08"), bytes("02 05 09"), "5\n9\n"}, // the bytes sent only
        {{"set-time", "240000"}, bytes("1A 54") + "240000" + bytes("0D"), {}, {}},
        {{"set-date", "290224"}, bytes("1A 44") + "290224" + bytes("0D"), {}, {}},
        {{"--port", "com1", "find-device"}, bytes("0D"), {}, "Com1\n57600\n"},
    };
    for (const auto &row : rows) {
        init();
        printer->expect(row.host).reply(row.reply);
        const Run r = run(row.args);
        QVERIFY2(r.exit == ctl::Success && printer->done(),
                 qPrintable(row.args.join(' ') + ": " + r.err + printer->problem()));
        QCOMPARE(QString::fromUtf8(r.out), QString::fromUtf8(row.out));
    }
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
    printer->expect(bytes("08")).reply(stateBlock);
    for (int i = 0; i < 32; ++i) {
        const QByteArray cell = QByteArray(1, char(0x11)) + char('1' + i / 8) + char('1' + i % 8);
        const auto it = replies.find(i);
        printer->expect(cell).reply(it == replies.end() ? bytes("00 00 FF") : it->second);
    }
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
    init();
    printer->expect(bytes("08")).reply(bytes("02 05 09"));
    r = run({"read-mark-cells"});
    QCOMPARE(r.exit, int(ctl::Failed));
    QVERIFY2(r.err.contains("without the font count (2 of 14 bytes)"), r.err.constData());
}

void TestCli::settingsThatSayWhatIsWrong() {
    // A port that is none of the four opens nothing, and both the settings and the failure say
    // so; a rate the printer does not know is replaced by 9600, which is said.
    // (Each file differs in size from the others: the settings reader keeps a file it has read
    // while its size and time stay.)
    Run r = run({"start"}, "[PortParams]\nCom = com5\nSpeed=57600\n");
    QCOMPARE(r.exit, int(ctl::Failed));
    const QString settings = dir.filePath(QStringLiteral("stampline.dev"));
    QCOMPARE(QString::fromUtf8(r.err),
             "stampctl: Com \"com5\" in " + settings +
                 " is none of com1..com4: no port is opened until one is chosen\n"
                 "stampctl: Start failed: the port \"com5\" is none of Com1..Com4, and no port is "
                 "open\n");
    r = run({"start"}, "[PortParams]\nCom=com1\nSpeed=115200\n");
    QVERIFY2(r.err.startsWith("stampctl: Speed \"115200\" in " + settings.toUtf8() +
                              " is not a rate of the printer (1200, 2400, 4800, 9600, 19200, 38400 "
                              "or 57600): 9600 is used\n"),
             r.err.constData());
    QVERIFY(r.err.contains("Com1 (printer) at 9600 baud"));
}

void TestCli::severalOperationsOverOneOpening() {
    // All checked first: a usage error in the last sends nothing at all.
    Run r = run({"read-param", "C", "--", "read-param", "DD"});
    QCOMPARE(r.exit, int(ctl::Usage));
    QVERIFY(printer->hostBytes().isEmpty());

    // Each prints as it is done, over one opening of the port.
    printer->expect(bytes("0C 43 05")).reply(bytes("32")).expectRaw(bytes("12"));
    printer->expect(bytes("0C 44 05")).reply(bytes("14")).expectRaw(bytes("12"));
    printer->expect(bytes("0C 09")).reply(bytes("81")).expectRaw(bytes("12"));
    r = run({"read-param", "C", "--", "read-param", "D", "--", "read-byte-status"});
    QVERIFY2(r.exit == ctl::Success && printer->done(), r.err.constData());
    QCOMPARE(r.out, QByteArray("50\n20\n129\n"));
    QCOMPARE(printer->opens(), 3); // one exchange each, the line opened once (tst_systemline)

    // The first that fails ends the run and is named; what came before it is printed.
    init();
    printer->expect(bytes("0C 43 05")).reply(bytes("32")).expectRaw(bytes("12"));
    printer->silentFrom(4);
    r = run({"read-param", "C", "--", "read-param", "D", "--", "read-byte-status"});
    QCOMPARE(r.exit, int(ctl::Failed));
    QCOMPARE(r.out, QByteArray("50\n"));
    QVERIFY2(r.err.startsWith("stampctl: operation 2 of 3 (read-param D): ReadParam failed: "),
             r.err.constData());
    QCOMPARE(printer->hostBytes(), bytes("0C 43 05 12 0C"));
}

void TestCli::settingsOfAnInstalledProgram() {
    // A program in a folder of one's own keeps its settings beside it; one that may not write
    // there (installed) keeps them in the user's configuration folder.
    QStandardPaths::setTestModeEnabled(true);
    QCOMPARE(DeviceSettings::locate(dir.filePath(QStringLiteral("stampline"))),
             dir.filePath(QStringLiteral("stampline.dev")));
    QCOMPARE(DeviceSettings::locate(QStringLiteral("/no/such/folder/bin/stampctl")),
             QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 QStringLiteral("/stampline/stampline.dev"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
