#include "TcpLine.h"

#include "OwnerLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QMutex>
#include <QNetworkProxy>
#include <QRegularExpression>
#include <QThread>

#include <map>

namespace {

struct Endpoint {
    QString host;
    quint16 port = 0;
};

// "tcp:HOST:PORT", an IPv6 address in brackets ("tcp:[::1]:4001").
std::optional<Endpoint> endpointOf(const QString &device) {
    static const QRegularExpression form(
        QStringLiteral("^tcp:(?:\\[([0-9A-Fa-f:.]+)\\]|([^:\\[\\]\\s]+)):(\\d{1,5})$"));
    const auto match = form.match(device);
    if (!match.hasMatch())
        return std::nullopt;
    const uint port = match.captured(3).toUInt();
    if (port == 0 || port > 65535)
        return std::nullopt;
    const QString host = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
    return Endpoint{host, quint16(port)};
}

// One program an endpoint on this machine: an owner lock in the temporary folder, shared by every
// opening of the same endpoint within the program (a connection opened again after a drop takes
// it over from the one before).
std::shared_ptr<files::OwnerLock> ownerOf(const QString &device, const Endpoint &at, QString *why) {
    static QMutex mutex;
    static std::map<QString, std::weak_ptr<files::OwnerLock>> held;
    const QString key = at.host.toLower() + QLatin1Char('-') + QString::number(at.port);
    QMutexLocker locker(&mutex);
    std::weak_ptr<files::OwnerLock> &entry = held[key];
    if (auto shared = entry.lock())
        return shared;
    QString name = key;
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.-]")), QStringLiteral("_"));
    const QString path = QDir::temp().filePath(QStringLiteral("stampline-tcp-") + name);
    QString refused;
    std::shared_ptr<files::OwnerLock> lock = files::OwnerLock::onFile(path, &refused);
    if (!lock) {
        if (why)
            *why = refused.replace(0, path.size(), device);
        return nullptr;
    }
    entry = lock;
    return lock;
}

QString reasonOf(const QTcpSocket &socket, const Endpoint &at) {
    const QString where = QStringLiteral("%1:%2").arg(at.host).arg(at.port);
    switch (socket.error()) {
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("the host \"%1\" is not known; name the device server by an address "
                              "or a name this computer can resolve")
            .arg(at.host);
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("the device server at %1 refused the connection; is it on, is %2 its "
                              "raw TCP port, and is no other host connected to it?")
            .arg(where)
            .arg(at.port);
    case QAbstractSocket::NetworkError:
        return QStringLiteral("%1 cannot be reached (%2); is the device server on this network?")
            .arg(where, socket.errorString());
    default:
        return QStringLiteral("%1 did not connect (%2)").arg(where, socket.errorString());
    }
}

} // namespace

bool TcpLine::names(const QString &device) {
    return device.startsWith(QLatin1String("tcp:"));
}

std::unique_ptr<TcpLine> TcpLine::open(const QString &device, QString *why) {
    const auto at = endpointOf(device);
    if (!at) {
        if (why)
            *why = QStringLiteral("\"%1\" is not a network device; write it as tcp:HOST:PORT "
                                  "(tcp:10.0.0.5:4001)")
                       .arg(device);
        return nullptr;
    }
    QString held;
    auto owner = ownerOf(device, *at, &held);
    if (!owner && !held.isEmpty()) {
        if (why)
            *why = held + QStringLiteral("; close it and try again");
        return nullptr;
    }
    auto line = std::make_unique<TcpLine>();
    line->ownership = std::move(owner);
    // A device server on the plant network is reached directly, never through a proxy.
    line->socket.setProxy(QNetworkProxy::NoProxy);
    line->socket.connectToHost(at->host, at->port);
    if (!line->socket.waitForConnected(kConnectMs)) {
        if (why) {
            const bool timedOut = line->socket.error() == QAbstractSocket::SocketTimeoutError;
            if (timedOut && line->socket.state() == QAbstractSocket::HostLookupState)
                *why = QStringLiteral("the host \"%1\" could not be looked up within %2 s; name "
                                      "the device server by its address")
                           .arg(at->host)
                           .arg(kConnectMs / 1000);
            else if (timedOut)
                *why = QStringLiteral("%1:%2 did not answer within %3 s; is the device server "
                                      "on and reachable?")
                           .arg(at->host)
                           .arg(at->port)
                           .arg(kConnectMs / 1000);
            else
                *why = reasonOf(line->socket, *at);
        }
        return nullptr;
    }
    // Every echoed byte leaves at once, never held back to be sent with the next.
    line->socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    line->baud_ = 57600;
    return line;
}

bool TcpLine::setLine(int baud) {
    baud_ = baud; // the device server sets the line itself: the rate only sets the time-outs
    return !dropped;
}

void TcpLine::dropIfClosed() {
    if (socket.state() == QAbstractSocket::ConnectedState)
        return;
    dropped = true;
    socket.abort();
}

void TcpLine::purgeInput() {
    if (dropped)
        return;
    socket.waitForReadyRead(0); // what has arrived and not yet been taken in
    socket.readAll();
    dropIfClosed();
}

bool TcpLine::write(const QByteArray &bytes, int boundMs) {
    if (dropped)
        return false;
    if (socket.write(bytes) != bytes.size()) {
        dropIfClosed();
        return false;
    }
    const QDeadlineTimer deadline(boundMs);
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !socket.waitForBytesWritten(int(deadline.remainingTime())))
            break;
    }
    if (socket.bytesToWrite() == 0)
        return true;
    dropIfClosed();
    return false;
}

std::optional<quint8> TcpLine::read(int boundMs) {
    if (dropped)
        return std::nullopt;
    const QDeadlineTimer deadline(boundMs);
    while (socket.bytesAvailable() == 0) {
        if (deadline.hasExpired() || socket.state() != QAbstractSocket::ConnectedState)
            break;
        if (!socket.waitForReadyRead(int(deadline.remainingTime())) &&
            socket.error() != QAbstractSocket::SocketTimeoutError)
            break; // closed or broken: it answers at once, so do not spin on it
    }
    char c = 0;
    if (socket.bytesAvailable() > 0 && socket.getChar(&c))
        return quint8(c);
    dropIfClosed();
    return std::nullopt;
}

void TcpLine::pause(int ms) {
    QThread::msleep(ulong(qMax(ms, 0)));
}
