// A printer behind a serial device server, end to end: stampctl on tcp:HOST:PORT against
// stampline-vprinter --tcp sends and receives exactly the bytes it does on a pseudo-terminal, and
// a second program on the same device server's port is refused before it sends a byte.

#include "StampctlRun.h"
#include "TcpLine.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// stampline-vprinter with the given options, until it is stopped; `served` is what its "ready"
// line names.
class Served {
public:
    explicit Served(const QStringList &options) {
        process.start(QStringLiteral(VPRINTER_PATH), options);
        QByteArray out;
        while (!out.contains('\n') && process.waitForReadyRead(30000))
            out += process.readAllStandardOutput();
        if (out.startsWith("ready "))
            served = QString::fromUtf8(out.mid(6).trimmed());
    }
    ~Served() {
        process.terminate();
        if (!process.waitForFinished(30000))
            process.kill();
    }
    QString served;

private:
    QProcess process;
};

StampctlRun stampctl(const QString &device, const QStringList &operations) {
    return runStampctl(QStringLiteral(STAMPCTL_PATH), device, QStringList{"--trace"} + operations);
}

} // namespace

class TcpE2E : public QObject {
    Q_OBJECT
private slots:
    void sameBytesAsOnAPty();
    void secondProgramRefused();
};

void TcpE2E::sameBytesAsOnAPty() {
    QTemporaryDir dir;
    Served pty({"--link", dir.filePath("printer"), "--state", dir.filePath("pty.json")});
    Served tcp({"--tcp", "0", "--state", dir.filePath("tcp.json")});
    QVERIFY(!pty.served.isEmpty() && tcp.served.startsWith(QLatin1String("tcp:127.0.0.1:")));

    const QStringList operations{"write-text-fragment",
                                 "1",
                                 "2",
                                 "LOT 42",
                                 "--",
                                 "read-fragment",
                                 "1",
                                 "2",
                                 "--",
                                 "read-param",
                                 "T",
                                 "--",
                                 "read-logo-names-list",
                                 "--",
                                 "read-mark-cells"};
    const StampctlRun onPty = stampctl(pty.served, operations);
    const StampctlRun onTcp = stampctl(tcp.served, operations);
    QVERIFY2(onPty.exitCode == 0, onPty.err.right(300).constData());
    QVERIFY2(onTcp.exitCode == 0, onTcp.err.right(300).constData());
    QVERIFY(onTcp.err.contains("# WriteTextFragment") && onTcp.err.count('\n') > 200);
    QCOMPARE(onTcp.err, onPty.err); // the trace: every byte both ways
    QCOMPARE(onTcp.out, onPty.out);
}

void TcpE2E::secondProgramRefused() {
    Served tcp({"--tcp", "0"});
    QVERIFY(tcp.served.startsWith(QLatin1String("tcp:127.0.0.1:")));
    QString why;
    const auto held = TcpLine::open(tcp.served, &why);
    QVERIFY2(held, qPrintable(why));

    const StampctlRun second = stampctl(tcp.served, {"read-byte-status"});
    QCOMPARE(second.exitCode, 1);
    QVERIFY2(second.err.contains((tcp.served + " is in use by another program (tst_tcp_e2e, pid " +
                                  QString::number(QCoreApplication::applicationPid()) + ")")
                                     .toUtf8()),
             second.err.constData());
    QVERIFY(!second.err.contains("> ")); // not one byte sent
}

QTEST_GUILESS_MAIN(TcpE2E)
#include "tst_tcp_e2e.moc"
