// The handshake, Connect, the printer search and the block write's bound.

#include "ScriptedPrinter.h"

#include <QTest>

namespace {
using Printers = std::array<std::shared_ptr<ScriptedPrinter>, 4>;

// Ports COM1..COM4 with these printers (a null one is a device that does not exist), the port
// and rate named.
struct Ports {
    PortState state;
    Functions f{state};
    Ports(const Printers &printers, const QString &port, const QString &baud = "9600") {
        attachPorts(state, {printers[0], printers[1], printers[2], printers[3]});
        state.portName = port;
        state.baudName = baud;
    }
};

// The rates at which the host sent its bytes, in order.
QList<int> hostRates(const ScriptedPrinter &printer) {
    QList<int> rates;
    for (const WireByte &w : printer.transcript())
        if (w.fromHost)
            rates << w.rate;
    return rates;
}

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
    void sendByteNeedsTheSameByteBack();
    void receiveByteTriesTenTimes();
    void connectReopensEveryTime();
    void connectWithNamesItDoesNotKnow();
    void findDeviceOnTheNamedPort();
    void findDeviceProbesTheRatesInOrder();
    void findDeviceScansThePorts();
    void findDeviceWithANameOfNoPort();
    void findDeviceMissesAPrinterAt4800();
    void blockWriteWaitsForTheLine();
};

void ExchangeTest::sendByteNeedsTheSameByteBack() {
    PrinterRig rig;
    rig.printer->expect(bytes("41 42"));
    rig.printer->wrongAt(0);
    QVERIFY(rig.f.Connect());
    QVERIFY(!rig.f.SendByte(0x41));
    QCOMPARE(hexOf(rig.printer->printerBytes()), QStringLiteral("BE"));
    QCOMPARE(hexOf(rig.printer->hostBytes()), QStringLiteral("41")); // no retry

    PrinterRig silent;
    silent.printer->expect(bytes("41"));
    silent.printer->silentFrom(0);
    QVERIFY(silent.f.Connect());
    QVERIFY(!silent.f.SendByte(0x41));
}

void ExchangeTest::receiveByteTriesTenTimes() {
    // The byte comes on the tenth read: accepted and echoed back.
    PrinterRig rig;
    rig.printer->replyAfterWaits(bytes("73"), 9).expectRaw(bytes("73"));
    QVERIFY(rig.f.Connect());
    const auto byte = rig.f.ReceiveByte();
    QVERIFY(byte);
    QCOMPARE(*byte, quint8(0x73));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));

    // On the eleventh it is too late, and nothing is echoed.
    PrinterRig late;
    late.printer->replyAfterWaits(bytes("73"), 10);
    QVERIFY(late.f.Connect());
    QVERIFY(!late.f.ReceiveByte());
    QVERIFY(late.printer->hostBytes().isEmpty());
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
    auto printer = std::make_shared<ScriptedPrinter>(19200);
    PortState state;
    attachPorts(state, {nullptr, nullptr, nullptr, nullptr});
    state.handle = std::make_unique<InProcessLine>(printer);
    state.handle->setLine(19200);
    state.portName = QStringLiteral("Com5");
    state.baudName = QStringLiteral("19201"); // no such rate: the line stays as it is
    Functions f(state);
    printer->expect(bytes("17"));
    QVERIFY(f.Start());
    QCOMPARE(printer->opens(), 1);
    QCOMPARE(printer->rate(), 19200);
    QVERIFY2(printer->done(), qPrintable(printer->problem()));

    // A known rate is set on the held line.
    state.baudName = QStringLiteral("38400");
    QVERIFY(!f.Start());
    QCOMPARE(printer->rate(), 38400);

    // Nothing held and no port named: nothing to talk to.
    PortState empty;
    empty.portName.clear();
    Functions none(empty);
    QVERIFY(!none.Connect());
    QVERIFY(!none.Start());
}

void ExchangeTest::findDeviceOnTheNamedPort() {
    // A printer at 57600 is found on the first probe of the named port.
    auto printer = std::make_shared<ScriptedPrinter>(57600);
    printer->expect(bytes("0D"));
    Ports ports({nullptr, printer, nullptr, nullptr}, " com2 ", "1200");
    PortState &state = ports.state;
    int painted = 0;
    state.lineState = [&](bool good) { painted += good; };
    QVERIFY(ports.f.FindDevice());
    QVERIFY2(printer->done(), qPrintable(printer->problem()));
    QCOMPARE(hexOf(printer->hostBytes()), QStringLiteral("0D"));
    QCOMPARE(printer->opens(), 1);
    QCOMPARE(painted, 2);                               // the open and the echo
    QCOMPARE(state.portName, QStringLiteral(" com2 ")); // kept as named
    QCOMPARE(state.baudName, QStringLiteral("57600"));
    // The probe time-outs stay in force until the next Connect.
    const CommTimeouts &t = state.handle->timeouts();
    QCOMPARE(t.readIntervalTimeout, 2u);
    QCOMPARE(t.readTotalTimeoutMultiplier, 5u);
    QCOMPARE(t.readTotalTimeoutConstant, 400u);
    QCOMPARE(t, state.probeTimeouts);

    // The next command runs at the rate found, with the standard time-outs.
    printer->expect(bytes("17"));
    QVERIFY(ports.f.Start());
    QCOMPARE(state.handle->timeouts(), kStandardTimeouts);
}

void ExchangeTest::findDeviceProbesTheRatesInOrder() {
    auto printer = std::make_shared<ScriptedPrinter>(9600);
    printer->expect(bytes("0D"));
    Ports ports({printer, nullptr, nullptr, nullptr}, "Com1");
    QVERIFY(ports.f.FindDevice());
    QCOMPARE(hexOf(printer->hostBytes()), QStringLiteral("0D 0D 0D 0D"));
    QCOMPARE(hostRates(*printer), (QList<int>{57600, 38400, 19200, 9600}));
    QCOMPARE(ports.state.baudName, QStringLiteral("9600"));
}

void ExchangeTest::findDeviceScansThePorts() {
    // The named port answers nothing; the scan goes COM1, COM2 (no device), COM3.
    const Printers printers{std::make_shared<ScriptedPrinter>(4800), nullptr,
                            std::make_shared<ScriptedPrinter>(19200),
                            std::make_shared<ScriptedPrinter>(57600)};
    printers[2]->expect(bytes("0D"));
    printers[3]->expect(bytes("0D"));
    Ports ports(printers, "com1");
    const PortState &state = ports.state;
    QVERIFY(ports.f.FindDevice());
    QCOMPARE(state.portName, QStringLiteral("Com3"));
    QCOMPARE(state.baudName, QStringLiteral("19200"));
    // COM1 probed as the named port and again in the scan, four rates each time.
    QCOMPARE(printers[0]->opens(), 2);
    QCOMPARE(printers[0]->hostBytes(), QByteArray(8, '\r'));
    QCOMPARE(hostRates(*printers[2]), (QList<int>{57600, 38400, 19200}));
    QCOMPARE(printers[3]->opens(), 0); // the scan stops at the first printer
    // After a scan the port has its own time-outs back.
    QCOMPARE(state.handle->timeouts(), state.savedTimeouts);

    // A named port that does not open is not probed; the scan finds the printer.
    const Printers second{std::make_shared<ScriptedPrinter>(38400), nullptr, nullptr, nullptr};
    second[0]->expect(bytes("0D"));
    Ports other(second, "Com2");
    QVERIFY(other.f.FindDevice());
    QCOMPARE(other.state.portName, QStringLiteral("Com1"));
    QCOMPARE(other.state.baudName, QStringLiteral("38400"));
    QCOMPARE(hostRates(*second[0]), (QList<int>{57600, 38400}));
}

void ExchangeTest::findDeviceWithANameOfNoPort() {
    // The line already held is probed first, then COM1..COM4 are scanned.
    auto held = std::make_shared<ScriptedPrinter>(2400);
    const Printers printers{nullptr, nullptr, nullptr, std::make_shared<ScriptedPrinter>(9600)};
    printers[3]->expect(bytes("0D"));
    Ports ports(printers, "");
    ports.state.handle = std::make_unique<InProcessLine>(held);
    QVERIFY(ports.f.FindDevice());
    QCOMPARE(hostRates(*held), (QList<int>{57600, 38400, 19200, 9600}));
    QCOMPARE(ports.state.portName, QStringLiteral("Com4"));
    QCOMPARE(ports.state.baudName, QStringLiteral("9600"));
}

void ExchangeTest::findDeviceMissesAPrinterAt4800() {
    const Printers printers{
        std::make_shared<ScriptedPrinter>(4800), std::make_shared<ScriptedPrinter>(4800),
        std::make_shared<ScriptedPrinter>(1200), std::make_shared<ScriptedPrinter>(2400)};
    for (const auto &p : printers)
        p->expect(bytes("0D"));
    Ports ports(printers, "Com2", "4800");
    QVERIFY(!ports.f.FindDevice());
    QCOMPARE(ports.state.portName, QStringLiteral("Com2"));
    QCOMPARE(ports.state.baudName, QStringLiteral("4800"));
    for (int i = 0; i < 4; ++i) {
        const int probes = i == 1 ? 8 : 4;
        QCOMPARE(printers[size_t(i)]->hostBytes(), QByteArray(probes, '\r'));
        QVERIFY(!hostRates(*printers[size_t(i)]).contains(4800));
    }

    // With no device at all the search fails at once.
    QVERIFY(!Ports({}, "Com1").f.FindDevice());
}

void ExchangeTest::blockWriteWaitsForTheLine() {
    // The logo block of 510 bytes needs 4.25 s at 1200 baud: the write must wait that long.
    for (int rate : kBaudTable) {
        QList<int> bounds;
        auto printer = std::make_shared<ScriptedPrinter>(rate);
        PortState state;
        attachPorts(state, {printer, nullptr, nullptr, nullptr});
        state.openLine = [&](const QString &, QString *) {
            return std::make_unique<TimedLine>(printer, &bounds);
        };
        state.portName = QStringLiteral("Com1");
        state.baudName = QString::number(rate);
        Functions f(state);
        LogoImage image;
        printer->expectLogoWrite(bytes("07 89 01"), bytes("04 7D"), logoFrameBytes({}));
        QVERIFY2(f.WriteLogo(1, 4, 125, "", image), qPrintable(QString::number(rate)));
        QVERIFY2(printer->done(), qPrintable(printer->problem()));
        const int blockBound = *std::max_element(bounds.begin(), bounds.end());
        QVERIFY(qint64(blockBound) * rate >= 510LL * 10 * 1000);
        if (rate == 1200)
            QVERIFY(blockBound > 4250);
    }
}

QTEST_GUILESS_MAIN(ExchangeTest)
#include "tst_exchange.moc"
