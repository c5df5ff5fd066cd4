// The system serial line over a pseudo-terminal whose far end echoes what it receives, the way
// the printer acknowledges every byte.

#include "Functions.h"
#include "OwnerLock.h"
#include "PtyDevice.h"
#include "SystemLine.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
// Com1 at 57600 on the device at that path.
void useDevice(PortState &state, const QString &path) {
    state.ports.devices[0] = path;
    state.portName = QStringLiteral("Com1");
    state.baudName = QStringLiteral("57600");
}
} // namespace

class SystemLineTest : public QObject {
    Q_OBJECT
private slots:
    void echoOverAPty();
    void lineStaysOpen();
    void unpluggedAndBack();
};

void SystemLineTest::echoOverAPty() {
    PtyDevice pty;
    QVERIFY2(pty.isOpen() && pty.error().isEmpty(), qPrintable(pty.error()));
    PortState state;
    useDevice(state, pty.slavePath());
    Functions f(state);

    QVERIFY(f.Connect());
    QVERIFY(f.SendByte(0x0D));
    QVERIFY(f.SendByte(0x41));

    // Nothing arriving: the read gives up within its bound and reports no byte.
    QVERIFY(!f.channel().ReadByteWithin(50));

    // A far end that stops answering fails the acknowledged send.
    pty.play({.silent = true, .replies = {}});
    QVERIFY(!f.channel().ReadByteWithin(20));
    state.handle->setTimeouts({0, 0, 30, 100, 100});
    QVERIFY(!f.SendByte(0x42));
    pty.play({});

    // Opening again (as every command does) closes the old handle first and works.
    QVERIFY(f.Connect());
    QVERIFY(f.Connect());
    QVERIFY(f.SendByte(0x17));
    QVERIFY(f.channel().WriteBlock(QByteArray(64, 'x')) == 64);

    // A device that does not exist does not open.
    state.ports.devices[1] = pty.slavePath() + QStringLiteral("-none");
    state.portName = QStringLiteral("Com2");
    QVERIFY(!f.Connect());
    QVERIFY(!state.handle);
}

// The line is opened once and kept from one exchange to the next while its port and device stay;
// a printer switched off between two exchanges fails the one under way only; another port opens
// its own line and lets go of the first device.
void SystemLineTest::lineStaysOpen() {
    PtyDevice first, second;
    QVERIFY(first.isOpen() && second.isOpen());
    PortState state;
    useDevice(state, first.slavePath());
    state.ports.devices[1] = second.slavePath();
    Functions f(state);
    QVERIFY(f.Connect());
    state.handle->notice = QStringLiteral("the first opening"); // a line opened again has none
    const auto kept = [&] { return state.handle->notice == QLatin1String("the first opening"); };
    QVERIFY(f.SendByte(0x0D) && f.Connect() && f.SendByte(0x17));
    QVERIFY(kept());
    QVERIFY(!files::flockHolder(first.slavePath()).isEmpty()); // held while it is in use

    first.play({.silent = true, .replies = {}});
    state.handle->setTimeouts({0, 0, 30, 100, 100});
    QVERIFY(!f.SendByte(0x42));
    first.play({});
    QVERIFY(f.Connect() && f.SendByte(0x17));
    QVERIFY(kept());

    // A rate of its own is set on the line kept, without opening it again.
    state.baudName = QStringLiteral("19200");
    QVERIFY(f.Connect());
    QVERIFY(kept());
    QCOMPARE(state.handle->baud(), 19200);

    state.portName = QStringLiteral("Com2");
    QVERIFY(f.Connect() && f.SendByte(0x0D));
    QCOMPARE(state.handle->device, second.slavePath());
    QVERIFY(files::flockHolder(first.slavePath()).isEmpty()); // free for another program
}

// An adapter pulled out in the middle of an exchange and plugged in again at the same name.
void SystemLineTest::unpluggedAndBack() {
    QTemporaryDir dir;
    PtyDevice device(dir.filePath(QStringLiteral("ttyUSB0")));
    QVERIFY2(device.isOpen() && device.error().isEmpty(), qPrintable(device.error()));
    PortState state;
    useDevice(state, device.devicePath());
    Functions f(state);
    QVERIFY(f.Connect());
    QVERIFY(f.SendByte(0x0D));

    // The running exchange fails as any failed exchange does, and the line is closed.
    device.unplug();
    QVERIFY(!f.SendByte(0x17));
    QVERIFY(state.handle && state.handle->gone());
    const QString port = QStringLiteral("Com1 (%1)").arg(device.devicePath());
    QCOMPARE(state.causes.value(0).section(QStringLiteral(" at "), 0, 0), port);

    // While it is out, the next operation says the device is not there.
    QVERIFY(!f.Start());
    QVERIFY(state.causes.value(0).startsWith(port + QStringLiteral(": no such device")));

    // Back in: the next operation opens it afresh, the ink-system read (which otherwise keeps
    // the port as it stands) included.
    QVERIFY(device.plugIn());
    QVERIFY(f.Start());
    device.unplug();
    QVERIFY(!f.SendByte(0x0D));
    QVERIFY(device.plugIn());
    const QByteArray hydro(38, 'h');
    device.play({.replies = {{4, hydro}}});
    QByteArray text;
    QVERIFY(f.ReadHydroStatus(text));
    QCOMPARE(text, hydro);
}

QTEST_GUILESS_MAIN(SystemLineTest)
#include "tst_systemline.moc"
