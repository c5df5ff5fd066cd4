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
const QByteArray kBlankFrame = QByteArray(501, '\xFF') + "        " + bytes("00");

const std::vector<Case> &cases() {
    static const std::vector<Case> all = {
        {"Start", [](ScriptedPrinter &p) { p.expect(bytes("17")); },
         [](Functions &f) { return f.Start(); }},
        {"RunningNumberForward",
         [](ScriptedPrinter &p) { p.expect(bytes("0C 4E")).expectRaw(bytes("14")); },
         [](Functions &f) { return f.RunningNumberForward(); }},
        {"SetAutoRunPeriod", [](ScriptedPrinter &p) { p.expect(bytes("0C 41 30 30 37 0D")); },
         [](Functions &f) { return f.SetAutoRunPeriod("7"); }},
        {"MarkStorage", [](ScriptedPrinter &p) { p.expect(bytes("0C 57 6F 0D")); },
         [](Functions &f) { return f.MarkStorage(2, 63); }},
        {"SetFont", [](ScriptedPrinter &p) { p.expect(bytes("1B 31 32 33 0D")); },
         [](Functions &f) { return f.SetFont(3, 1, 2); }},
        {"WriteTextFragment", [](ScriptedPrinter &p) { p.expect(bytes("18 31 32") + "Hi\r"); },
         [](Functions &f) { return f.WriteTextFragment(1, 2, "Hi"); }},
        {"WritePostDateFragment",
         [](ScriptedPrinter &p) {
             p.expect(bytes("1D 31 32") + "DD\r")
                 .expect("\x1D"
                         "D0005\r");
         },
         [](Functions &f) { return f.WritePostDateFragment(1, 2, "0005", "DD"); }},
        {"PlaceLogo", [](ScriptedPrinter &p) { p.expect(bytes("1C 31 32 0D 0D")); },
         [](Functions &f) { return f.PlaceLogo(13, 1, 2); }},
        {"ReadFragment",
         [](ScriptedPrinter &p) { p.expect(bytes("11 31 32")).reply(bytes("02 41 42 01 FF")); },
         [](Functions &f) {
             FragmentReply cell;
             return f.ReadFragment(1, 2, cell);
         }},
        {"ReadTimeParams",
         [](ScriptedPrinter &p) { p.expect(bytes("08")).reply(bytes("10") + QByteArray(16, 1)); },
         [](Functions &f) {
             StateBlock block;
             return f.ReadTimeParams(block);
         }},
        {"ReadParam",
         [](ScriptedPrinter &p) {
             p.expect(bytes("0C 42 05")).reply(bytes("33")).expectRaw(bytes("12"));
         },
         [](Functions &f) {
             quint8 v;
             return f.ReadParam('B', v);
         }},
        {"IncreaseParam",
         [](ScriptedPrinter &p) {
             p.expect(bytes("0C 42 15 05")).reply(bytes("33")).expect(bytes("00 0D"));
         },
         [](Functions &f) {
             quint8 v;
             return f.IncreaseParam('B', v);
         }},
        {"ReadByteStatus",
         [](ScriptedPrinter &p) {
             p.expect(bytes("0C 09")).reply(bytes("81")).expectRaw(bytes("12"));
         },
         [](Functions &f) {
             quint8 v;
             return f.ReadByteStatus(v);
         }},
        {"ReadScript",
         [](ScriptedPrinter &p) { p.expect(bytes("01 05")).reply(bytes("02 51 49")); },
         [](Functions &f) {
             QByteArray text;
             return f.ReadScript(text);
         }},
        {"ReadHydroStatus",
         [](ScriptedPrinter &p) { p.expect(bytes("12 2A 4C 6C")).reply(QByteArray(38, 'h')); },
         [](Functions &f) {
             QByteArray text;
             return f.Connect() && f.ReadHydroStatus(text);
         }},
        {"ReadLogoNamesList",
         [](ScriptedPrinter &p) {
             p.expect(bytes("01 03")).reply(bytes("02") + QByteArray(20, 'n'));
         },
         [](Functions &f) {
             LogoNames names;
             return f.ReadLogoNamesList(names);
         }},
        {"WriteSpecFunc",
         [](ScriptedPrinter &p) { p.expect("\x01QIQ12N00000001E00000500S0001P0001IG5\r"); },
         [](Functions &f) { return f.WriteSpecFunc("5", "1", "500", "1", "1", "12"); }},
        {"ReadMarkImage",
         [](ScriptedPrinter &p) {
             p.expect(bytes("07 08 08")).reply(bytes("01 03 00 11 22 33") + QByteArray(5117, 0));
         },
         [](Functions &f) {
             auto image = std::make_unique<MarkImage>();
             return f.ReadMarkImage(*image);
         }},
        {"ReadLogoPreview",
         [](ScriptedPrinter &p) {
             p.expect(bytes("07 00 03")).reply(bytes("02 03 10 11 12 13 14 15")).expect("s");
         },
         [](Functions &f) {
             LogoImage image;
             return f.ReadLogoPreview(3, image);
         }},
        {"ReadLogo",
         [](ScriptedPrinter &p) { p.expect(bytes("07 01 03")).reply(kLogoBody).expect("s"); },
         [](Functions &f) {
             LogoImage image;
             QByteArray name;
             return f.ReadLogo(3, image, name);
         }},
        {"WriteLogo",
         [](ScriptedPrinter &p) {
             p.expect(bytes("07 89 03"))
                 .expectRaw(bytes("01 01"))
                 .expectRaw(kBlankFrame)
                 .reply("s")
                 .expectRaw("s");
         },
         [](Functions &f) {
             LogoImage image;
             return f.WriteLogo(3, 1, 1, "", image);
         }},
        {"RenameLogo",
         [](ScriptedPrinter &p) {
             p.expect(bytes("07 01 03"))
                 .reply(kLogoBody)
                 .expect("s")
                 .expect(bytes("07 89 03"))
                 .expectRaw(bytes("02 03"))
                 .expectRaw(bytes("10 11 12 13 14 15") + QByteArray(495, '\xFF') +
                            nameWithChecksum("NEW     "))
                 .reply("s")
                 .expectRaw("s");
         },
         [](Functions &f) {
             LogoImage image;
             return f.RenameLogo(3, "NEW", image);
         }},
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
    const int printerBytes = int(good.printer->printerBytes().size());
    QList<int> echoes;
    int n = 0;
    for (const WireByte &w : good.printer->transcript())
        if (!w.fromHost && w.echo)
            echoes << n++;
        else if (!w.fromHost)
            ++n;

    for (int i = 0; i < printerBytes; ++i) {
        const QByteArray expectedHost = allHost.left(hostBytesBefore(*good.printer, i));
        PrinterRig silent;
        c.script(*silent.printer);
        silent.printer->silentFrom(i);
        QVERIFY2(!c.run(silent.f), qPrintable(QStringLiteral("silent from byte %1").arg(i)));
        QVERIFY2(silent.printer->hostBytes() == expectedHost,
                 qPrintable(QStringLiteral("silent from byte %1: host sent %2")
                                .arg(i)
                                .arg(hexOf(silent.printer->hostBytes().right(12)))));
    }
    for (int i : echoes) {
        const QByteArray expectedHost = allHost.left(hostBytesBefore(*good.printer, i));
        PrinterRig wrong;
        c.script(*wrong.printer);
        wrong.printer->wrongAt(i);
        QVERIFY2(!c.run(wrong.f), qPrintable(QStringLiteral("wrong echo %1").arg(i)));
        QVERIFY2(wrong.printer->hostBytes() == expectedHost,
                 qPrintable(QStringLiteral("wrong echo %1: host sent %2")
                                .arg(i)
                                .arg(hexOf(wrong.printer->hostBytes().right(12)))));
    }
}

QTEST_GUILESS_MAIN(FailuresTest)
#include "tst_failures.moc"
