#include "PtyDevice.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PtyDevice::PtyDevice(const QString &linkPath) : link(linkPath) {
    start();
}

PtyDevice::~PtyDevice() {
    unplug();
    if (!link.isEmpty())
        unlink(QFile::encodeName(link).constData());
}

void PtyDevice::start() {
    problem.clear();
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        problem = QStringLiteral("posix_openpt: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return;
    }
    path = QString::fromLocal8Bit(ptsname(master));
    slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    if (slave < 0) {
        problem = QStringLiteral("open %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
        return;
    }
    // Raw before the host opens it: no echo by the line discipline, no line editing.
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    if (!link.isEmpty()) {
        const QByteArray name = QFile::encodeName(link);
        unlink(name.constData());
        if (symlink(ptsname(master), name.constData()) != 0) {
            problem =
                QStringLiteral("symlink %1: %2").arg(link, QString::fromLocal8Bit(strerror(errno)));
            return;
        }
    }
    stopping = false;
    worker = std::thread([this] { serve(); });
}

void PtyDevice::unplug() {
    stopping = true;
    if (worker.joinable())
        worker.join();
    if (slave >= 0)
        close(slave);
    if (master >= 0)
        close(master);
    slave = master = -1;
}

bool PtyDevice::plugIn() {
    unplug();
    start();
    return isOpen() && problem.isEmpty();
}

void PtyDevice::play(const Script &next) {
    std::lock_guard guard(lock);
    if (slave >= 0)
        tcflush(slave, TCIFLUSH);
    script = next;
    arrived.clear();
    outgoing.clear();
}

qsizetype PtyDevice::pendingInput() const {
    int count = 0;
    return ioctl(master, FIONREAD, &count) == 0 ? count : 0;
}

QByteArray PtyDevice::received(int boundMs) {
    std::unique_lock guard(lock);
    served.wait_for(guard, std::chrono::milliseconds(boundMs),
                    [this] { return pendingInput() == 0; });
    return arrived;
}

void PtyDevice::serve() {
    while (!stopping) {
        pollfd p{master, POLLIN, 0};
        {
            std::lock_guard guard(lock);
            if (!outgoing.isEmpty())
                p.events |= POLLOUT;
        }
        const bool ready = poll(&p, 1, 20) > 0;
        std::lock_guard guard(lock);
        served.notify_all();
        if (!ready)
            continue;
        if (p.revents & POLLIN) {
            char buffer[256];
            const ssize_t n = read(master, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i) {
                arrived.append(buffer[i]);
                const int index = int(arrived.size()) - 1;
                const bool quiet =
                    script.silent || (index >= script.quietFrom && index <= script.quietTo);
                if (!quiet)
                    outgoing.append(buffer[i]);
                outgoing.append(script.replies.value(index + 1));
            }
        }
        if (!outgoing.isEmpty()) {
            const ssize_t n = write(master, outgoing.constData(), size_t(outgoing.size()));
            if (n > 0)
                outgoing.remove(0, n);
        }
        served.notify_all();
    }
}
