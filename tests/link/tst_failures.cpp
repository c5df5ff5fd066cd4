// Failure at every point where the printer can fail: for each operation, the printer falls silent
// from each byte it sends, or sends one echo wrong. The operation must fail and the host must send
// nothing after the byte that went unanswered.

#include "ScriptedPrinter.h"

#include <QTest>

namespace {
struct Case {
    const char *name;
    std::function<void(ScriptedPrinter &)> script;
    std::function<bool(Functions &)> run;
};

const QByteArray kLogoBody =
    bytes("02 03 10 11 12 13 14 15") + QByteArray(495, '\xFF') + nameWithChecksum("LOGO1   ");

// A fresh place for an operation to put what it reads.
template <class T> T &scratch() {
    static T value;
    value = T();
    return value;
}

// SCRIPT(.expect(...).reply(...)): the steps played on the printer; RUN(Start()): the operation.
#define SCRIPT(steps) [](ScriptedPrinter &p) { p steps; }
#define RUN(call) [](Functions &f) { return f.call; }

const std::vector<Case> &cases() {
    static const std::vector<Case> all = {
        {"Start", SCRIPT(.expect(bytes("17"))), RUN(Start())},
        {"RunningNumberForward", SCRIPT(.expect(bytes("0C 4E")).expectRaw(bytes("14"))),
         RUN(RunningNumberForward())},
        {"SetAutoRunPeriod", SCRIPT(.expect(bytes("0C 41 30 30 37 0D"))),
         RUN(SetAutoRunPeriod("7"))},
        {"MarkStorage", SCRIPT(.expect(bytes("0C 57 6F 0D"))), RUN(MarkStorage(2, 63))},
        {"SetFont", SCRIPT(.expect(bytes("1B 31 32 33 0D"))), RUN(SetFont(3, 1, 2))},
        {"WriteTextFragment", SCRIPT(.expect(bytes("18 31 32") + "Hi\r")),
         RUN(WriteTextFragment(1, 2, "Hi"))},
        {"WritePostDateFragment",
         SCRIPT(.expect(bytes("1D 31 32") + "DD\r").expect(bytes("1D 44") + "0005\r")),
         RUN(WritePostDateFragment(1, 2, "0005", "DD"))},
        {"PlaceLogo", SCRIPT(.expect(bytes("1C 31 32 0D 0D"))), RUN(PlaceLogo(13, 1, 2))},
        {"ReadFragment", SCRIPT(.expect(bytes("11 31 32")).reply(bytes("02 41 42 01 FF"))),
         RUN(ReadFragment(1, 2, scratch<FragmentReply>()))},
        {"ReadTimeParams", SCRIPT(.expect(bytes("08")).reply(bytes("10") + QByteArray(16, 1))),
         RUN(ReadTimeParams(scratch<StateBlock>()))},
        {"ReadParam", SCRIPT(.expect(bytes("0C 42 05")).reply(bytes("33")).expectRaw(bytes("12"))),
         RUN(ReadParam('B', scratch<quint8>()))},
        {"IncreaseParam",
         SCRIPT(.expect(bytes("0C 42 15 05")).reply(bytes("33")).expect(bytes("00 0D"))),
         RUN(IncreaseParam('B', scratch<quint8>()))},
        {"ReadByteStatus",
         SCRIPT(.expect(bytes("0C 09")).reply(bytes("81")).expectRaw(bytes("12"))),
         RUN(ReadByteStatus(scratch<quint8>()))},
        {"ReadScript", SCRIPT(.expect(bytes("01 05")).reply(bytes("02 51 49"))),
         RUN(ReadScript(scratch<QByteArray>()))},
        {"ReadHydroStatus", SCRIPT(.expect(bytes("12 2A 4C 6C")).reply(QByteArray(38, 'h'))),
         [](Functions &f) { return f.Connect() && f.ReadHydroStatus(scratch<QByteArray>()); }},
        {"ReadLogoNamesList",
         SCRIPT(.expect(bytes("01 03")).reply(bytes("02") + QByteArray(20, 'n'))),
         RUN(ReadLogoNamesList(scratch<LogoNames>()))},
        {"WriteSpecFunc", SCRIPT(.expect("\x01QIQ12N00000001E00000500S0001P0001IG5\r")),
         RUN(WriteSpecFunc("5", "1", "500", "1", "1", "12"))},
        {"ReadMarkImage",
         SCRIPT(.expect(bytes("07 08 08")).reply(bytes("01 03 00 11 22 33") + QByteArray(5117, 0))),
         RUN(ReadMarkImage(scratch<MarkImage>()))},
        {"ReadLogoPreview",
         SCRIPT(.expect(bytes("07 00 03")).reply(bytes("02 03 10 11 12 13 14 15")).expect("s")),
         RUN(ReadLogoPreview(3, scratch<LogoImage>()))},
        {"ReadLogo", SCRIPT(.expect(bytes("07 01 03")).reply(kLogoBody).expect("s")),
         RUN(ReadLogo(3, scratch<LogoImage>(), scratch<QByteArray>()))},
        {"WriteLogo",
         SCRIPT(.expectLogoWrite(bytes("07 89 03"), bytes("01 01"), logoFrameBytes({}))),
         RUN(WriteLogo(3, 1, 1, "", LogoImage{}))},
        {"RenameLogo",
         SCRIPT(.expect(bytes("07 01 03"))
                    .reply(kLogoBody)
                    .expect("s")
                    .expectLogoWrite(bytes("07 89 03"), bytes("02 03"),
                                     logoFrameBytes(bytes("10 11 12 13 14 15"), "NEW"))),
         RUN(RenameLogo(3, "NEW", scratch<LogoImage>()))},
    };
    return all;
}

// How many host bytes crossed before the printer's byte of that index.
int hostBytesBefore(const ScriptedPrinter &printer, int printerByte) {
    int host = 0, sent = 0;
    for (const WireByte &w : printer.transcript()) {
        if (w.fromHost)
            ++host;
        else if (sent++ == printerByte)
            return host;
    }
    return -1;
}
} // namespace

class FailuresTest : public QObject {
    Q_OBJECT
private slots:
    void everyByte_data();
    void everyByte();
};

void FailuresTest::everyByte_data() {
    QTest::addColumn<int>("index");
    for (size_t i = 0; i < cases().size(); ++i)
        QTest::newRow(cases()[i].name) << int(i);
}

void FailuresTest::everyByte() {
    QFETCH(int, index);
    const Case &c = cases()[size_t(index)];

    PrinterRig good;
    c.script(*good.printer);
    QVERIFY(c.run(good.f));
    QVERIFY2(good.printer->done(), qPrintable(good.printer->problem()));
    const QByteArray allHost = good.printer->hostBytes();
    QList<int> every, echoes; // the printer's bytes, and those of them that are echoes
    for (const WireByte &w : good.printer->transcript()) {
        if (w.fromHost)
            continue;
        if (w.echo)
            echoes << int(every.size());
        every << int(every.size());
    }
    for (const bool silence : {true, false}) {
        for (int i : silence ? every : echoes) {
            const QByteArray expectedHost = allHost.left(hostBytesBefore(*good.printer, i));
            PrinterRig failing;
            c.script(*failing.printer);
            if (silence)
                failing.printer->silentFrom(i);
            else
                failing.printer->wrongAt(i);
            const QString what =
                (silence ? QStringLiteral("silent from byte %1") : QStringLiteral("wrong echo %1"))
                    .arg(i);
            QVERIFY2(!c.run(failing.f), qPrintable(what));
            QVERIFY2(
                failing.printer->hostBytes() == expectedHost,
                qPrintable(what + ": host sent " + hexOf(failing.printer->hostBytes().right(12))));
        }
    }
}

QTEST_GUILESS_MAIN(FailuresTest)
#include "tst_failures.moc"
