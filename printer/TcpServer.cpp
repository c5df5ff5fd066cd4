#include "TcpServer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace printer {

namespace {

QString systemError(const char *what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

void setNonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

} // namespace

TcpServer::TcpServer(VirtualPrinter &p, bool paced) : pump(p, paced) {}

TcpServer::~TcpServer() {
    if (listener >= 0)
        ::close(listener);
}

bool TcpServer::listen(quint16 port, QString *error) {
    listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        *error = systemError("socket");
        return false;
    }
    const int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        *error = QStringLiteral("cannot listen on 127.0.0.1:%1: %2")
                     .arg(port)
                     .arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    if (::listen(listener, 4) != 0) {
        *error = systemError("listen");
        return false;
    }
    socklen_t length = sizeof address;
    if (::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        *error = systemError("getsockname");
        return false;
    }
    listening = ntohs(address.sin_port);
    setNonBlocking(listener);
    return true;
}

void TcpServer::refuseAnother() {
    const int other = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (other >= 0)
        ::close(other);
}

int TcpServer::serve() {
    const int stopFd = stopSignalFd();
    if (stopFd < 0 || listener < 0)
        return 1;
    for (;;) {
        pollfd fds[2] = {{listener, POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return 1;
        }
        if (fds[1].revents & POLLIN)
            return 0; // SIGTERM or SIGINT
        if (fds[0].revents & (POLLERR | POLLNVAL))
            return 1;
        if (!(fds[0].revents & POLLIN))
            continue;
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0)
            continue; // the peer gave up before it was taken
        // Every echo leaves at once, not after the next byte.
        const int on = 1;
        setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        const BytePump::End end = pump.serve(connection, listener, [this] { refuseAnother(); });
        ::close(connection);
        if (end != BytePump::End::Closed)
            return end == BytePump::End::Stopped ? 0 : 1;
        // That connection is over; the next one is served afresh.
    }
}

} // namespace printer
