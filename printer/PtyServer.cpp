#include "PtyServer.h"

#include "OwnerLock.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace printer {

namespace {

// A second of silence from the host ends its exchange.
constexpr qint64 kExchangeGapUs = 1'000'000;

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

qint64 monotonicUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1'000'000 + ts.tv_nsec / 1000;
}

struct RateCode {
    int baud;
    speed_t code;
};
constexpr RateCode kRates[] = {{1200, B1200},   {2400, B2400},    {4800, B4800},
                               {9600, B9600},   {19200, B19200},  {38400, B38400},
                               {57600, B57600}, {115200, B115200}};

speed_t codeOf(int baud) {
    for (const RateCode &r : kRates)
        if (r.baud == baud)
            return r.code;
    return B0;
}

int baudOf(speed_t code) {
    for (const RateCode &r : kRates)
        if (r.code == code)
            return r.baud;
    return 0;
}

QString systemError(const char *what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

} // namespace

PtyServer::PtyServer(VirtualPrinter &p, bool paced) : printer(p), pace(paced) {}

PtyServer::~PtyServer() {
    removeLink();
    if (slaveFd >= 0)
        ::close(slaveFd);
    if (master >= 0)
        ::close(master);
}

bool PtyServer::open(const QString &linkPath, QString *error) {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        *error = systemError("posix_openpt");
        return false;
    }
    const char *name = ptsname(master);
    if (!name) {
        *error = systemError("ptsname");
        return false;
    }
    slave = QString::fromLocal8Bit(name);
    slaveFd = ::open(name, O_RDWR | O_NOCTTY);
    if (slaveFd < 0) {
        *error = QStringLiteral("cannot open %1: %2")
                     .arg(slave, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    // Raw from the start, so the line discipline never echoes or edits what the host sends.
    termios t{};
    tcgetattr(slaveFd, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, codeOf(printer.lineRate()));
    cfsetospeed(&t, codeOf(printer.lineRate()));
    if (tcsetattr(slaveFd, TCSANOW, &t) != 0) {
        *error = QStringLiteral("cannot set %1 raw: %2")
                     .arg(slave, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    // One server a link: another live server's link is never taken over.
    linkOwner = files::OwnerLock::onFile(linkPath, error);
    if (!linkOwner)
        return false;
    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) {
        QFile::remove(linkPath);
    } else if (existing.exists()) {
        *error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
        return false;
    }
    if (::symlink(name, QFile::encodeName(linkPath).constData()) != 0) {
        *error = QStringLiteral("cannot make the link %1 to %2: %3")
                     .arg(linkPath, slave, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    link = linkPath;
    return true;
}

void PtyServer::removeLink() {
    // Only a link that still leads to this server's line is its own to remove.
    if (!link.isEmpty() && QFileInfo(link).symLinkTarget() == slave)
        QFile::remove(link);
    link.clear();
    linkOwner.reset();
}

int PtyServer::hostRate() const {
    termios t{};
    if (tcgetattr(slaveFd, &t) != 0)
        return 0;
    return baudOf(cfgetospeed(&t));
}

qint64 PtyServer::byteTimeUs() const {
    return pace ? 10'000'000 / qMax(1, printer.lineRate()) : 0;
}

void PtyServer::takeHostBytes(qint64 nowUs) {
    // Paced, the bytes are taken on a schedule of one line time each, anchored when they came.
    while (!fromHost.empty() && nowUs >= nextInUs) {
        const quint8 byte = fromHost.front();
        fromHost.pop_front();
        // The printer has the byte when it is due (nextInUs) and answers at once: what it sends
        // then is at the host one line time later, however late this loop woke.
        if (toHost.isEmpty())
            nextOutUs = qMax(nextOutUs, nextInUs + byteTimeUs());
        // The host's rate is that of the line as it stands when the byte arrives.
        if (hostRate() == printer.lineRate())
            toHost += printer.feed(byte);
        else
            printer.lose(byte);
        nextInUs += byteTimeUs();
        lastHostUs = nowUs;
        exchangeOpen = true;
    }
}

void PtyServer::sendPrinterBytes(qint64 nowUs) {
    if (toHost.isEmpty() || nowUs < nextOutUs)
        return;
    qsizetype chunk = toHost.size();
    if (pace) // every byte that is due by now, and no more
        chunk = qMin<qsizetype>(chunk, (nowUs - nextOutUs) / byteTimeUs() + 1);
    const ssize_t n = ::write(master, toHost.constData(), size_t(chunk));
    if (n <= 0)
        return; // the pty is full: wait for POLLOUT
    toHost.remove(0, n);
    nextOutUs += byteTimeUs() * n;
}

int PtyServer::serve() {
    if (::pipe(signalPipe) != 0)
        return 1;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
#ifdef __linux__
    // Paced bytes are due every few hundred microseconds: wake for them without the default
    // 50 us of timer slack.
    if (pace)
        prctl(PR_SET_TIMERSLACK, 1UL);
#endif

    int status = 0;
    for (;;) {
        const qint64 now = monotonicUs();
        takeHostBytes(now);
        sendPrinterBytes(now);
        if (exchangeOpen && fromHost.empty() && now - lastHostUs >= kExchangeGapUs) {
            toHost += printer.endExchange();
            exchangeOpen = false;
        }

        // Sleep until a byte arrives, the pty has room, a paced byte is due, or the gap ends.
        qint64 waitUs = exchangeOpen ? lastHostUs + kExchangeGapUs - now : -1;
        auto sooner = [&](qint64 us) { waitUs = waitUs < 0 ? us : qMin(waitUs, us); };
        if (!fromHost.empty())
            sooner(qMax<qint64>(0, nextInUs - now));
        if (!toHost.isEmpty() && nextOutUs > now)
            sooner(nextOutUs - now);
        pollfd fds[2] = {{master, POLLIN, 0}, {signalPipe[0], POLLIN, 0}};
        if (!toHost.isEmpty() && nextOutUs <= now)
            fds[0].events |= POLLOUT;
        // To the microsecond: a paced byte is due a fraction of a millisecond ahead.
        const timespec timeout{time_t(waitUs / 1'000'000), long(waitUs % 1'000'000) * 1000};
        if (::ppoll(fds, 2, waitUs < 0 ? nullptr : &timeout, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            status = 1;
            break;
        }
        if (fds[1].revents & POLLIN)
            break; // SIGTERM or SIGINT
        if (fds[0].revents & POLLIN) {
            char buffer[4096];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            // A byte that begins to come now has fully arrived one line time later.
            if (n > 0 && fromHost.empty())
                nextInUs = qMax(nextInUs, monotonicUs() + byteTimeUs());
            for (ssize_t i = 0; i < n; ++i)
                fromHost.push_back(quint8(buffer[i]));
        }
        if (fds[0].revents & (POLLERR | POLLNVAL)) {
            status = 1;
            break;
        }
    }
    printer.endExchange();
    removeLink();
    return status;
}

} // namespace printer
