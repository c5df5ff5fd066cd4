// A printer behind a serial device server: the raw TCP line against a server in this test that
// echoes what it receives, the way the printer acknowledges every byte, and that can be told to
// close the connection in the middle of an operation.

#include "Functions.h"
#include "TcpLine.h"

#include <QTest>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// Listens on 127.0.0.1 at a free port; each connection echoes every byte until the client closes
// or, with closeAfter set, until that many bytes were echoed.
class EchoServer {
public:
    EchoServer() {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
            ::listen(listener, 4) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        port = ntohs(address.sin_port);
        worker = std::thread([this] { serve(); });
    }
    ~EchoServer() {
        stop = true;
        if (worker.joinable())
            worker.join();
        ::close(listener);
    }
    QString device() const { return QStringLiteral("tcp:127.0.0.1:%1").arg(port); }

    quint16 port = 0;
    std::atomic<int> connections{0};
    std::atomic<int> closeAfter{-1};

private:
    void serve() {
        while (!stop) {
            pollfd waiting{listener, POLLIN, 0};
            if (::poll(&waiting, 1, 20) <= 0)
                continue;
            const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            ++connections;
            int echoed = 0;
            while (!stop && closeAfter != echoed) {
                pollfd readable{fd, POLLIN, 0};
                if (::poll(&readable, 1, 20) <= 0)
                    continue;
                char byte = 0;
                if (::read(fd, &byte, 1) != 1 || ::write(fd, &byte, 1) != 1)
                    break;
                ++echoed;
            }
            ::close(fd);
        }
    }

    int listener = -1;
    std::atomic<bool> stop{false};
    std::thread worker;
};

// A port nothing listens on: taken from the system, then let go.
quint16 closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

void useDevice(PortState &state, const QString &device) {
    state.ports.devices[0] = device;
    state.portName = QStringLiteral("Com1");
    state.baudName = QStringLiteral("57600");
}

} // namespace

class TcpLineTest : public QObject {
    Q_OBJECT
private slots:
    void echoOverTcp();
    void droppedMidOperationAndBack();
    void connectionsThatFail();
};

void TcpLineTest::echoOverTcp() {
    EchoServer server;
    QVERIFY(server.port != 0);
    PortState state;
    useDevice(state, server.device());
    QByteArray wire;
    state.trace = [&](bool sent, quint8 byte) {
        wire += (sent ? '>' : '<') + QByteArray(1, char(byte));
    };
    Functions f(state);

    QVERIFY2(f.Connect(), qPrintable(state.causes.join('\n')));
    QVERIFY(f.SendByte(0x0D));
    QVERIFY(f.SendByte(0x41));
    QCOMPARE(wire, QByteArray(">\r<\r>A<A"));
    QVERIFY(!state.handle->isStandIn());

    // The connection stays from one operation to the next.
    QVERIFY(f.Connect());
    QVERIFY(f.SendByte(0x42));
    QCOMPARE(server.connections.load(), 1);

    // Nothing arriving: the read gives up within its bound and reports no byte, the line stays.
    QVERIFY(!state.handle->read(20));
    QVERIFY(!state.handle->gone());
}

void TcpLineTest::droppedMidOperationAndBack() {
    EchoServer server;
    QVERIFY(server.port != 0);
    server.closeAfter = 2;
    PortState state;
    useDevice(state, server.device());
    Functions f(state);

    // The server closes after two bytes: the operation fails as on a silent printer, at once.
    QVERIFY(f.Connect());
    QVERIFY(f.SendByte(0x01));
    QVERIFY(f.SendByte(0x02));
    QVERIFY(!f.SendByte(0x03));
    QVERIFY2(state.causes.last().endsWith(QLatin1String("the byte 03 could not be sent")) ||
                 state.causes.last().endsWith(QLatin1String("the printer did not answer")),
             qPrintable(state.causes.last()));
    QVERIFY(!f.SendByte(0x03)); // nothing spins on a closed connection
    QVERIFY(state.handle->gone());

    // The next operation connects again.
    server.closeAfter = -1;
    QVERIFY2(f.Connect(), qPrintable(state.causes.join('\n')));
    QVERIFY(f.SendByte(0x04));
    QTRY_COMPARE(server.connections.load(), 2);
}

void TcpLineTest::connectionsThatFail() {
    // Each a clear reason, nothing hangs longer than the connection's own bound.
    const struct {
        QString device;
        QString reason;
    } rows[] = {
        {QStringLiteral("tcp:printer-north"), QStringLiteral("write it as tcp:HOST:PORT")},
        {QStringLiteral("tcp:10.0.0.5:70000"), QStringLiteral("write it as tcp:HOST:PORT")},
        {QStringLiteral("tcp:127.0.0.1:%1").arg(closedPort()),
         QStringLiteral("refused the connection")},
        // Not known, or not looked up in time where no name server answers.
        {QStringLiteral("tcp:no-such-printer.invalid:4001"),
         QStringLiteral("the host \"no-such-printer.invalid\" ")},
    };
    for (const auto &row : rows) {
        PortState state;
        useDevice(state, row.device);
        Functions f(state);
        QVERIFY(!f.Connect());
        QCOMPARE(state.causes.size(), 1);
        QVERIFY2(state.causes[0].startsWith(QStringLiteral("Com1 (%1): ").arg(row.device)) &&
                     state.causes[0].contains(row.reason),
                 qPrintable(state.causes[0]));
    }

    // One program a device server's port: a second opening within the program shares the owner
    // lock (a connection opened again after a drop), the lock goes with the last line.
    EchoServer server;
    QString why;
    auto first = TcpLine::open(server.device(), &why);
    QVERIFY2(first, qPrintable(why));
    auto second = TcpLine::open(server.device(), &why);
    QVERIFY2(second, qPrintable(why));
    QCOMPARE(second->ownership, first->ownership);
}

QTEST_GUILESS_MAIN(TcpLineTest)
#include "tst_tcpline.moc"
