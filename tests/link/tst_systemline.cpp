// The system serial line over a pseudo-terminal: the far end echoes what it receives, the way the
// printer acknowledges every byte.

#include "Functions.h"
#include "PtyDevice.h"
#include "SystemLine.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

namespace {
// The master side of a pty that echoes every byte while `echoing` is set.
class EchoingPty {
public:
    EchoingPty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return;
        slave = QString::fromLocal8Bit(ptsname(master));
        worker = std::thread([this] { run(); });
    }
    ~EchoingPty() {
        stop = true;
        if (worker.joinable())
            worker.join();
        if (master >= 0)
            ::close(master);
    }
    QString slavePath() const { return slave; }
    std::atomic<bool> echoing{true};

private:
    void run() {
        while (!stop) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
                continue;
            char buffer[64];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            if (echoing && ::write(master, buffer, size_t(n)) != n)
                return;
        }
    }

    int master = -1;
    QString slave;
    std::thread worker;
    std::atomic<bool> stop{false};
};
} // namespace

class SystemLineTest : public QObject {
    Q_OBJECT
private slots:
    void echoOverAPty();
    void unpluggedAndBack();
};

void SystemLineTest::echoOverAPty() {
    EchoingPty pty;
    QVERIFY(!pty.slavePath().isEmpty());

    PortState state;
    state.ports.devices[0] = pty.slavePath();
    state.portName = QStringLiteral("Com1");
    state.baudName = QStringLiteral("57600");
    Functions f(state);

    QVERIFY(f.Connect());
    QVERIFY(f.SendByte(0x0D));
    QVERIFY(f.SendByte(0x41));

    // Nothing arriving: the read gives up within its bound and reports no byte.
    QVERIFY(!f.channel().ReadByteWithin(50));

    // A far end that stops answering fails the acknowledged send.
    pty.echoing = false;
    QVERIFY(!f.channel().ReadByteWithin(20));
    state.handle->setTimeouts({0, 0, 30, 100, 100});
    QVERIFY(!f.SendByte(0x42));
    pty.echoing = true;

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

// An adapter pulled out in the middle of an exchange and plugged in again at the same name.
void SystemLineTest::unpluggedAndBack() {
    QTemporaryDir dir;
    PtyDevice device(dir.filePath(QStringLiteral("ttyUSB0")));
    QVERIFY2(device.isOpen() && device.error().isEmpty(), qPrintable(device.error()));

    PortState state;
    state.ports.devices[0] = device.devicePath();
    state.portName = QStringLiteral("Com1");
    state.baudName = QStringLiteral("57600");
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
