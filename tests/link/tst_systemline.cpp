// The system serial line over a pseudo-terminal: the far end echoes what it receives, the way the
// printer acknowledges every byte.

#include "Functions.h"
#include "SystemLine.h"

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

QTEST_GUILESS_MAIN(SystemLineTest)
#include "tst_systemline.moc"
