// The reply byte's ten tries, Connect, the printer search and the block write's bound.

#include "ScriptedPrinter.h"

#include <QTest>

namespace {
// A line with line time: a write whose bound is shorter than its bytes need at the line's rate
// (ten bit times a byte) does not complete. Records every bound it was given.
class TimedLine : public SerialLine {
public:
    TimedLine(std::shared_ptr<LinePeer> peer, QList<int> *boundsSeen)
        : inner(std::move(peer)), bounds(boundsSeen) {}
    bool setLine(int baud) override {
        baud_ = baud;
        return inner.setLine(baud);
    }
    void purgeInput() override { inner.purgeInput(); }
    bool write(const QByteArray &data, int boundMs) override {
        bounds->append(boundMs);
        if (qint64(boundMs) * baud_ < qint64(data.size()) * 10 * 1000)
            return false;
        return inner.write(data, boundMs);
    }
    std::optional<quint8> read(int boundMs) override { return inner.read(boundMs); }
    void pause(int) override {}

private:
    InProcessLine inner;
    QList<int> *bounds;
};
} // namespace

class ExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void receiveByteTriesTenTimes();
    void connectReopensEveryTime();
    void connectWithNamesItDoesNotKnow();
    void findDevice_data();
    void findDevice();
    void probeTimeoutsLastUntilTheNextConnect();
    void blockWriteWaitsForTheLine();
};

void ExchangeTest::receiveByteTriesTenTimes() {
    // The byte that comes on the tenth read is accepted and echoed back; on the eleventh it is
    // too late, and nothing is echoed.
    for (const int waits : {9, 10}) {
        PrinterRig rig;
        rig.printer->replyAfterWaits(bytes("73"), waits);
        QVERIFY(rig.f.Connect());
        const bool inTime = waits == 9;
        QVERIFY2(rig.f.ReceiveByte() == (inTime ? std::optional<quint8>(0x73) : std::nullopt),
                 qPrintable(QStringLiteral("%1 vain reads").arg(waits)));
        QCOMPARE(rig.printer->hostBytes(), inTime ? bytes("73") : QByteArray());
    }
}

void ExchangeTest::connectReopensEveryTime() {
    PrinterRig rig;
    QList<bool> painted;
    rig.state.lineState = [&](bool good) { painted << good; };
    rig.printer->expect(bytes("17 02"));
    QVERIFY(rig.f.Start());
    QVERIFY(rig.f.Stop());
    QCOMPARE(rig.printer->opens(), 2);
    QCOMPARE(painted, (QList<bool>{true, true, true, true})); // each open, each echo
    QCOMPARE(rig.state.handle->timeouts(), kStandardTimeouts);
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));

    // Port and rate names in any case, with blanks around.
    PrinterRig named(19200);
    named.state.portName = QStringLiteral(" cOM1\t");
    named.state.baudName = QStringLiteral(" 19200 ");
    named.printer->expect(bytes("17"));
    QVERIFY(named.f.Start());
    QCOMPARE(named.printer->rate(), 19200);

    // A port whose device does not open: Connect fails and nothing is sent.
    PrinterRig missing;
    missing.state.portName = QStringLiteral("Com2");
    QVERIFY(!missing.f.Connect());
    QVERIFY(!missing.f.Start());
    QCOMPARE(missing.printer->opens(), 0);
    QVERIFY(!missing.state.handle);
}

void ExchangeTest::connectWithNamesItDoesNotKnow() {
    // A port name that is none of the four keeps the line already held, without reopening it.
    PrinterRig rig(19200);
    QVERIFY(rig.f.Connect());
    rig.state.portName = QStringLiteral("Com5");
    rig.state.baudName = QStringLiteral("19201"); // no such rate: the line stays as it is
    rig.printer->expect(bytes("17"));
    QVERIFY(rig.f.Start());
    QCOMPARE(rig.printer->opens(), 1);
    QCOMPARE(rig.printer->rate(), 19200);
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));

    // A known rate is set on the held line.
    rig.state.baudName = QStringLiteral("38400");
    QVERIFY(!rig.f.Start());
    QCOMPARE(rig.printer->rate(), 38400);

    // Nothing held and no port named: nothing to talk to.
    PortState empty;
    empty.portName.clear();
    Functions none(empty);
    QVERIFY(!none.Connect());
    QVERIFY(!none.Start());
}

void ExchangeTest::findDevice_data() {
    QTest::addColumn<QList<int>>("rates"); // of the printers on a line already held and on
                                           // COM1..COM4; 0: none
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("baud");
    QTest::addColumn<QStringList>("found");  // the port and rate named after it; none: it failed
    QTest::addColumn<QList<int>>("probes");  // the probes at each of those lines
    QTest::addColumn<bool>("probeTimeouts"); // still in force, else the port's own ones are back
    const auto row = [](const char *tag, QList<int> rates, const char *port, const char *baud,
                        QStringList found, QList<int> probes, bool probeTimeouts) {
        QTest::newRow(tag) << rates << QString(port) << QString(baud) << found << probes
                           << probeTimeouts;
    };
    // Found on the first probe of the named port, whose name is kept as it was given.
    row("named port", {0, 0, 57600, 0, 0}, " com2 ", "1200", {" com2 ", "57600"}, {0, 0, 1, 0, 0},
        true);
    row("rates in order", {0, 9600, 0, 0, 0}, "Com1", "9600", {"Com1", "9600"}, {0, 4, 0, 0, 0},
        true);
    // The named port answers nothing: it is probed again in the scan, which goes COM1, COM2 (no
    // device), COM3 and stops at the first printer.
    row("scan", {0, 4800, 0, 19200, 57600}, "com1", "9600", {"Com3", "19200"}, {0, 8, 0, 3, 0},
        false);
    // A named port that does not open is not probed.
    row("named port missing", {0, 38400, 0, 0, 0}, "Com2", "9600", {"Com1", "38400"},
        {0, 2, 0, 0, 0}, false);
    // A name of no port: the line already held is probed first, then COM1..COM4.
    row("name of no port", {2400, 0, 0, 0, 9600}, "", "9600", {"Com4", "9600"}, {4, 0, 0, 0, 4},
        false);
    // A printer at 4800 (or slower) is never found; the names stay.
    row("4800", {0, 4800, 4800, 1200, 2400}, "Com2", "4800", {}, {0, 4, 8, 4, 4}, false);
    row("no device", {0, 0, 0, 0, 0}, "Com1", "9600", {}, {0, 0, 0, 0, 0}, false);
}

void ExchangeTest::findDevice() {
    QFETCH(QList<int>, rates);
    QFETCH(QString, port);
    QFETCH(QString, baud);
    QFETCH(QStringList, found);
    QFETCH(QList<int>, probes);
    QFETCH(bool, probeTimeouts);
    std::array<std::shared_ptr<ScriptedPrinter>, 5> lines;
    for (size_t i = 0; i < lines.size(); ++i)
        if (rates[qsizetype(i)]) {
            lines[i] = std::make_shared<ScriptedPrinter>(rates[qsizetype(i)]);
            lines[i]->expect(bytes("0D"));
        }
    PortState state;
    attachPorts(state, {lines[1], lines[2], lines[3], lines[4]});
    state.portName = port;
    state.baudName = baud;
    if (lines[0])
        state.handle = std::make_unique<InProcessLine>(lines[0]);

    QCOMPARE(Functions(state).FindDevice(), !found.isEmpty());
    QCOMPARE(state.portName, found.value(0, port));
    QCOMPARE(state.baudName, found.value(1, baud));
    // Each pass over a port opens it once and probes it with a CR at 57600, 38400, 19200, 9600.
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i])
            continue;
        QString heard = QStringLiteral("line %1:").arg(i), expected = heard;
        for (const WireByte &w : lines[i]->transcript())
            if (w.fromHost)
                heard += QStringLiteral(" %1@%2").arg(w.value, 2, 16, QChar('0')).arg(w.rate);
        for (int k = 0; k < probes[qsizetype(i)]; ++k)
            expected += QStringLiteral(" 0d@%1").arg(QList<int>{57600, 38400, 19200, 9600}[k % 4]);
        QCOMPARE(heard, expected);
        QVERIFY2(i == 0 || lines[i]->opens() == (probes[qsizetype(i)] + 3) / 4, qPrintable(heard));
    }
    if (state.handle)
        QCOMPARE(state.handle->timeouts(),
                 probeTimeouts ? state.probeTimeouts : state.savedTimeouts);
}

void ExchangeTest::probeTimeoutsLastUntilTheNextConnect() {
    PrinterRig rig(57600);
    int painted = 0;
    rig.state.lineState = [&](bool good) { painted += good; };
    rig.printer->expect(bytes("0D"));
    QVERIFY(rig.f.FindDevice());
    QCOMPARE(painted, 2); // the open and the echo
    const CommTimeouts &t = rig.state.handle->timeouts();
    QCOMPARE(t.readIntervalTimeout, 2u);
    QCOMPARE(t.readTotalTimeoutMultiplier, 5u);
    QCOMPARE(t.readTotalTimeoutConstant, 400u);

    // The next command runs at the rate found, with the standard time-outs.
    rig.printer->expect(bytes("17"));
    QVERIFY(rig.f.Start());
    QCOMPARE(rig.state.handle->timeouts(), kStandardTimeouts);
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
}

void ExchangeTest::blockWriteWaitsForTheLine() {
    // The logo block of 510 bytes needs 4.25 s at 1200 baud: the write must wait that long.
    for (int rate : kBaudTable) {
        PrinterRig rig(rate);
        QList<int> bounds;
        rig.state.openLine = [&](const QString &, QString *) {
            return std::make_unique<TimedLine>(rig.printer, &bounds);
        };
        rig.printer->expectLogoWrite(bytes("07 89 01"), bytes("04 7D"), logoFrameBytes({}));
        QVERIFY2(rig.f.WriteLogo(1, 4, 125, "", LogoImage{}), qPrintable(QString::number(rate)));
        QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
        const int blockBound = *std::max_element(bounds.begin(), bounds.end());
        QVERIFY(qint64(blockBound) * rate >= 510LL * 10 * 1000);
    }
}

QTEST_GUILESS_MAIN(ExchangeTest)
#include "tst_exchange.moc"
